# Tile post-processing against memcpy of the tile.
include(${CMAKE_CURRENT_LIST_DIR}/benchlib.cmake)
if(TARGET orv_tilefx)
  orv_bench(bench_tilefx SOURCES ${CMAKE_CURRENT_LIST_DIR}/tilefx_bench.cpp DEPS orv_tilefx)
endif()
