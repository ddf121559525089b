# Runs one GoogleTest program (through the emulator when cross-built) and
# judges the run by more than its exit code: under Wine a program that dies
# on an unhandled exception can still end with 0.
#
#   cmake -DPROGRAM=path [-DEMULATOR=wine] [-DARGS=a;b] -P run_test_program.cmake
#
# The run fails on a non-zero exit, on an unhandled exception in the output,
# or when GoogleTest's closing summary is missing (the program never got to
# the end of its tests).

execute_process(
    COMMAND ${EMULATOR} ${PROGRAM} ${ARGS}
    RESULT_VARIABLE exit_code
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output
    ECHO_OUTPUT_VARIABLE ECHO_ERROR_VARIABLE
    TIMEOUT 1200)  # below CTest's own, so that the program goes with its run

if(output MATCHES "wine: Unhandled [^\n]*|Unhandled exception[^\n]*")
    message(FATAL_ERROR "test program run: unhandled exception (${CMAKE_MATCH_0})")
endif()
if(NOT output MATCHES "\\[==========\\] [0-9]+ tests? from [0-9]+ test suites? ran")
    message(FATAL_ERROR "test program run: GoogleTest's closing summary is missing")
endif()
if(NOT exit_code EQUAL 0)
    message(FATAL_ERROR "test program run: exit code ${exit_code}")
endif()
