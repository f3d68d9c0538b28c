nx_bench(bench_engine_json SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/engine_json.cpp DEPS engine_base)
