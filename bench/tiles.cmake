# The tile pipeline (Windows: a view filled by the workers) and the cache
# trim's walk (both builds).
include(${CMAKE_CURRENT_LIST_DIR}/benchlib.cmake)
if(TARGET orv_mapwnd)
  orv_bench(bench_tiles SOURCES ${CMAKE_CURRENT_LIST_DIR}/tiles_bench.cpp DEPS orv_mapwnd)
elseif(TARGET orv_tilecache)
  orv_bench(bench_tiles SOURCES ${CMAKE_CURRENT_LIST_DIR}/tiles_bench.cpp DEPS orv_tilecache)
endif()
