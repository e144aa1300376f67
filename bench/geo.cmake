# Geodesy and coordinate text against haversine, snprintf, strtod, sscanf.
include(${CMAKE_CURRENT_LIST_DIR}/benchlib.cmake)
if(TARGET orv_geo)
  orv_bench(bench_geo SOURCES ${CMAKE_CURRENT_LIST_DIR}/geo_bench.cpp DEPS orv_geo)
endif()
