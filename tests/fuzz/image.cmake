# Picture decoding (PNG, JPEG) on arbitrary bytes.
if(TARGET orv_image AND TARGET orv_tilefx)
  orv_fuzz_target(image_load_fuzz
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/image_fuzz.cpp
    DEPS orv_image orv_tilefx
    CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/image)
endif()
