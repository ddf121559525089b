# The release package: cmake --build <build> --target package makes a ZIP
# with the plug-in, its separate debug symbols, the install text in English
# and Japanese, the simulated driver in a folder of its own, the trace driver
# and the host recorder in others (each with its install texts, as the build
# tree has them), the host simulator, and the SHA-256 sums of them all.

korvu_install_texts(INSTALL ${CMAKE_BINARY_DIR}/package-files)
install(FILES $<TARGET_FILE:korvu_ux1> ${CMAKE_BINARY_DIR}/package-files/INSTALL.txt
              ${CMAKE_BINARY_DIR}/package-files/INSTALL.ja.txt DESTINATION .)
if(MINGW AND CMAKE_OBJCOPY)
    install(FILES $<TARGET_FILE:korvu_ux1>.debug DESTINATION .)
endif()
install(FILES $<TARGET_FILE:tovel_sim_full> ${CMAKE_BINARY_DIR}/bin/tovel.ini.example DESTINATION simulated-tovel-driver)
# The trace driver, to put in front of the maker's driver on a PC with the board.
install(FILES $<TARGET_FILE:tovel_trace> ${CMAKE_BINARY_DIR}/bin/trace-driver/INSTALL.txt
              ${CMAKE_BINARY_DIR}/bin/trace-driver/INSTALL.ja.txt
              ${CMAKE_BINARY_DIR}/bin/trace-driver/tovel_trace.ini.example DESTINATION trace-driver)
# The host recorder, to put in front of the plug-in in a real host for a session.
install(FILES $<TARGET_FILE:korvu_recorder> ${CMAKE_BINARY_DIR}/bin/host-recorder/INSTALL.txt
              ${CMAKE_BINARY_DIR}/bin/host-recorder/INSTALL.ja.txt
              ${CMAKE_BINARY_DIR}/bin/host-recorder/korvu_recorder.ini.example DESTINATION host-recorder)
# The host simulator reads tovel.ini beside korvu_host.exe and writes its
# output to korvu_host_output beside it.
install(FILES $<TARGET_FILE:korvu_host> $<TARGET_FILE:korvu_ux1> ${CMAKE_BINARY_DIR}/bin/tovel.ini.example
        DESTINATION host-simulator)
install(FILES $<TARGET_FILE:tovel_sim_full> DESTINATION host-simulator/drivers/full)
# For KORVU_TRACE_DRIVER=1, as in the build tree: the trace driver beside the program.
install(FILES $<TARGET_FILE:tovel_trace> DESTINATION host-simulator/trace-driver)
install(CODE [[
    set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
    file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${root}" "${root}/*")
    list(REMOVE_ITEM files SHA256SUMS)
    list(SORT files)
    set(sums "")
    foreach(f IN LISTS files)
        file(SHA256 "${root}/${f}" sum)
        string(APPEND sums "${sum}  ${f}\n")
    endforeach()
    file(WRITE "${root}/SHA256SUMS" "${sums}")
]])

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Korvu_ux1)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Korvu_ux1-${PROJECT_VERSION}-win32)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
