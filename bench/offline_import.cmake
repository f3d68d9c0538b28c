nx_bench(bench_offline_import SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/offline_import_bench.cpp
         DEPS engine_data offlinepack)
