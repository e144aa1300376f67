# The BMP, ICO/CUR, PNM, XPM and XWD readers, each called directly.
if(TARGET orv_image)
  foreach(_fmt bmp ico pnm xpm xwd)
    string(SUBSTRING ${_fmt} 0 1 _first)
    string(SUBSTRING ${_fmt} 1 -1 _rest)
    string(TOUPPER ${_first} _first)
    orv_fuzz_target(image_${_fmt}_fuzz
      SOURCES ${CMAKE_CURRENT_LIST_DIR}/image_raster_fuzz.cpp
      DEPS orv_image
      CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/image_raster)
    if(TARGET image_${_fmt}_fuzz)
      target_compile_definitions(image_${_fmt}_fuzz PRIVATE
        ORV_RASTER_HEADER="image/formats/${_fmt}codec.h" ORV_RASTER_DECODE=ImgDecode${_first}${_rest})
    endif()
  endforeach()
endif()
# and their writers, read back
if(TARGET orv_image)
  orv_fuzz_target(image_raster_write_fuzz
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/image_raster_write_fuzz.cpp
    DEPS orv_image)
endif()
