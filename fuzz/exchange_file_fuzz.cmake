# The exchange-file record reader (.WP, .RT, .TRC).
tavrik_fuzz(NAME exchange_file_fuzz SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/exchange_file_fuzz.cpp LINKS tavrik_library)
