# Tile sources, the disk cache and its trim (also native); the download
# workers join the map window (Windows).
orv_library(orv_tilecache NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/maptiles.cpp ${CMAKE_CURRENT_LIST_DIR}/tilecache.cpp
  DEPS orv_tiles orv_files_base)
if(TARGET orv_mapwnd)
  target_sources(orv_mapwnd PRIVATE ${CMAKE_CURRENT_LIST_DIR}/maptiles_wnd.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tileworker.cpp ${CMAKE_CURRENT_LIST_DIR}/tilecache_io.cpp)
  target_link_libraries(orv_mapwnd PUBLIC orv_tilecache orv_tilefx orv_comm orv_image)
endif()
