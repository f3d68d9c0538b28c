# The map view's annotation layout against bare coordinate conversions, and
# the memory of a screen holding a map view pushed and popped.
nx_bench(bench_mapsdk SOURCES ${CMAKE_CURRENT_LIST_DIR}/mapsdk_bench.cpp DEPS mapsdk platform_testing)
