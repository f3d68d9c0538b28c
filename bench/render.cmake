# The renderer measured side by side with pixman, cairo, libpng and libjpeg.
pkg_check_modules(PIXMAN REQUIRED IMPORTED_TARGET pixman-1)
nx_bench(bench_render SOURCES ${CMAKE_CURRENT_LIST_DIR}/render_bench.cpp
         DEPS engine_render imagefixtures PkgConfig::PIXMAN PkgConfig::CAIRO PNG::PNG JPEG::JPEG)
