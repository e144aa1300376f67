# Map window buffer moves and zoom previews against memmove/memcpy.
include(${CMAKE_CURRENT_LIST_DIR}/benchlib.cmake)
if(TARGET orv_mapmath)
  orv_bench(bench_mapwnd SOURCES ${CMAKE_CURRENT_LIST_DIR}/mapwnd_bench.cpp DEPS orv_mapmath)
endif()
