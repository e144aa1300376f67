# Map-section export from a warm disk cache (Windows: the program's view
# code and a map window with its workers).
include(${CMAKE_CURRENT_LIST_DIR}/benchlib.cmake)
if(TARGET orv_game)
  orv_bench(bench_mapexport SOURCES ${CMAKE_CURRENT_LIST_DIR}/mapexport_bench.cpp DEPS orv_game)
endif()
