# The page viewer's parser and layout.
orv_fuzz_target(htmlview_page_fuzz
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/htmlview_fuzz.cpp
  DEPS orv_htmlcore
  CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/htmlview)
