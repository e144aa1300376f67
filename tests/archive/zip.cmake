# The ZIP library: unit tests, and the tool-driven tests against 7-Zip,
# Info-ZIP, bsdtar, Python's zipfile/hashlib/hmac and openssl.
set(_d ${CMAKE_CURRENT_LIST_DIR})
if(TARGET orv_archive AND NOT ORV_FUZZ)
  orv_test(zip_unit_tests NATIVE
    SOURCES ${_d}/zip_unit_test.cpp ${_d}/zip_crypt_names_test.cpp
      ${_d}/zip_safety_test.cpp
    DEPS orv_archive)
  orv_executable(zipcheck SOURCES ${_d}/zipcheck.cpp DEPS orv_archive)
  orv_executable(zipcryptocheck SOURCES ${_d}/zipcryptocheck.cpp DEPS orv_archive)
  if(ORV_WINDOWS)
    set(_run ${ORV_WINE_RUN})
  else()
    set(_run)
  endif()
  orv_script_test(zip_tools_test NATIVE WINDOWS TIMEOUT 900
    COMMAND python3 ${_d}/scripts/zip_tools_test.py ${_run} $<TARGET_FILE:zipcheck>)
  # an entry over 4 GiB from a sparse file (native only: the code is the same)
  orv_script_test(zip_huge_test NATIVE TIMEOUT 900
    COMMAND python3 ${_d}/scripts/zip_huge_test.py $<TARGET_FILE:zipcheck>)
  orv_script_test(zip_crypto_test NATIVE WINDOWS TIMEOUT 300
    COMMAND python3 ${_d}/scripts/zip_crypto_test.py ${_run} $<TARGET_FILE:zipcryptocheck>)
endif()
if(TARGET orv_archive AND ORV_WINDOWS)
  enable_language(RC)
  orv_test(zip_resource_tests
    SOURCES ${_d}/zip_resource_test.cpp ${_d}/zip_resource_test.rc
    DEPS orv_archive)
endif()
