tavrik_fuzz(NAME garmin_frame_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/garmin_frame_fuzz.cpp
  LINKS tavrik_transfer)
