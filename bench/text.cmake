# Text library against the C library: number parsing and formatting, search.
include(${CMAKE_CURRENT_LIST_DIR}/benchlib.cmake)
if(TARGET orv_text)
  orv_bench(bench_text SOURCES ${CMAKE_CURRENT_LIST_DIR}/text_bench.cpp DEPS orv_text)
endif()
