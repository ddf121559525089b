# Runs the host program as a user would from a shell and checks how it ends:
# its exit code and a line of what it printed.
#
#   cmake -DPROGRAM=path [-DEMULATOR=wine] -DARGS="a b" -DEXIT=n -DOUTPUT=regex -P expect_host_run.cmake
separate_arguments(args UNIX_COMMAND "${ARGS}")
execute_process(
    COMMAND ${EMULATOR} ${PROGRAM} ${args}
    RESULT_VARIABLE exit_code
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output
    ECHO_OUTPUT_VARIABLE ECHO_ERROR_VARIABLE)
if(NOT exit_code EQUAL EXIT)
    message(FATAL_ERROR "korvu_host ${ARGS}: exit code ${exit_code}, expected ${EXIT}")
endif()
if(NOT output MATCHES "${OUTPUT}")
    message(FATAL_ERROR "korvu_host ${ARGS}: nothing in its output matches '${OUTPUT}'")
endif()
