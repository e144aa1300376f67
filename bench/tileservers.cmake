# Loading the tile-server tables against the same registry reads done bare.
include(${CMAKE_CURRENT_LIST_DIR}/benchlib.cmake)
if(TARGET orv_game)
  orv_bench(bench_tileservers SOURCES ${CMAKE_CURRENT_LIST_DIR}/tileservers_bench.cpp DEPS orv_game)
endif()
