nx_bench(bench_regex SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/regex_bench.cpp DEPS ui ICU::i18n ICU::uc)
