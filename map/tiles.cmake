# tile sources as text, cache paths, the scheduler's order and the trim plan
orv_library(orv_tiles NATIVE
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tilepath.cpp ${CMAKE_CURRENT_LIST_DIR}/tileplan.cpp
  DEPS orv_text orv_files_base)
