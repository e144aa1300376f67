# Tests of orv_geo: properties and edge cases (geo_tests), and distances and
# destinations against an independent geodesic implementation in Python
# (geo_reference: the script writes the table, geo_reference_check reads it).
if(TARGET orv_geo)
  set(_geo_dir ${CMAKE_CURRENT_LIST_DIR})
  orv_test(geo_tests NATIVE
    SOURCES ${_geo_dir}/geo_distance_test.cpp ${_geo_dir}/geo_ref_test.cpp
            ${_geo_dir}/geo_coord_test.cpp
    DEPS orv_geo)
  if(NOT ORV_FUZZ)
    add_executable(geo_reference_check ${_geo_dir}/geo_reference_check.cpp)
    target_include_directories(geo_reference_check PRIVATE ${CMAKE_SOURCE_DIR})
    target_compile_options(geo_reference_check PRIVATE ${ORV_COMMON_FLAGS})
    target_link_libraries(geo_reference_check PRIVATE orv_geo GTest::gtest orv_gtest_main)
    if(ORV_WINDOWS)
      target_link_options(geo_reference_check PRIVATE ${ORV_EXE_LINK_FLAGS})
    endif()
    orv_script_test(geo_reference NATIVE WINDOWS
      COMMAND python3 ${_geo_dir}/geo_reference.py $<TARGET_FILE:geo_reference_check>)
  endif()
endif()
