orv_test(tiles_tests NATIVE SOURCES ${CMAKE_CURRENT_LIST_DIR}/tiles_test.cpp DEPS orv_tiles)
