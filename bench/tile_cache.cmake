# The tile caches against the usual stand-ins: the memory cache against an
# unordered_map with an LRU list, the file cache against an SQLite blob table.
find_package(SQLite3 REQUIRED)
nx_bench(bench_tile_cache SOURCES ${CMAKE_CURRENT_LIST_DIR}/tile_cache_bench.cpp DEPS engine_render SQLite::SQLite3)
