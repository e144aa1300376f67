# Random operation sequences on the TreeList logic, with a parent that
# deletes, inserts and sorts inside notifications.
if(TARGET orv_treelist)
  orv_fuzz_target(treelist_ops_fuzz
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/treelist_ops_fuzz.cpp ${CMAKE_SOURCE_DIR}/tests/treelist/tlops.cpp
      ${CMAKE_SOURCE_DIR}/tests/treelist/fakehost.cpp
    DEPS orv_treelist CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/treelist_ops)
endif()
