cmake_minimum_required(VERSION 3.16)
# No Windows program of the project starts a Unix program: PROGRAMS lists the
# images, which must not name a shell or ImageMagick's tools.
foreach(program IN LISTS PROGRAMS)
    file(STRINGS "${program}" found REGEX "/bin/sh|import -window|convert .*-format")
    if(found)
        list(GET found 0 first)
        message(FATAL_ERROR "${program} names a Unix program: ${first}")
    endif()
endforeach()
message(STATUS "no Unix program named in ${PROGRAMS}")
