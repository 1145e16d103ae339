# Fails when a test program holds a suite that the suite tests do not run: lists the
# program's tests through the emulator and compares their suites with SUITES.
#   cmake -DEMULATOR=... -DPROGRAM=... -DSUITES=a;b;c -P check_suites.cmake
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${EMULATOR} ${PROGRAM} --gtest_list_tests OUTPUT_VARIABLE listing
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --gtest_list_tests failed (${result})")
endif()
string(REPLACE "\n" ";" lines "${listing}")
set(missing)
set(found 0)
foreach(line IN LISTS lines)
  # Suite lines start in column one: "Suite." or "Prefix/Suite." (then, maybe, a comment).
  if(line MATCHES "^([A-Za-z0-9_]+/)?([A-Za-z0-9_]+)\\.")
    math(EXPR found "${found} + 1")
    if(NOT CMAKE_MATCH_2 IN_LIST SUITES)
      list(APPEND missing ${CMAKE_MATCH_2})
    endif()
  endif()
endforeach()
if(found EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} lists no tests")
endif()
if(missing)
  message(FATAL_ERROR "suites not run as tests (declare them with TEST, TEST_F or TEST_P "
                      "at the start of a line): ${missing}")
endif()
message(STATUS "${found} suites of ${PROGRAM} all run")
