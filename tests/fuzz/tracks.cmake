# The track readers' cores (GPX, KML, KMZ, TRK, TK, CSV) and the format
# recognition, each its own program from one source.
if(TARGET orv_tracks)
  set(_n 0)
  foreach(_core gpx kml kmz trk tk csv recognize)
    math(EXPR _n "${_n} + 1")
    orv_fuzz_target(tracks_${_core}_fuzz
      SOURCES ${CMAKE_CURRENT_LIST_DIR}/tracks_fuzz.cpp
      DEPS orv_tracks
      CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/tracks_${_core})
    if(TARGET tracks_${_core}_fuzz)
      target_compile_definitions(tracks_${_core}_fuzz PRIVATE TRACK_FUZZ_CORE=${_n})
    endif()
  endforeach()
endif()
