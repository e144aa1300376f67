# Tests of the data stream, CRC-32 and codecs.
set(_d ${CMAKE_CURRENT_LIST_DIR})
orv_executable(orv_codec_tool SOURCES ${_d}/codec_tool.cpp DEPS orv_zipcodec)
orv_script_test(archive_codec_realtools NATIVE WINDOWS
  COMMAND python3 ${_d}/codec_realtools.py $<TARGET_FILE:orv_codec_tool> ${CMAKE_CURRENT_BINARY_DIR}/codec_realtools
  TIMEOUT 300)
orv_test(archive_codec_test NATIVE
  SOURCES ${_d}/codec_stream_test.cpp ${_d}/codec_unit_test.cpp
  DEPS orv_zipcodec orv_files_base
  TIMEOUT 120)
