# The reply reader against pugixml, and the string cipher against OpenSSL's raw loop.
find_package(pugixml REQUIRED)
nx_bench(bench_protocol SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/protocol_bench.cpp
         DEPS protocol pugixml::pugixml OpenSSL::Crypto)
