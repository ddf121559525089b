cmake_minimum_required(VERSION 3.16)
# korvu_host --watch-once in a second process while the host program runs the
# main job through the trace driver: the watcher must see the calls move on
# while the host runs, and at its end slot 0 closed, the last byte written to
# output port 0 read back from input port 0 (the board's loopback).
#
#   cmake -DPROGRAM=korvu_host.exe [-DEMULATOR=wine] -DWORK=dir -P check_watch.cmake
file(REMOVE_RECURSE "${WORK}")
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env KORVU_TRACE_DRIVER=1 TOVEL_SIM_INI= ${EMULATOR} ${PROGRAM} --blocks 3000
            --out ${WORK}/host
    COMMAND ${EMULATOR} ${PROGRAM} --watch-once --out ${WORK}/watch
    RESULTS_VARIABLE results OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT results STREQUAL "0;0")
    message(FATAL_ERROR "host and watcher ended with ${results}:\n${output}")
endif()
file(READ "${WORK}/host/report.txt" report)
if(NOT report MATCHES "Result: as expected")
    message(FATAL_ERROR "the traced run did not go as expected:\n${report}")
endif()
file(READ "${WORK}/watch/watch.txt" watched)
if(NOT watched MATCHES "with new calls: ([0-9]+)" OR CMAKE_MATCH_1 LESS 3)
    message(FATAL_ERROR "the watcher did not see the run move:\n${watched}")
endif()
if(NOT watched MATCHES "slot 0 closed out0 0x([0-9A-F][0-9A-F]) \\(call [0-9]+\\) in0 0x([0-9A-F][0-9A-F])"
   OR NOT CMAKE_MATCH_1 STREQUAL CMAKE_MATCH_2)
    message(FATAL_ERROR "the watcher's last look is not the board's end:\n${watched}")
endif()
foreach(picture watch.png watch_end.png)
    if(NOT EXISTS "${WORK}/watch/${picture}")
        message(FATAL_ERROR "the watcher left no ${picture}")
    endif()
endforeach()
message(STATUS "${watched}")
