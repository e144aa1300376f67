# orv_geo: geodesy, Mercator, the "GMREF:" record and coordinate text.
if(TARGET orv_text)
  orv_library(orv_geo NATIVE
    SOURCES
      ${CMAKE_CURRENT_LIST_DIR}/geo_distance.cpp
      ${CMAKE_CURRENT_LIST_DIR}/geo_ref.cpp
      ${CMAKE_CURRENT_LIST_DIR}/geo_coord.cpp
    DEPS orv_text)
endif()
