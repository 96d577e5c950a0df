# BraxDel.dll, the uninstaller the payload carries into the system directory (included
# from cmake/Win32Build.cmake; uninstall/sources.cmake lists its sources). It is built
# once, as a stub with an empty installation list (RT_RCDATA 1) and the same platform rules
# as Setup.exe; the payload tool writes the list of a payload's files into a copy of it
# ("payload uninstaller", or "payload setup --uninstaller"), so that no payload needs a
# compiler. Here that copy is the demo payload's uninstaller.
set(UNINSTALL_DIR ${CMAKE_BINARY_DIR}/uninstall)
set(UNINSTALL_LIBRARY ${UNINSTALL_DIR}/BraxDel.dll)

set(UNINSTALL_RC ${UNINSTALL_DIR}/BraxDel.rc)
file(WRITE ${UNINSTALL_RC}.in "LANGUAGE 9, 1\n1 RCDATA \"@CMAKE_SOURCE_DIR@/uninstall/stub-list.txt\"\n")
configure_file(${UNINSTALL_RC}.in ${UNINSTALL_RC} @ONLY)
set_source_files_properties(${UNINSTALL_RC} PROPERTIES OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/uninstall/stub-list.txt)

# The removal itself, which the tests link too.
list(TRANSFORM UNINSTALL_WIN32_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/ OUTPUT_VARIABLE uninstall_sources)
list(TRANSFORM UNINSTALL_PORTABLE_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/ OUTPUT_VARIABLE uninstall_portable)
add_library(uninstall_core STATIC ${uninstall_sources} ${uninstall_portable})
target_include_directories(uninstall_core PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(uninstall_core PUBLIC ole32 shell32 advapi32 user32 kernel32)
setup_product_target(uninstall_core)

add_library(BraxDel SHARED ${CMAKE_SOURCE_DIR}/uninstall/BraxDel.cpp ${UNINSTALL_RC})
set_target_properties(BraxDel PROPERTIES PREFIX "" OUTPUT_NAME BraxDel
    RUNTIME_OUTPUT_DIRECTORY ${SETUP_STUB_DIR} ARCHIVE_OUTPUT_DIRECTORY ${UNINSTALL_DIR}/lib
    LINKER_LANGUAGE C)
setup_product_target(BraxDel)
target_link_libraries(BraxDel PRIVATE uninstall_core)
# rundll32 finds the entry by its plain name, without the stdcall decoration.
target_link_options(BraxDel PRIVATE -s -Wl,--kill-at ${SETUP_PRODUCT_LINK_OPTIONS})

# The demo payload's files (the library itself is the system-directory entry, which the
# list leaves out) and the demo medium's manuals.
if(SETUP_PAYLOAD_TOOL AND EXISTS "${SETUP_PAYLOAD_TOOL}")
    set(list_inputs ${DEMO_FILES})
    list(REMOVE_ITEM list_inputs ${UNINSTALL_LIBRARY})
    add_custom_command(OUTPUT ${UNINSTALL_LIBRARY}
        COMMAND ${SETUP_PAYLOAD_TOOL} uninstaller --uninstaller $<TARGET_FILE:BraxDel>
                --manifest ${DEMO_DIR}/payload.manifest --docs ${DEMO_MEDIUM}/Docs --output ${UNINSTALL_LIBRARY}
        DEPENDS BraxDel ${SETUP_PAYLOAD_TOOL} ${DEMO_DIR}/payload.manifest ${list_inputs} ${DEMO_TARGETS}
                ${DEMO_MEDIUM}/Docs/Index.pdf ${DEMO_MEDIUM}/Docs/UserGuide.pdf ${DEMO_MEDIUM}/Docs/Reference.pdf
        COMMENT "The demo payload's uninstaller, with its installation list" VERBATIM)
    add_custom_target(demo_uninstaller ALL DEPENDS ${UNINSTALL_LIBRARY})
endif()
