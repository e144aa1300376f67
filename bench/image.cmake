# Tile blending against memcpy; PNG and JPEG tile decoding against the
# libraries' own plain loops.
include(${CMAKE_CURRENT_LIST_DIR}/benchlib.cmake)
if(TARGET orv_image)
  orv_bench(bench_image SOURCES ${CMAKE_CURRENT_LIST_DIR}/image_bench.cpp DEPS orv_image)
endif()
