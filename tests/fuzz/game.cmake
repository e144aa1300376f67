# The game's readers of outside input: game pages and the key box's records.
if(TARGET orv_gameplay)
  orv_fuzz_target(game_page_fuzz
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/game_page_fuzz.cpp
    DEPS orv_gameplay
    CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/game_page)
  orv_fuzz_target(game_remote_fuzz
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/game_remote_fuzz.cpp
    DEPS orv_gameplay
    CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/game_remote)
endif()
