# orv_tilefx: post-processing of decoded tiles (pure picture functions).
orv_library(orv_tilefx NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tilefx.cpp
  DEPS orv_image)
