# Warnings are errors on the project's own code only.
function(tavrik_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror
    -Wno-error=deprecated-declarations)
endfunction()

# tavrik_library(NAME tavrik_core SOURCES ... LINKS ...)
function(tavrik_library)
  cmake_parse_arguments(L "" "NAME" "SOURCES;LINKS" ${ARGN})
  add_library(${L_NAME} STATIC ${L_SOURCES})
  target_include_directories(${L_NAME} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${L_NAME} PUBLIC ${L_LINKS})
  tavrik_warnings(${L_NAME})
endfunction()

# tavrik_test(NAME core_tests SOURCES ... LINKS ...)
function(tavrik_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LINKS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LINKS} GTest::gtest GTest::gtest_main)
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${T_NAME} PRIVATE
    TAVRIK_TESTDATA="${PROJECT_SOURCE_DIR}/tests/data"
    TAVRIK_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    TAVRIK_BINARY_DIR="${PROJECT_BINARY_DIR}")
  tavrik_warnings(${T_NAME})
  gtest_discover_tests(${T_NAME} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
