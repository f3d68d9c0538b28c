// The main function of benchmarks that compare the engine allocator with the
// system allocator behind a reference library.
#pragma once

#include <benchmark/benchmark.h>
#include <malloc.h>

// Runs the registered benchmarks with freed memory staying in the process on
// both sides: the engine allocator keeps its arena runs per thread, and the
// system allocator is told to keep the reference library's chunks instead of
// handing them back to the kernel. Both sides then measure their work rather
// than paging fresh memory in (on a virtual machine a page fault costs more
// than parsing the page).
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
