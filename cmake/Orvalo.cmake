# Build rules shared by every folder: the two builds, libraries and tests.
#
# ORV_WINDOWS: the product, i686-w64-mingw32, tests under Wine.
# ORV_NATIVE:  host build of the window-free libraries with ASan/UBSan.
# ORV_FUZZ:    host build with clang and libFuzzer (fuzz targets only).

if(WIN32)
  set(ORV_WINDOWS ON)
  set(ORV_NATIVE OFF)
else()
  set(ORV_WINDOWS OFF)
  set(ORV_NATIVE ON)
endif()
option(ORV_FUZZ "native build of the fuzz targets (clang)" OFF)
option(ORV_SANITIZE "AddressSanitizer and UBSan in the native build" ON)
set(ORV_DEPS_PREFIX "$ENV{ORV_DEPS_PREFIX}" CACHE PATH "prefix made by scripts/build-deps")

if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "" FORCE)
endif()
# Line tables are enough for backtraces and sanitizer reports: full debug
# information made a test object take a third longer to compile and ten
# times the bytes to link.
foreach(_lang C CXX)
  string(REGEX REPLACE "(^| )-g( |$)" "\\1-g1\\2" CMAKE_${_lang}_FLAGS_RELWITHDEBINFO "${CMAKE_${_lang}_FLAGS_RELWITHDEBINFO}")
endforeach()

# Sources are UTF-8; 8-bit literals reach the program as Windows-1252.
# (clang cannot convert, so only the fuzz build keeps UTF-8 literals.)
set(ORV_COMMON_FLAGS -Wall -Wextra -Wno-unused-parameter -Wno-missing-field-initializers)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  list(APPEND ORV_COMMON_FLAGS -fexec-charset=CP1252)
endif()

if(ORV_WINDOWS)
  list(APPEND ORV_COMMON_FLAGS -msse2 -mfpmath=sse -mstackrealign)
  add_compile_definitions(WINVER=0x0601 _WIN32_WINNT=0x0601 _WIN32_IE=0x0800 NOMINMAX STRICT)
  set(ORV_EXE_LINK_FLAGS -static -static-libgcc -static-libstdc++ -Wl,--large-address-aware)
