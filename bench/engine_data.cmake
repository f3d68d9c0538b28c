nx_bench(bench_engine_data SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/engine_data_bench.cpp DEPS engine_data mapdemo)
