# Settings shared by every target of the project.

option(KORVU_WARNINGS_AS_ERRORS "Fail the build on any warning" OFF)

function(korvu_target_settings target)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4 /utf-8 $<$<BOOL:${KORVU_WARNINGS_AS_ERRORS}>:/WX>)
    else()
        # A function that falls off its end without its value is undefined
        # behaviour, and GCC then drops the checks on the way there: never a warning only.
        target_compile_options(${target} PRIVATE -Wall -Wextra -Werror=return-type
                               $<$<BOOL:${KORVU_WARNINGS_AS_ERRORS}>:-Werror>)
        # GCC 12 sees overlapping copies inside its own std::string in C++20
        # where there are none (its bug 105329): the warning says nothing of ours.
        if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
            target_compile_options(${target} PRIVATE -Wno-restrict)
        endif()
    endif()
    target_compile_definitions(${target} PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
endfunction()

# The plug-in's own code: no exceptions may reach the host, so none are
# compiled in (nor the run-time support that unwinding would link).
function(korvu_no_exceptions target)
    if(MSVC)
        target_compile_options(${target} PRIVATE /EHs-c- /GR-)
    else()
        target_compile_options(${target} PRIVATE -fno-exceptions -fno-rtti)
    endif()
endfunction()

# The plug-in and the driver must depend on Windows system DLLs only.
function(korvu_static_runtime target)
    if(MINGW)
        target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
    elseif(MSVC)
        set_property(TARGET ${target} PROPERTY MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
    endif()
endfunction()

# What ships: the plug-in built so that two clean builds of one commit, in
# any folders, give the same bytes (no time stamp in the image, no source or
# build path in it), with its debug information in a file of its own beside
# it, which the image names and checks by CRC.
function(korvu_reproducible target)
    if(MINGW)
        target_compile_options(${target} PRIVATE -g
            -ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
        target_link_options(${target} PRIVATE -Wl,--no-insert-timestamp)
    endif()
endfunction()

function(korvu_split_debug target)
    if(MINGW AND CMAKE_OBJCOPY)
        add_custom_command(TARGET ${target} POST_BUILD
            # objcopy stamps the images it writes with the time, unless told a date.
            COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0
                    ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE_NAME:${target}> $<TARGET_FILE_NAME:${target}>.debug
            COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0
                    ${CMAKE_OBJCOPY} --strip-debug --add-gnu-debuglink=$<TARGET_FILE_NAME:${target}>.debug
                    $<TARGET_FILE_NAME:${target}>
            WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
            VERBATIM)
    endif()
endfunction()

# An install text from packaging/ and its Japanese twin, as INSTALL.txt and
# INSTALL.ja.txt in `folder`, with the CRLF line ends old Notepad needs (the
# twin keeps its UTF-8 byte-order mark, by which Notepad knows it).
function(korvu_install_texts name folder)
    foreach(suffix .txt .ja.txt)
        configure_file(${CMAKE_SOURCE_DIR}/packaging/${name}${suffix} ${folder}/INSTALL${suffix} @ONLY
                       NEWLINE_STYLE CRLF)
    endforeach()
endfunction()

# The names of an X-macro list in a header into `var`, in order: `pattern`
# matches one row and captures its name. A change to the header configures
# the build again.
function(korvu_header_list var header pattern)
    file(READ ${header} text)
    string(REGEX MATCHALL "${pattern}" rows "${text}")
    list(TRANSFORM rows REPLACE "${pattern}" "\\1")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${header})
    set(${var} ${rows} PARENT_SCOPE)
endfunction()

# The driver's entry point names, from their one list in board/tovel_api.h:
# the export lists of the simulated and trace drivers.
function(korvu_tovel_entry_points var)
    korvu_header_list(entries ${PROJECT_SOURCE_DIR}/board/tovel_api.h "X\\((Tovel[A-Za-z]+),")
    set(${var} ${entries} PARENT_SCOPE)
endfunction()
