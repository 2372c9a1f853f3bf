# The BSB/KAP text header reader and the georeference built from what it reads.
tavrik_fuzz(NAME kap_header_fuzz SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/kap_header_fuzz.cpp LINKS tavrik_chart)
# Coverage feedback from the reader itself, not only from the harness. The sanitizer
# runtime supplies the coverage hooks to the other programs that link the library.
if(TAVRIK_SANITIZE)
  target_compile_options(tavrik_chart PRIVATE -fsanitize=fuzzer-no-link)
endif()
