# The main frame: owner-drawn menu items against DrawText + ImageList_Draw,
# and creating the frame with bars, menu images and the view against a
# plain frame with an empty view.
include(${CMAKE_CURRENT_LIST_DIR}/benchlib.cmake)
if(ORV_WINDOWS AND TARGET orv_game)
  orv_bench(bench_frame SOURCES ${CMAKE_CURRENT_LIST_DIR}/frame_bench.cpp ${CMAKE_SOURCE_DIR}/resources/Orvalo.rc
    DEPS orv_game)
  orv_use_frame_art(bench_frame)
  orv_game_media(bench_frame ${CMAKE_SOURCE_DIR}/resources/Orvalo.rc)
  set_source_files_properties(${CMAKE_SOURCE_DIR}/resources/Orvalo.rc DIRECTORY ${CMAKE_CURRENT_LIST_DIR}
    PROPERTIES COMPILE_OPTIONS "--preprocessor-arg=-Wno-trigraphs")
endif()
