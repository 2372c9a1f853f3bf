tavrik_fuzz(NAME nmea_receive_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/nmea_receive_fuzz.cpp
  LINKS tavrik_nmea)
