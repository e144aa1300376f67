# The scoreboard: an animation tick against blending its slices, and the
# half-size board against copying its bytes.
include(${CMAKE_CURRENT_LIST_DIR}/benchlib.cmake)
if(TARGET orv_gameplay)
  orv_bench(bench_scoreboard SOURCES ${CMAKE_CURRENT_LIST_DIR}/scoreboard_bench.cpp
    DEPS orv_gameplay $<$<BOOL:${ORV_WINDOWS}>:msimg32>)
endif()
