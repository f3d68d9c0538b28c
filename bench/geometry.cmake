# Projection against PROJ and line simplification against GEOS, on the same work.
pkg_check_modules(PROJ REQUIRED IMPORTED_TARGET proj)
pkg_check_modules(GEOS REQUIRED IMPORTED_TARGET geos)
nx_bench(bench_geometry SOURCES ${CMAKE_CURRENT_LIST_DIR}/geometry_bench.cpp
         DEPS engine_render PkgConfig::PROJ PkgConfig::GEOS)
