# The ZIP codecs against gzip, bzip2, xz and 7zz on one corpus.
include(${CMAKE_CURRENT_LIST_DIR}/benchlib.cmake)
if(TARGET orv_zipcodec)
  orv_bench(bench_archive_codecs SOURCES ${CMAKE_CURRENT_LIST_DIR}/archive_codecs_bench.cpp DEPS orv_zipcodec)
endif()
