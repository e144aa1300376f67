# Data stream, CRC-32 and the compression codecs of the ZIP methods.
set(_d ${CMAKE_CURRENT_LIST_DIR})
orv_library(orv_zipcodec NATIVE
  SOURCES
    ${_d}/crc32.cpp
    ${_d}/zipstream.cpp
    ${_d}/zipcodec.cpp
    ${_d}/codec_deflate.cpp
    ${_d}/codec_inflate64.cpp
    ${_d}/codec_sdk.cpp
    ${_d}/codec_bzip2.cpp
    ${_d}/codec_lzma.cpp
    ${_d}/codec_xz.cpp
    ${_d}/codec_ppmd.cpp
    ${_d}/ppmd8_alloc.cpp
    ${_d}/ppmd8_model.cpp
    ${_d}/ppmd8_coder.cpp
  DEPS orv_zlib orv_bz2 orv_lzmasdk orv_files_base)
# The model views one block of memory as contexts, states and free nodes.
set_source_files_properties(${_d}/ppmd8_alloc.cpp ${_d}/ppmd8_model.cpp ${_d}/ppmd8_coder.cpp
  TARGET_DIRECTORY orv_zipcodec PROPERTIES COMPILE_OPTIONS -fno-strict-aliasing)
