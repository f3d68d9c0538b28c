# The hour grid's rendering against cairo and libpng doing the same work directly.
nx_bench(bench_pc_grid SOURCES ${CMAKE_CURRENT_LIST_DIR}/pc_grid.cpp DEPS pc PkgConfig::CAIRO Freetype::Freetype)
add_dependencies(bench_pc_grid resources)
