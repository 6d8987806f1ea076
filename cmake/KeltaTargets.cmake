# Helpers that give every Kelta target the same warnings and test wiring.

function(kelta_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                         -Wcast-align -Woverloaded-virtual -Wno-missing-field-initializers)
  if(KELTA_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# kelta_static_library(name SOURCES ... LIBS ...): a static library of Kelta's
# sources; the subsystem decides whether Qt may appear in it.
function(kelta_static_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  kelta_warnings(${name})
endfunction()

set(KELTA_TEST_BIN_DIR ${CMAKE_BINARY_DIR}/tests-bin)

# A test program run by CTest from the tests' own folder, with the program
# folder and the source folder known to it.
function(kelta_test_program name)
  cmake_parse_arguments(ARG "NO_TEST" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KELTA_TEST_BIN_DIR})
  target_compile_definitions(${name} PRIVATE
    KELTA_PROGRAM_DIR="${KELTA_PROGRAM_DIR}" KELTA_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  kelta_warnings(${name})
  # Tests that read DVDs start the DVD reader from the program folder.
  if(TARGET kelta-dvd-reader)
    add_dependencies(${name} kelta-dvd-reader)
  endif()
  if(NOT ARG_NO_TEST)
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${KELTA_TEST_BIN_DIR})
    set_tests_properties(${name} PROPERTIES TIMEOUT 600)
  endif()
endfunction()

# kelta_gtest(name SOURCES ... LIBS ...): a GoogleTest program whose cases
# CTest sees one by one, so a failure names its case.
function(kelta_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  kelta_test_program(${name} SOURCES ${ARG_SOURCES} LIBS ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock
                     NO_TEST)
  # A case is named by its table row, not by a byte dump of its parameter.
  gtest_discover_tests(${name} TEST_PREFIX "${name}." WORKING_DIRECTORY ${KELTA_TEST_BIN_DIR} NO_PRETTY_VALUES
                       DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600)
endfunction()

# kelta_qtest(name SOURCES ... LIBS ...): a Qt Test program on the offscreen platform.
function(kelta_qtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  kelta_test_program(${name} SOURCES ${ARG_SOURCES} LIBS ${ARG_LIBS} Qt6::Test)
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_RUNTIME_DIR=${CMAKE_BINARY_DIR}/xdg-runtime")
endfunction()

# kelta_bench(name SOURCES ... LIBS ...): a Google Benchmark program (not run by CTest).
function(kelta_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} kelta_bench_support benchmark::benchmark)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/bench)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench-bin)
  target_compile_definitions(${name} PRIVATE KELTA_PROGRAM_DIR="${KELTA_PROGRAM_DIR}")
  kelta_warnings(${name})
  if(TARGET kelta-dvd-reader)
    add_dependencies(${name} kelta-dvd-reader)
  endif()
endfunction()