else()
  add_compile_definitions(_FILE_OFFSET_BITS=64)
  if(ORV_FUZZ)
    set(ORV_SAN_FLAGS -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  elseif(ORV_SANITIZE)
    set(ORV_SAN_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  endif()
  add_compile_options(${ORV_SAN_FLAGS})
  add_link_options(${ORV_SAN_FLAGS})
endif()

# ---------------------------------------------------------------- dependencies
function(_orv_imported name lib)
  add_library(${name} STATIC IMPORTED GLOBAL)
  set_target_properties(${name} PROPERTIES IMPORTED_LOCATION "${lib}")
  if(ARGN)
    set_target_properties(${name} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${ARGN}")
  endif()
endfunction()

macro(orv_setup_dependencies)
  if(NOT ORV_DEPS_PREFIX OR NOT EXISTS "${ORV_DEPS_PREFIX}/.done")
    message(FATAL_ERROR "ORV_DEPS_PREFIX is not set or not built: run scripts/build-deps")
  endif()
  if(ORV_WINDOWS)
    set(_w ${ORV_DEPS_PREFIX}/win)
    _orv_imported(orv_zlib /usr/i686-w64-mingw32/lib/libz.a /usr/i686-w64-mingw32/include)
    _orv_imported(orv_png ${_w}/lib/libpng16.a ${_w}/include)
    set_target_properties(orv_png PROPERTIES INTERFACE_LINK_LIBRARIES orv_zlib)
    _orv_imported(orv_jpeg ${_w}/lib/libjpeg.a ${_w}/include)
    _orv_imported(orv_bz2 ${_w}/lib/libbz2.a ${_w}/include)
    _orv_imported(orv_lzmasdk ${_w}/lib/liblzmasdk.a ${_w}/include)
  else()
    find_library(_z NAMES z REQUIRED)
    find_library(_png NAMES png16 png REQUIRED)
    find_library(_jpeg NAMES jpeg REQUIRED)
    find_library(_bz2 NAMES bz2 REQUIRED)
    add_library(orv_zlib INTERFACE)
    target_link_libraries(orv_zlib INTERFACE ${_z})
    add_library(orv_png INTERFACE)
    target_link_libraries(orv_png INTERFACE ${_png} ${_z})
    add_library(orv_jpeg INTERFACE)
    target_link_libraries(orv_jpeg INTERFACE ${_jpeg})
    add_library(orv_bz2 INTERFACE)
    target_link_libraries(orv_bz2 INTERFACE ${_bz2})
    _orv_imported(orv_lzmasdk ${ORV_DEPS_PREFIX}/native/lib/liblzmasdk.a ${ORV_DEPS_PREFIX}/native/include)
  endif()
endmacro()

macro(orv_setup_gtest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  # Test code is compiled at -O1 in the test builds: half the compile time of
  # -O2, with the code under test still at -O2.
  set(ORV_TEST_OPT $<$<CONFIG:RelWithDebInfo>:-O1>)
  target_compile_options(gtest PRIVATE ${ORV_TEST_OPT})
  target_compile_options(gmock PRIVATE ${ORV_TEST_OPT})
  # main() shared by the test programs; the test helpers live beside it
  add_library(orv_gtest_main STATIC ${CMAKE_SOURCE_DIR}/tests/support/gtest_main.cpp
    ${CMAKE_SOURCE_DIR}/tests/support/testenv.cpp)
  target_include_directories(orv_gtest_main PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(orv_gtest_main PUBLIC GTest::gtest)
  target_compile_options(orv_gtest_main PRIVATE ${ORV_TEST_OPT})
  target_compile_definitions(orv_gtest_main PRIVATE
    ORV_SOURCE_DIR_VALUE="${CMAKE_SOURCE_DIR}" ORV_BINARY_DIR_VALUE="${CMAKE_BINARY_DIR}")
  # the test framework's headers parsed once for every test program: they
  # cost each test source some two seconds, most of a small machine's build
  add_library(orv_test_pch OBJECT ${CMAKE_SOURCE_DIR}/tests/support/pch.cpp)
  target_include_directories(orv_test_pch PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(orv_test_pch PRIVATE ${ORV_COMMON_FLAGS} ${ORV_TEST_OPT})
  target_link_libraries(orv_test_pch PRIVATE GTest::gtest GTest::gmock)
  target_precompile_headers(orv_test_pch PRIVATE <gtest/gtest.h> <gmock/gmock.h>)
endmacro()

# ------------------------------------------------------------------ libraries
# orv_library(name [NATIVE] SOURCES ... [WIN_SOURCES ...] [DEPS ...] [WIN_DEPS ...])
# NATIVE: the library also exists in the native build (WIN_SOURCES/WIN_DEPS
# are then only added to the Windows build).
function(orv_library name)
  cmake_parse_arguments(A "NATIVE" "" "SOURCES;WIN_SOURCES;DEPS;WIN_DEPS" ${ARGN})
  if(ORV_NATIVE AND NOT A_NATIVE)
    return()
  endif()
  set(src ${A_SOURCES})
  set(deps ${A_DEPS})
  if(ORV_WINDOWS)
    list(APPEND src ${A_WIN_SOURCES})
    list(APPEND deps ${A_WIN_DEPS})
  endif()
  add_library(${name} STATIC ${src})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${ORV_COMMON_FLAGS})
  target_link_libraries(${name} PUBLIC ${deps})
endfunction()

# orv_executable(name [GUI] SOURCES ... DEPS ...): a Windows program.
function(orv_executable name)
  cmake_parse_arguments(A "GUI" "" "SOURCES;DEPS" ${ARGN})
  if(A_GUI)
    add_executable(${name} WIN32 ${A_SOURCES})
  else()
    add_executable(${name} ${A_SOURCES})
  endif()
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${ORV_COMMON_FLAGS})
  target_link_libraries(${name} PRIVATE ${A_DEPS})
  if(ORV_WINDOWS)
    target_link_options(${name} PRIVATE ${ORV_EXE_LINK_FLAGS})
  endif()
endfunction()

# ---------------------------------------------------------------------- tests
# orv_test(name [NATIVE] [WINDOWS] [GUI] SOURCES ... DEPS ... [ARGS ...]
#          [WRAP cmd ...] [TIMEOUT s])
# A GoogleTest program. NATIVE: also in the native build; WINDOWS: only in the
# Windows build (the default when NATIVE is not given). GUI: needs the X
# display, runs alone on it. WRAP: a host command that runs the test program
# (given as its last arguments), e.g. one that starts a server around it.
set(ORV_WINE_RUN ${CMAKE_SOURCE_DIR}/scripts/wine-run)
function(orv_test name)
  cmake_parse_arguments(A "NATIVE;WINDOWS;GUI" "TIMEOUT" "SOURCES;DEPS;ARGS;WRAP" ${ARGN})
  if(ORV_NATIVE AND NOT A_NATIVE)
    return()
  endif()
  if(ORV_FUZZ)
    return()
  endif()
  add_executable(${name} ${A_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${ORV_COMMON_FLAGS} ${ORV_TEST_OPT})
  target_link_libraries(${name} PRIVATE ${A_DEPS} GTest::gtest GTest::gmock orv_gtest_main)
  target_precompile_headers(${name} REUSE_FROM orv_test_pch)
  if(ORV_WINDOWS)
    target_link_options(${name} PRIVATE ${ORV_EXE_LINK_FLAGS})
    add_test(NAME ${name} COMMAND ${A_WRAP} ${ORV_WINE_RUN} $<TARGET_FILE:${name}> ${A_ARGS})
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine)
  else()
    add_test(NAME ${name} COMMAND ${A_WRAP} $<TARGET_FILE:${name}> ${A_ARGS})
    set_tests_properties(${name} PROPERTIES
      ENVIRONMENT "ASAN_OPTIONS=detect_leaks=1:abort_on_error=1;UBSAN_OPTIONS=print_stacktrace=1")
  endif()
  set_tests_properties(${name} PROPERTIES WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  if(A_TIMEOUT)
    set_tests_properties(${name} PROPERTIES TIMEOUT ${A_TIMEOUT})
  endif()
  if(A_GUI)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK x11 LABELS gui)
  elseif(ORV_WINDOWS AND NOT A_NATIVE)
    # windows of their own on the shared display would spoil the GUI tests'
    # screenshots and steal their focus
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK x11)
  endif()
endfunction()

# orv_script_test(name COMMAND ... [WINDOWS|NATIVE] [GUI] [TIMEOUT s]): a test
# driven from the host (shell or Python): fixtures made by real tools, windows
# driven with xdotool. The environment carries ORV_WINE_RUN, ORV_BINARY_DIR
# and ORV_SOURCE_DIR.
function(orv_script_test name)
  cmake_parse_arguments(A "NATIVE;WINDOWS;GUI" "TIMEOUT" "COMMAND" ${ARGN})
  if(ORV_FUZZ)
    return()
  endif()
  if(ORV_NATIVE AND NOT A_NATIVE)
    return()
  endif()
  if(ORV_WINDOWS AND A_NATIVE AND NOT A_WINDOWS)
    return()
  endif()
  add_test(NAME ${name} COMMAND ${A_COMMAND})
  set_tests_properties(${name} PROPERTIES WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    ENVIRONMENT "ORV_WINE_RUN=${ORV_WINE_RUN};ORV_BINARY_DIR=${CMAKE_BINARY_DIR};ORV_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
  if(ORV_WINDOWS)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine)
  endif()
  if(A_TIMEOUT)
    set_tests_properties(${name} PROPERTIES TIMEOUT ${A_TIMEOUT})
  endif()
  if(A_GUI)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK x11 LABELS gui)
  elseif(ORV_WINDOWS AND NOT A_NATIVE)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK x11)
  endif()
endfunction()

# The Wine prefix, the private X display and the persistent wineserver live
# for one ctest run.
macro(orv_setup_wine_fixture)
  add_test(NAME wine_setup COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-env start ${CMAKE_BINARY_DIR})
  set_tests_properties(wine_setup PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
  add_test(NAME wine_cleanup COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-env stop ${CMAKE_BINARY_DIR})
  set_tests_properties(wine_cleanup PROPERTIES FIXTURES_CLEANUP wine)
endmacro()


# ----------------------------------------------------------------------- fuzz
# orv_fuzz_target(name SOURCES ... DEPS ... [CORPUS dir]): a libFuzzer program
# in the fuzz build; the test suite runs each for a short while on its corpus.
set(ORV_FUZZ_SECONDS 5 CACHE STRING "seconds of each fuzz target in the test suite")
function(orv_fuzz_target name)
  cmake_parse_arguments(A "" "CORPUS" "SOURCES;DEPS" ${ARGN})
  if(NOT ORV_FUZZ)
    return()
  endif()
  add_executable(${name} ${A_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${A_DEPS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set(work ${CMAKE_BINARY_DIR}/fuzz-corpus/${name})
  set(args -max_total_time=${ORV_FUZZ_SECONDS} -rss_limit_mb=2048 -timeout=10 ${work})
  if(A_CORPUS)
    list(APPEND args ${A_CORPUS})
  endif()
  add_test(NAME ${name} COMMAND ${CMAKE_COMMAND} -E make_directory ${work})
  add_test(NAME ${name}_run COMMAND ${name} ${args})
  set_tests_properties(${name} PROPERTIES FIXTURES_SETUP ${name}_dir)
  set_tests_properties(${name}_run PROPERTIES FIXTURES_REQUIRED ${name}_dir
    TIMEOUT 600 ENVIRONMENT "ASAN_OPTIONS=detect_leaks=1")
endfunction()
