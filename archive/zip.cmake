# orv_archive: ZIP archives (directory, entries, decryption) on the codecs.
set(_d ${CMAKE_CURRENT_LIST_DIR})
orv_library(orv_archive NATIVE
  SOURCES
    ${_d}/aes.cpp
    ${_d}/sha1.cpp
    ${_d}/ziperror.cpp
    ${_d}/archivefile.cpp
    ${_d}/archivechannel.cpp
    ${_d}/archivenotify.cpp
    ${_d}/zipname.cpp
    ${_d}/zipextra.cpp
    ${_d}/zipdir.cpp
    ${_d}/zipfile.cpp
    ${_d}/zipcrypt.cpp
    ${_d}/zipextract.cpp
    ${_d}/zipextfile.cpp
    ${_d}/zipadd.cpp
    ${_d}/zipaddfolder.cpp
    ${_d}/zipcommit.cpp
  DEPS orv_zipcodec orv_files_base orv_text)
