# Map window: the pure position/zoom arithmetic (also native) and the window.
orv_library(orv_mapmath NATIVE SOURCES ${CMAKE_CURRENT_LIST_DIR}/mapmath.cpp DEPS orv_geo)
if(ORV_WINDOWS AND TARGET orv_framework)
  orv_library(orv_mapwnd SOURCES ${CMAKE_CURRENT_LIST_DIR}/mapwnd.cpp DEPS orv_mapmath orv_toolkit)

  # Markers, tracks and the mouse join the window once their library exists
  # (its fragment comes later in this folder, hence the deferred call).
  function(_orv_mapwnd_join_overlay)
    if(TARGET orv_mapoverlay AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/mapwnd_overlay.cpp)
      target_sources(orv_mapwnd PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/mapwnd_overlay.cpp)
      target_link_libraries(orv_mapwnd PUBLIC orv_mapoverlay)
      target_compile_definitions(orv_mapwnd PUBLIC ORV_MAPWND_OVERLAY=1)
    endif()
  endfunction()
  cmake_language(DEFER CALL _orv_mapwnd_join_overlay)
endif()
