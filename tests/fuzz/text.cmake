# Parsers of the text library.
orv_fuzz_target(text_parsers_fuzz
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/text_fuzz.cpp
  DEPS orv_text
  CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/text)
