# The ZIP directory reader, the decryption filters and name decoding.
if(TARGET orv_archive)
  orv_fuzz_target(archive_zip_dir_fuzz
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/archive_zip_dir_fuzz.cpp
    DEPS orv_archive
    CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/archive_zip)
  orv_fuzz_target(archive_zip_crypt_fuzz
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/archive_zip_crypt_fuzz.cpp
    DEPS orv_archive)
  orv_fuzz_target(archive_zip_name_fuzz
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/archive_zip_name_fuzz.cpp
    DEPS orv_archive
    CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/archive_zipname)
endif()
