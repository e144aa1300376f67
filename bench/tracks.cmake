# Track files: reading, writing and statistics against plain C library work.
include(${CMAKE_CURRENT_LIST_DIR}/benchlib.cmake)
if(TARGET orv_tracks)
  orv_bench(bench_tracks SOURCES ${CMAKE_CURRENT_LIST_DIR}/tracks_bench.cpp DEPS orv_tracks)
endif()
