// Our code and its reference timed in alternating rounds within one
// benchmark, on one CPU, so that whatever else the machine runs meanwhile
// (other builds, a loaded cache, a lower clock) falls on both sides alike.
// Each round times one pass of each side in the thread's own CPU time, the
// side that goes first alternating from round to round; the figure that
// counts is the median of the rounds' ratios (ours / reference), reported
// as the counter "ratio" beside the median pass of each side.
#pragma once

#include <benchmark/benchmark.h>
#include <pthread.h>
#include <sched.h>
#include <time.h>

#include <algorithm>
#include <vector>

namespace bench {

// Keeps the calling thread on the CPU it is running on until destroyed.
class PinnedToCurrentCpu {
 public:
  PinnedToCurrentCpu() {
    const int cpu = sched_getcpu();
    if (cpu < 0 || pthread_getaffinity_np(pthread_self(), sizeof saved_, &saved_) != 0) {
      return;
    }
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(cpu, &one);
    pinned_ = pthread_setaffinity_np(pthread_self(), sizeof one, &one) == 0;
  }
  ~PinnedToCurrentCpu() {
    if (pinned_) {
      pthread_setaffinity_np(pthread_self(), sizeof saved_, &saved_);
    }
  }
  PinnedToCurrentCpu(const PinnedToCurrentCpu&) = delete;
  PinnedToCurrentCpu& operator=(const PinnedToCurrentCpu&) = delete;

 private:
  cpu_set_t saved_{};
  bool pinned_ = false;
};

inline double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

inline double Median(std::vector<double> values) {
  if (values.empty()) {
    return 0;
  }
  auto mid = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), mid, values.end());
  return *mid;
}

// One round per benchmark iteration: a pass of `ours` and a pass of
// `reference`, each run once untimed first so neither pays for a cold start.
template <class Ours, class Reference>
void RunInterleaved(benchmark::State& state, Ours&& ours, Reference&& reference) {
  PinnedToCurrentCpu pin;
  ours();
  reference();
  auto timed = [](auto& work) {
    const double start = ThreadCpuSeconds();
    work();
    return ThreadCpuSeconds() - start;
  };
  std::vector<double> oursSeconds, referenceSeconds, ratios;
  bool oursFirst = true;
  for (auto _ : state) {
    double o = 0, r = 0;
    if (oursFirst) {
      o = timed(ours);
      r = timed(reference);
    } else {
      r = timed(reference);
      o = timed(ours);
    }
    oursFirst = !oursFirst;
    oursSeconds.push_back(o);
    referenceSeconds.push_back(r);
    if (r > 0) {
      ratios.push_back(o / r);
    }
  }
  state.counters["ratio"] = Median(ratios);
  state.counters["ours_us"] = Median(oursSeconds) * 1e6;
  state.counters["reference_us"] = Median(referenceSeconds) * 1e6;
}

}  // namespace bench
