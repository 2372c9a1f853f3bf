# The chart information file reader and its writer's round trip.
tavrik_fuzz(NAME chi_file_fuzz SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/chi_file_fuzz.cpp LINKS tavrik_library)
