// Shared pieces of the benchmarks that measure the engine's JSON reading
// against RapidJSON.
#pragma once

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <rapidjson/document.h>

#include <string>

// The reference side: RapidJSON builds (and frees) a whole tree of the text.
inline void MeasureRapidJsonParse(benchmark::State& state, const std::string& text) {
  for (auto _ : state) {
    rapidjson::Document doc;
    doc.Parse(text.c_str());
    benchmark::DoNotOptimize(doc);
    if (doc.HasParseError()) {
      state.SkipWithError("parse failed");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

// Runs the registered benchmarks with freed memory staying in the process on
// both sides: the engine allocator keeps its arena runs per thread, and the
// system allocator is told to keep RapidJSON's pool chunks instead of handing
// them back to the kernel. Both sides then measure their work rather than
// paging fresh memory in (on a virtual machine a page fault costs more than
// parsing the page).
inline int RunKeepingFreedMemory(int argc, char** argv) {
  mallopt(M_MMAP_THRESHOLD, 64 << 20);
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
