# Remote pictures: a disk-cache hit through the loader against a raw read and
# libpng decode; a cold load through the loader against libcurl and libpng.
nx_bench(bench_ui_images SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_images_bench.cpp
         DEPS ui servicedouble testserver CURL::libcurl PNG::PNG)
