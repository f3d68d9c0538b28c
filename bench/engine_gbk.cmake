nx_bench(bench_engine_gbk SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/engine_gbk.cpp DEPS engine_base ICU::uc ICU::data)
