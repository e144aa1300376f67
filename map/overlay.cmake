# Markers, track lines, highlights and the mouse modes of the map window:
# the logic builds natively too; painting and the menu bitmap need GDI.
if(TARGET orv_mapmath AND TARGET orv_geo)
  orv_library(orv_mapoverlay NATIVE
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/mapoverlay.cpp ${CMAKE_CURRENT_LIST_DIR}/mapmouse.cpp
    DEPS orv_mapmath orv_geo orv_text)
endif()
if(ORV_WINDOWS AND TARGET orv_mapoverlay)
  target_sources(orv_mapoverlay PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/mapoverlay_paint.cpp ${CMAKE_CURRENT_LIST_DIR}/mapmouse_win.cpp)
  target_link_libraries(orv_mapoverlay PUBLIC gdi32 user32 msimg32)
endif()
