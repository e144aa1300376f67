# orv_bench(name SOURCES ... DEPS ...): a benchmark program (a plain
# executable built from bench/benchlib.h, not a ctest test). It lands in
# <build>/bench/ and joins the target orv_benchmarks, which scripts/bench
# builds and runs natively and under Wine. Every fragment of this folder
# includes this file first (the guard makes the order of fragments free).
include_guard(GLOBAL)

if(NOT TARGET orv_benchmarks AND NOT ORV_FUZZ)
  add_custom_target(orv_benchmarks)
endif()

function(orv_bench name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  if(ORV_FUZZ)
    return()
  endif()
  add_executable(${name} ${A_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${ORV_COMMON_FLAGS})
  target_link_libraries(${name} PRIVATE ${A_DEPS})
  if(ORV_WINDOWS)
    target_link_options(${name} PRIVATE ${ORV_EXE_LINK_FLAGS})
  endif()
  add_dependencies(orv_benchmarks ${name})
endfunction()
