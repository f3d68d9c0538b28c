# Shared build rules. Every folder declares its library with nx_library and its
# test program with nx_test_folder; both take their sources from the folder so
# that adding a file never means editing a list.

find_package(Threads REQUIRED)
find_package(PkgConfig REQUIRED)

set(NX_WARNINGS -Wall -Wextra -Wno-unused-parameter)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  # GCC 12 reports impossible overlaps in std::string concatenation at -O3
  # (a known false positive of its -Wrestrict).
  list(APPEND NX_WARNINGS -Wno-restrict)
endif()
if(NX_WERROR)
  list(APPEND NX_WARNINGS -Werror)
endif()

if(NX_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    # With the sanitizers' instrumentation GCC 12 reports uninitialised reads
    # inside libstdc++ (std::regex, std::function) that cannot happen; the
    # sanitizers themselves check real ones at run time.
    list(APPEND NX_WARNINGS -Wno-maybe-uninitialized)
  endif()
endif()

if(NX_BUILD_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "The fuzz harnesses need clang (CC=clang CXX=clang++)")
  endif()
  # Every library carries libFuzzer's coverage instrumentation; only the
  # harnesses link its driver.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# nx_library(NAME DIR <folder> [DEPS <targets...>])
# A static library from every .cpp/.c below DIR; an interface library while
# the folder has no sources yet.
function(nx_library name)
  cmake_parse_arguments(ARG "" "DIR" "DEPS" ${ARGN})
  if(NOT ARG_DIR)
    set(ARG_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${ARG_DIR}/*.cpp ${ARG_DIR}/*.c)
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/generated)
    target_compile_options(${name} PRIVATE ${NX_WARNINGS})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/generated)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# nx_test_folder(NAME [DEPS <targets...>])
# One GoogleTest program from every *_test.cpp in the current folder (and the
# helpers beside them); each test case becomes a CTest test.
function(nx_test_folder name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  target_compile_options(${name} PRIVATE ${NX_WARNINGS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  # Screens read their pictures and strings from the build's resource folder.
  add_dependencies(${name} resources)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       PROPERTIES TIMEOUT 300 ENVIRONMENT "NX_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
                       # The programs log to standard error, which ctest shows for a failing test.
                       ENVIRONMENT_MODIFICATION "NX_LOG_STDERR=set:1")
endfunction()

# nx_bench(NAME SOURCES <files...> [DEPS <targets...>])
function(nx_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${NX_WARNINGS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark Threads::Threads)
endfunction()

# Debian's libraries, found once for every folder below the root.
find_package(GTest REQUIRED)
find_package(benchmark REQUIRED)
find_package(ZLIB REQUIRED)
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
find_package(OpenSSL REQUIRED)
find_package(CURL REQUIRED)
find_package(ICU REQUIRED COMPONENTS uc i18n data)
find_package(Freetype REQUIRED)
pkg_check_modules(MINIZIP REQUIRED IMPORTED_TARGET minizip)
pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo)

# nx_link_whole(TARGET <libraries...>)
# Links libraries whole, so the classes they register by name (NX_REGISTER_CLASS)
# are found even when the program references none of their symbols. The
# archive is named between --whole-archive flags rather than through a link
# feature, so a library may also reach the program through another one's
# dependencies (pc and phone depend on app).
function(nx_link_whole target)
  set(archives)
  foreach(lib ${ARGN})
    target_link_libraries(${target} PRIVATE ${lib})
    get_target_property(type ${lib} TYPE)
    if(type STREQUAL "STATIC_LIBRARY")
      list(APPEND archives "$<TARGET_FILE:${lib}>")
    endif()
  endforeach()
  # One pair of flags around all archives: CMake drops repeated link options,
  # so a pair per archive would leave all but the first outside the pair.
  if(archives)
    target_link_options(${target} PRIVATE "LINKER:--whole-archive" ${archives} "LINKER:--no-whole-archive")
  endif()
endfunction()
