# Markers, tracks, mouse modes: the logic natively, painting under Wine.
if(TARGET orv_mapoverlay)
  orv_test(overlay_tests NATIVE
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/overlay_test.cpp ${CMAKE_CURRENT_LIST_DIR}/mouse_test.cpp
    DEPS orv_mapoverlay)
  # track lengths against Vincenty's geodesic computed in Python
  orv_executable(overlay_length_check SOURCES ${CMAKE_CURRENT_LIST_DIR}/overlay_length_check.cpp DEPS orv_mapoverlay)
  orv_script_test(overlay_length_test
    COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/overlay_length_test.py $<TARGET_FILE:overlay_length_check>
    NATIVE WINDOWS TIMEOUT 60)
endif()
if(TARGET orv_mapwnd AND TARGET orv_mapoverlay)
  orv_test(overlay_wnd_tests GUI SOURCES ${CMAKE_CURRENT_LIST_DIR}/overlay_wnd_test.cpp DEPS orv_mapwnd TIMEOUT 60)
  # a map window on the screen with markers and a track, driven with xdotool
  orv_executable(overlay_gui GUI SOURCES ${CMAKE_CURRENT_LIST_DIR}/overlay_gui.cpp DEPS orv_mapwnd orv_geo)
  orv_script_test(overlay_gui_test
    COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/overlay_gui_test.py $<TARGET_FILE:overlay_gui>
    WINDOWS GUI TIMEOUT 180)
endif()
