# Painting markers and a long track against copying the frame's bytes.
include(${CMAKE_CURRENT_LIST_DIR}/benchlib.cmake)
if(ORV_WINDOWS AND TARGET orv_mapoverlay)
  orv_bench(bench_overlay SOURCES ${CMAKE_CURRENT_LIST_DIR}/overlay_bench.cpp DEPS orv_mapoverlay)
endif()
