cmake_minimum_required(VERSION 3.16)
# The host recorder in front of the plug-in, as host-recorder/INSTALL.txt
# installs it, under the simulated host and each of its named behaviours:
#   - the main job's report is the same through the recorder as without it;
#   - the profile names the behaviour and no other: each finding is the
#     polite host's but the one the behaviour changes;
#   - fed back with --host-profile, a profile makes the simulated host that
#     host: a second recording gives the same findings.
#
#   cmake -DPROGRAM=korvu_host.exe -DRECORDER=<its Korvu_ux1.dll> -DPLUGIN=<the plug-in>
#         -DWORK=<folder> [-DEMULATOR=wine] -P check_recorder.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/host")
file(COPY_FILE "${RECORDER}" "${WORK}/host/Korvu_ux1.dll")
file(COPY_FILE "${PLUGIN}" "${WORK}/host/Korvu_ux1_plugin.dll")
file(WRITE "${WORK}/host/korvu_recorder.ini" "[recorder]\nfile=recording.csv\n")
set(profile "${WORK}/host/recording_profile.txt")

# The run's report, and with RECORDED the profile's findings as "key: value" lines.
function(run label)
    cmake_parse_arguments(PARSE_ARGV 1 arg "RECORDED" "" "ARGS")
    set(out "${WORK}/${label}")
    file(REMOVE "${profile}" "${WORK}/host/recording.csv")
    set(plugin "")
    if(arg_RECORDED)
        set(plugin --plugin "${WORK}/host/Korvu_ux1.dll")
    endif()
    execute_process(COMMAND ${EMULATOR} "${PROGRAM}" --blocks 20 --fail-after-writes 100 ${plugin} ${arg_ARGS} --out "${out}"
                    RESULT_VARIABLE rc OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${label}: korvu_host ended with ${rc}:\n${output}")
    endif()
    file(READ "${out}/report.txt" report)
    # What differs between any two runs: times, rates, memory, the folder.
    string(REGEX REPLACE "Run time: [^\n]*\n|Pictures, report[^\n]*\n" "" report "${report}")
    set(report "${report}" PARENT_SCOPE)
    if(arg_RECORDED)
        if(NOT EXISTS "${profile}")
            message(FATAL_ERROR "${label}: no profile beside the recording:\n${output}")
        endif()
        file(STRINGS "${profile}" lines)
        set(findings "")
        foreach(line IN LISTS lines)
            if(line STREQUAL "")
                break()
            endif()
            if(NOT line MATCHES "^#")
                string(REGEX REPLACE "  \\(.*" "" line "${line}")
                list(APPEND findings "${line}")
            endif()
        endforeach()
        set(findings "${findings}" PARENT_SCOPE)
        file(COPY_FILE "${profile}" "${WORK}/${label}_profile.txt")
    endif()
endfunction()

run(alone)
set(alone_report "${report}")
run(polite RECORDED)
if(NOT report STREQUAL alone_report)
    message(FATAL_ERROR "the report through the recorder differs from the report without it:\n${report}\n--- without:\n${alone_report}")
endif()
set(polite "${findings}")
list(LENGTH polite count)
if(count LESS 8)
    message(FATAL_ERROR "the polite host's profile has ${count} findings:\n${polite}")
endif()

# behaviour | the finding it changes, as the profile says it
set(cases
    "stdcall-services|services: stdcall"
    "fpu-0x1332|x87 control word: 0x1332"
    "stop-at-once|stop experiment: at once"
    "warnings-pump|warnings: pump the run"
    "dialog-pump|size changes: pump the dialogs")
foreach(case IN LISTS cases)
    string(REPLACE "|" ";" case "${case}")
    list(GET case 0 behaviour)
    list(GET case 1 changed)
    string(REGEX REPLACE ":.*" "" key "${changed}")
    run(${behaviour} RECORDED ARGS --host-behaviour ${behaviour})
    set(expected "")
    foreach(finding IN LISTS polite)
        if(finding MATCHES "^${key}: ")
            list(APPEND expected "${changed}")
        elseif(behaviour STREQUAL "fpu-0x1332" AND finding MATCHES "^x87 status flags: ")
            list(APPEND expected "x87 status flags: 0x00")  # the named environment raises none
        else()
            list(APPEND expected "${finding}")
        endif()
    endforeach()
    if(NOT findings STREQUAL expected)
        string(REPLACE ";" "\n  " findings "${findings}")
        string(REPLACE ";" "\n  " expected "${expected}")
        message(FATAL_ERROR "${behaviour}: the profile says\n  ${findings}\nwhere it should say\n  ${expected}")
    endif()
    # The loop closes: the profile fed back gives the same findings.
    set(recorded "${findings}")
    run(${behaviour}_again RECORDED ARGS --host-profile "${WORK}/${behaviour}_profile.txt")
    if(NOT findings STREQUAL recorded)
        message(FATAL_ERROR "${behaviour}: fed back, the profile gave\n${findings}\nwhere the first recording gave\n${recorded}")
    endif()
    if(NOT report MATCHES "Host behaviours: ${behaviour}\n  from the host profile")
        message(FATAL_ERROR "${behaviour}: fed back, the report says\n${report}")
    endif()
endforeach()
message(STATUS "the recorder names each behaviour and no other, and each profile fed back gives itself")
