# Picture decoding on arbitrary bytes: by content (all formats) and each of
# GIF, TIFF and EPS directly; and every writer's output read back.
if(TARGET orv_image AND TARGET orv_tilefx)
  orv_fuzz_target(image_load_fuzz
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/image_fuzz.cpp
    DEPS orv_image orv_tilefx
    CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/image)
endif()
if(TARGET orv_image)
  foreach(_f gif tiff eps)
    orv_fuzz_target(image_${_f}_fuzz
      SOURCES ${CMAKE_CURRENT_LIST_DIR}/image_${_f}_fuzz.cpp
      DEPS orv_image
      CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/image_${_f})
  endforeach()
  orv_fuzz_target(image_writer_fuzz
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/image_writer_fuzz.cpp
    DEPS orv_image
    CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/image_writer)
endif()
