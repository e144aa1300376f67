# The page viewer: parse and layout against Python's html.parser; under
# Windows also a page's whole load and its repaint against GDI alone.
include(${CMAKE_CURRENT_LIST_DIR}/benchlib.cmake)
if(TARGET orv_htmlcore)
  orv_bench(bench_htmlview SOURCES ${CMAKE_CURRENT_LIST_DIR}/htmlview_bench.cpp DEPS orv_htmlcore)
endif()
if(TARGET orv_htmlview)
  orv_bench(bench_htmlview_win SOURCES ${CMAKE_CURRENT_LIST_DIR}/htmlview_win_bench.cpp
    DEPS orv_htmlview orv_framework)
endif()
