orv_test(mapmath_tests NATIVE SOURCES ${CMAKE_CURRENT_LIST_DIR}/mapmath_test.cpp DEPS orv_mapmath)
if(TARGET orv_mapwnd)
  orv_test(mapwnd_tests GUI SOURCES ${CMAKE_CURRENT_LIST_DIR}/mapwnd_test.cpp DEPS orv_mapwnd TIMEOUT 60)
  # a map window on the screen, checked by screenshots from the host
  orv_executable(mapwnd_gui GUI SOURCES ${CMAKE_CURRENT_LIST_DIR}/mapwnd_gui.cpp DEPS orv_mapwnd)
  orv_script_test(mapwnd_gui_test
    COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/mapwnd_gui_test.py $<TARGET_FILE:mapwnd_gui>
    WINDOWS GUI TIMEOUT 180)
endif()
if(TARGET orv_mapwnd)
  # own program: it counts every heap block through operator new
  orv_test(mapwnd_lifetime_tests GUI SOURCES ${CMAKE_CURRENT_LIST_DIR}/mapwnd_lifetime_test.cpp DEPS orv_mapwnd
           TIMEOUT 60)
endif()
