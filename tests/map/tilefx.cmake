# Tile post-processing, pixel by pixel.
orv_test(tilefx_tests NATIVE SOURCES ${CMAKE_CURRENT_LIST_DIR}/tilefx_test.cpp DEPS orv_tilefx)
