# The month calendar's drawing against a plain cairo fill of the same area.
nx_bench(bench_ui_widgets SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui_widgets_bench.cpp DEPS ui PkgConfig::CAIRO)
