# ctest script: the payload inside the built Setup.exe lists exactly like the archive
# that was chosen for it, and verifies.
# cmake -DTOOL=payload -DSETUP_EXE=Setup.exe -DARCHIVE=archive.bin -P check-embedded-payload.cmake
foreach(input TOOL SETUP_EXE ARCHIVE)
    if(NOT EXISTS "${${input}}")
        message(FATAL_ERROR "${input} '${${input}}' does not exist")
    endif()
endforeach()

execute_process(COMMAND ${TOOL} verify ${SETUP_EXE} RESULT_VARIABLE verify_status OUTPUT_VARIABLE verify_out
    ERROR_VARIABLE verify_out)
if(NOT verify_status EQUAL 0)
    message(FATAL_ERROR "The payload inside ${SETUP_EXE} does not verify:\n${verify_out}")
endif()

execute_process(COMMAND ${TOOL} list ${SETUP_EXE} RESULT_VARIABLE exe_status OUTPUT_VARIABLE exe_list)
execute_process(COMMAND ${TOOL} list ${ARCHIVE} RESULT_VARIABLE archive_status OUTPUT_VARIABLE archive_list)
# The last line differs only in saying where the archive came from.
string(REPLACE " (resource 127 of the executable)" "" exe_list "${exe_list}")
if(NOT exe_status EQUAL 0 OR NOT archive_status EQUAL 0 OR NOT exe_list STREQUAL archive_list)
    message(FATAL_ERROR "Setup.exe carries another payload than ${ARCHIVE}:\n--- Setup.exe\n${exe_list}--- archive\n${archive_list}")
endif()
message(STATUS "Setup.exe carries ${ARCHIVE}:\n${exe_list}")
