cmake_minimum_required(VERSION 3.16)
# Installs the release into WORK as the package lays it out, puts a board file
# beside host-simulator/korvu_host.exe, and runs the host simulator from there
# with no --ini and no --out: the report must name that board file, the run
# must place its modules on the one board it describes (slot 2), and the
# output must land beside the program. Then the trace driver goes in front of
# the simulated driver as trace-driver/INSTALL.txt says, and the report must
# name it and its trace file, which must be where it says; and once more with
# KORVU_TRACE_DRIVER=1, which sets the trace driver up in the output folder.
file(REMOVE_RECURSE "${WORK}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD}" --prefix "${WORK}" RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmake --install failed")
endif()
file(READ "${WORK}/INSTALL.txt" install HEX)
string(REGEX REPLACE "(..)" "\\1;" bytes "${install}")
set(previous "")
set(lines 0)
foreach(byte IN LISTS bytes)
    if(byte STREQUAL "0a")
        if(NOT previous STREQUAL "0d")
            message(FATAL_ERROR "INSTALL.txt has a line end without CR")
        endif()
        math(EXPR lines "${lines} + 1")
    endif()
    set(previous "${byte}")
endforeach()
if(lines LESS 10)
    message(FATAL_ERROR "INSTALL.txt was not read: ${lines} lines")
endif()
foreach(file trace-driver/tovel.dll trace-driver/INSTALL.txt trace-driver/tovel_trace.ini.example)
    if(NOT EXISTS "${WORK}/${file}")
        message(FATAL_ERROR "the package has no ${file}")
    endif()
endforeach()
set(host "${WORK}/host-simulator")
if(NOT EXISTS "${host}/tovel.ini.example")
    message(FATAL_ERROR "no tovel.ini.example beside korvu_host.exe")
endif()
file(WRITE "${host}/tovel.ini" "[board2]\npresent=1\naddress=0x340\n[wiring]\nin2.0=out2.0\n")
# korvu_host beside the package's folders, with a report that must say each of `expected`.
function(run_packaged_host label)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "ENV;EXPECT")
    execute_process(COMMAND ${CMAKE_COMMAND} -E env ${arg_ENV} ${EMULATOR} "${host}/korvu_host.exe" --blocks 2 --slot 2
                    WORKING_DIRECTORY "${WORK}" RESULT_VARIABLE rc OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT EXISTS "${host}/korvu_host_output/report.txt")
        message(FATAL_ERROR "${label}: no report beside the program:\n${output}")
    endif()
    file(READ "${host}/korvu_host_output/report.txt" text)
    foreach(expected IN LISTS arg_EXPECT)
        if(NOT text MATCHES "${expected}")
            message(FATAL_ERROR "${label}: the report does not say '${expected}':\n${text}")
        endif()
    endforeach()
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${label}: korvu_host ended with ${rc}:\n${output}")
    endif()
    set(report "${text}" PARENT_SCOPE)
endfunction()

run_packaged_host("a board file beside korvu_host.exe"
    EXPECT "Board file: [^\n]*host-simulator[/\\\\]tovel.ini\n" "slot 2: address 0x340" "Result: as expected")

# trace-driver/INSTALL.txt, steps 3 and 4, with the host simulator as the host.
file(COPY_FILE "${host}/drivers/full/tovel.dll" "${host}/tovel_maker.dll")
file(COPY_FILE "${WORK}/trace-driver/tovel.dll" "${host}/tovel.dll")
run_packaged_host("installed beside korvu_host.exe"
    EXPECT "Driver: [^\n]*host-simulator/tovel.dll \\(Tovel trace driver" "a trace driver in front of [^\n]*tovel_maker.dll"
           "transfers held against the simulated driver's record, every one alike" "Result: as expected")
string(REGEX MATCH "its trace file ([^\n]+)\n" found "${report}")
set(trace "${CMAKE_MATCH_1}")
if(NOT EXISTS "${trace}")
    message(FATAL_ERROR "the report names the trace file ${trace}, which is not there")
endif()
file(REMOVE "${trace}" "${host}/tovel.dll" "${host}/tovel_maker.dll")

run_packaged_host("KORVU_TRACE_DRIVER=1" ENV KORVU_TRACE_DRIVER=1
    EXPECT "Driver: [^\n]*korvu_host_output/trace-driver/tovel.dll \\(Tovel trace driver"
           "its trace file [^\n]*korvu_host_output/tovel_trace.csv" "every one alike" "Result: as expected")
