# BraxDel.dll, the uninstaller the payload carries into the system directory (included
# from cmake/Win32Build.cmake). It is built with the same platform rules as Setup.exe and
# carries the installation list of the payload it belongs to as RT_RCDATA 1:
# SETUP_UNINSTALL_LIST names a list written by uninstall/make-list.py (scripts/make-setup.sh
# does that for a vendor's payload); without it the demo payload's list is written here.
set(UNINSTALL_DIR ${CMAKE_BINARY_DIR}/uninstall)
set(UNINSTALL_LIBRARY ${UNINSTALL_DIR}/BraxDel.dll)
set(UNINSTALL_LIST_SCRIPT ${CMAKE_SOURCE_DIR}/uninstall/make-list.py)

if(SETUP_UNINSTALL_LIST)
    set(UNINSTALL_LIST ${SETUP_UNINSTALL_LIST})
else()
    # The demo payload's files (the library itself is the system-directory entry, which
    # the list leaves out) and the demo medium's manuals.
    set(UNINSTALL_LIST ${UNINSTALL_DIR}/install-list.txt)
    set(list_inputs ${DEMO_FILES})
    list(REMOVE_ITEM list_inputs ${UNINSTALL_LIBRARY})
    set(list_targets ${DEMO_TARGETS})
    add_custom_command(OUTPUT ${UNINSTALL_LIST}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${UNINSTALL_DIR}
        COMMAND Python3::Interpreter ${UNINSTALL_LIST_SCRIPT} --manifest ${DEMO_DIR}/payload.manifest
                --docs ${DEMO_MEDIUM}/Docs --output ${UNINSTALL_LIST}
        DEPENDS ${UNINSTALL_LIST_SCRIPT} ${DEMO_DIR}/payload.manifest ${list_inputs} ${list_targets}
                ${DEMO_MEDIUM}/Docs/Index.pdf ${DEMO_MEDIUM}/Docs/UserGuide.pdf ${DEMO_MEDIUM}/Docs/Reference.pdf
        COMMENT "Installation list of the demo payload" VERBATIM)
endif()

set(UNINSTALL_RC ${UNINSTALL_DIR}/BraxDel.rc)
file(WRITE ${UNINSTALL_RC}.in "LANGUAGE 9, 1\n1 RCDATA \"@UNINSTALL_LIST@\"\n")
configure_file(${UNINSTALL_RC}.in ${UNINSTALL_RC} @ONLY)
set_source_files_properties(${UNINSTALL_RC} PROPERTIES OBJECT_DEPENDS ${UNINSTALL_LIST})

add_library(BraxDel SHARED ${CMAKE_SOURCE_DIR}/uninstall/BraxDel.cpp ${UNINSTALL_RC})
set_target_properties(BraxDel PROPERTIES PREFIX "" OUTPUT_NAME BraxDel
    RUNTIME_OUTPUT_DIRECTORY ${UNINSTALL_DIR} ARCHIVE_OUTPUT_DIRECTORY ${UNINSTALL_DIR}/lib
    LINKER_LANGUAGE C)
setup_product_target(BraxDel)
target_link_libraries(BraxDel PRIVATE shell32 advapi32 user32 kernel32)
# rundll32 finds the entry by its plain name, without the stdcall decoration.
target_link_options(BraxDel PRIVATE -s -Wl,--kill-at ${SETUP_PRODUCT_LINK_OPTIONS})
