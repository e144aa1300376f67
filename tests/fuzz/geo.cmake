# The coordinate and "GMREF:" parsers on arbitrary text.
if(TARGET orv_geo)
  orv_fuzz_target(geo_parse_fuzz
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/geo_parse_fuzz.cpp
    DEPS orv_geo
    CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/geo)
endif()
