tavrik_fuzz(NAME ais_decoder_fuzz
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ais_decoder_fuzz.cpp
  LINKS tavrik_ais)
