# The tile sources and the cache trim (native and Windows); the workers
# against a local tile server (Windows).
orv_test(tilesources_tests NATIVE SOURCES ${CMAKE_CURRENT_LIST_DIR}/tilesources_test.cpp DEPS orv_tilecache)
orv_test(tilecache_tests NATIVE SOURCES ${CMAKE_CURRENT_LIST_DIR}/tilecache_test.cpp DEPS orv_tilecache)
if(TARGET orv_mapwnd)
  orv_test(tileworker_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/tileworker_test.cpp DEPS orv_mapwnd
    TIMEOUT 240 WRAP ${CMAKE_CURRENT_LIST_DIR}/with_tileserver.sh)
endif()
if(TARGET orv_mapwnd)
  # the window on the screen, filled from a local server, checked by screenshots
  orv_executable(tileworker_gui GUI SOURCES ${CMAKE_CURRENT_LIST_DIR}/tileworker_gui.cpp DEPS orv_mapwnd)
  orv_script_test(tileworker_gui_test
    COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/tileworker_gui_test.py $<TARGET_FILE:tileworker_gui>
    WINDOWS GUI TIMEOUT 180)
endif()
