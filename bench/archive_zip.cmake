# ZIP extraction against Info-ZIP unzip.
include(${CMAKE_CURRENT_LIST_DIR}/benchlib.cmake)
if(TARGET orv_archive)
  orv_bench(bench_zip SOURCES ${CMAKE_CURRENT_LIST_DIR}/zip_bench.cpp DEPS orv_archive)
endif()
