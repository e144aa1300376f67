# TreeList inserts, repaint, sort and expand-all against smaller runs and
# std::sort (Windows: the control needs its window).
include(${CMAKE_CURRENT_LIST_DIR}/benchlib.cmake)
if(ORV_WINDOWS AND TARGET orv_treelist)
  orv_bench(bench_treelist SOURCES ${CMAKE_CURRENT_LIST_DIR}/treelist_bench.cpp DEPS orv_treelist)
endif()
