# A day of positions grouped by place: the one-pass grouping against the
# pairwise comparison of formatted texts it replaces.
nx_bench(bench_phone_places SOURCES ${CMAKE_CURRENT_LIST_DIR}/phone_places.cpp DEPS phone)
