# The GPX byte scanner, held against Qt's XML reader.
tavrik_fuzz(NAME gpx_read_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/gpx_read_fuzz.cpp
  LINKS tavrik_transfer)
