# Runs the host program as a user would from a shell and checks how it ends:
# its exit code and a line of what it printed (on either stream), or of what
# it printed on standard error; optionally a file it wrote, by its content
# and its size, and a file it must not leave. BEFORE runs the program once
# first with other arguments, whatever comes of it.
#
#   cmake -DPROGRAM=path [-DEMULATOR=wine] [-DBEFORE="a b"] -DARGS="a b" -DEXIT=n -DOUTPUT=regex
#         [-DSTDERR=regex] [-DFILE=path [-DFILE_MATCHES=regex] [-DFILE_MAX_BYTES=n]] [-DFILE_ABSENT=path]
#         -P expect_host_run.cmake
if(DEFINED BEFORE)
    separate_arguments(before UNIX_COMMAND "${BEFORE}")
    execute_process(COMMAND ${EMULATOR} ${PROGRAM} ${before} OUTPUT_QUIET ERROR_QUIET)
endif()
separate_arguments(args UNIX_COMMAND "${ARGS}")
execute_process(
    COMMAND ${EMULATOR} ${PROGRAM} ${args}
    RESULT_VARIABLE exit_code
    OUTPUT_VARIABLE printed
    ERROR_VARIABLE errors
    ECHO_OUTPUT_VARIABLE ECHO_ERROR_VARIABLE)
set(output "${printed}${errors}")
if(NOT exit_code EQUAL EXIT)
    message(FATAL_ERROR "korvu_host ${ARGS}: exit code ${exit_code}, expected ${EXIT}")
endif()
if(NOT output MATCHES "${OUTPUT}")
    message(FATAL_ERROR "korvu_host ${ARGS}: nothing in its output matches '${OUTPUT}'")
endif()
if(DEFINED STDERR AND NOT errors MATCHES "${STDERR}")
    message(FATAL_ERROR "korvu_host ${ARGS}: nothing on its standard error matches '${STDERR}'")
endif()
if(DEFINED FILE)
    if(NOT EXISTS "${FILE}")
        message(FATAL_ERROR "korvu_host ${ARGS}: ${FILE} was not written")
    endif()
    if(DEFINED FILE_MATCHES)
        file(READ "${FILE}" content)
        if(NOT content MATCHES "${FILE_MATCHES}")
            message(FATAL_ERROR "korvu_host ${ARGS}: nothing in ${FILE} matches '${FILE_MATCHES}'")
        endif()
    endif()
    if(DEFINED FILE_MAX_BYTES)
        file(SIZE "${FILE}" bytes)
        if(bytes GREATER FILE_MAX_BYTES)
            message(FATAL_ERROR "korvu_host ${ARGS}: ${FILE} has ${bytes} bytes, more than ${FILE_MAX_BYTES}")
        endif()
    endif()
endif()
if(DEFINED FILE_ABSENT AND EXISTS "${FILE_ABSENT}")
    message(FATAL_ERROR "korvu_host ${ARGS}: ${FILE_ABSENT} is there, left from an earlier run")
endif()
