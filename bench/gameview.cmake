# Creating the program's frame with bars, menu images, view and map against
# a plain frame with an empty view.
include(${CMAKE_CURRENT_LIST_DIR}/benchlib.cmake)
if(TARGET orv_game AND COMMAND orv_use_frame_art)
  enable_language(RC)
  orv_bench(bench_gameview SOURCES ${CMAKE_CURRENT_LIST_DIR}/gameview_bench.cpp
    ${CMAKE_SOURCE_DIR}/resources/Orvalo.rc DEPS orv_game)
  orv_use_frame_art(bench_gameview)
  orv_game_media(bench_gameview ${CMAKE_SOURCE_DIR}/resources/Orvalo.rc)
  set_source_files_properties(${CMAKE_SOURCE_DIR}/resources/Orvalo.rc PROPERTIES
    COMPILE_OPTIONS "--preprocessor-arg=-Wno-trigraphs")
endif()
