# BMP and PNM decoding against Pillow (native only).
include(${CMAKE_CURRENT_LIST_DIR}/benchlib.cmake)
if(TARGET orv_image)
  orv_bench(bench_image_raster SOURCES ${CMAKE_CURRENT_LIST_DIR}/image_raster_bench.cpp DEPS orv_image)
endif()
