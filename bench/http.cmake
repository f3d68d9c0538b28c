nx_bench(bench_http SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/http_bench.cpp DEPS http testserver CURL::libcurl)
