# Two clean builds of the plug-in from copies of the tree in folders of
# different names, built in folders of different names, must give the same
# bytes: Korvu_ux1.dll and its separate debug symbols.
#
#   cmake -DSOURCE=dir -DWORK=dir -DTOOLCHAIN=file -P check_reproducible.cmake
cmake_minimum_required(VERSION 3.18)

# The tree as a clone has it: everything at its top but build folders.
file(GLOB parts LIST_DIRECTORIES true RELATIVE ${SOURCE} ${SOURCE}/*)
list(FILTER parts EXCLUDE REGEX "^(build|\\.git)")

set(digests "")
foreach(copy first-copy the-second-one)
    set(dir ${WORK}/${copy})
    file(REMOVE_RECURSE ${dir})
    file(MAKE_DIRECTORY ${dir}/src)
    foreach(part IN LISTS parts)
        file(COPY ${SOURCE}/${part} DESTINATION ${dir}/src)
    endforeach()
    execute_process(COMMAND ${CMAKE_COMMAND} -S ${dir}/src -B ${dir}/out-${copy} -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN}
                            -DCMAKE_BUILD_TYPE=Release -DKORVU_BUILD_TESTS=OFF
                    RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "configure in ${dir} failed: ${err}")
    endif()
    execute_process(COMMAND ${CMAKE_COMMAND} --build ${dir}/out-${copy} --target korvu_ux1 -j 2
                    RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "build in ${dir} failed: ${err}")
    endif()
    set(image ${dir}/out-${copy}/bin/Korvu_ux1.dll)
    file(SHA256 ${image} dll)
    file(SHA256 ${image}.debug debug)
    list(APPEND digests "${dll}/${debug}")
    message(STATUS "${copy}: Korvu_ux1.dll ${dll}, Korvu_ux1.dll.debug ${debug}")
endforeach()

list(GET digests 0 first)
list(GET digests 1 second)
if(NOT first STREQUAL second)
    message(FATAL_ERROR "the two builds differ")
endif()
file(REMOVE_RECURSE ${WORK})
