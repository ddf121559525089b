cmake_minimum_required(VERSION 3.16)
# The plug-in's own code runs no x87 instruction outside its time arithmetic:
# the unit is the host's, and an instruction elsewhere (a sample compared as
# a float, a level stored as one) could raise under the host's masks or change
# its status word. The same holds for the trace driver. OBJECTS lists the
# object files; ALLOWED matches the names of those that may.
set(checked 0)
foreach(object IN LISTS OBJECTS)
    get_filename_component(name ${object} NAME)
    if(name MATCHES "^${ALLOWED}")
        continue()
    endif()
    execute_process(COMMAND ${OBJDUMP} -d --no-show-raw-insn ${object} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "objdump failed on ${object}")
    endif()
    # An instruction line reads "  addr:\tmnemonic operands"; x87 mnemonics begin with f.
    string(REGEX MATCHALL "\n *[0-9a-f]+:\tf[a-z0-9]*" found "${dump}")
    if(found)
        list(GET found 0 first)
        string(STRIP "${first}" first)
        message(FATAL_ERROR "${name} runs an x87 instruction: ${first}")
    endif()
    math(EXPR checked "${checked} + 1")
endforeach()
if(checked LESS 10)
    message(FATAL_ERROR "only ${checked} object files checked: the list was not read")
endif()
message(STATUS "${checked} object files, no x87 instruction outside ${ALLOWED}")
