# The folder dialog's listings against a bare FindFirstFileA loop with icons.
include(${CMAKE_CURRENT_LIST_DIR}/benchlib.cmake)
if(TARGET orv_folderdlg)
  orv_bench(bench_folderdlg SOURCES ${CMAKE_CURRENT_LIST_DIR}/folderdlg_bench.cpp DEPS orv_folderdlg)
endif()
