# A fuzz target per decoder of the archive codecs, each with a seed corpus.
foreach(_m 8 9 12 14 95 98)
  orv_fuzz_target(fuzz_archive_codec_${_m}
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/archive_codecs_fuzz.cpp
    DEPS orv_zipcodec
    CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/archive_codec_${_m})
  if(TARGET fuzz_archive_codec_${_m})
    target_compile_definitions(fuzz_archive_codec_${_m} PRIVATE FUZZ_METHOD=${_m})
  endif()
endforeach()
