# Windows build: Setup.exe, the test programs and the Windows-side tests, all 32-bit,
# ANSI, linked statically so that they import nothing but Windows system DLLs.
enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} --codepage=1252")
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

add_compile_options(-Wall -Wextra -Wno-cast-function-type -Wno-missing-field-initializers)
add_link_options(-static -static-libgcc -static-libstdc++)

find_library(ZLIB_STATIC NAMES libz.a REQUIRED)
set(SETUP_SYSTEM_LIBS comctl32 ole32 oleaut32 uuid shell32 advapi32 gdi32 user32 kernel32)

# The payload archive embedded as RT_RCDATA 127: the archive a vendor names with
# -DSETUP_PAYLOAD=FILE, otherwise the demo payload that demo/sources.cmake builds with the
# host payload tool (from SETUP_HOST_TOOLS, which scripts/build.sh passes). Without that
# tool, the archive holding only the end record. demo/sources.cmake also lays out the demo
# medium (Docs\, AcroRead\Setup.exe) beside Setup.exe.
set(SETUP_PAYLOAD "" CACHE FILEPATH "Payload archive embedded in Setup.exe (empty: the demo payload)")
set(SETUP_HOST_TOOLS "" CACHE PATH "Build tree of the host tools (the payload tool)")
set(SETUP_PAYLOAD_TOOL "")
if(SETUP_HOST_TOOLS)
    set(SETUP_PAYLOAD_TOOL ${SETUP_HOST_TOOLS}/tools/payload/payload)
endif()
include(${CMAKE_SOURCE_DIR}/demo/sources.cmake)
if(SETUP_PAYLOAD)
    set(SETUP_PAYLOAD_FILE ${SETUP_PAYLOAD})
elseif(TARGET demo_payload)
    set(SETUP_PAYLOAD_FILE ${DEMO_PAYLOAD})
else()
    message(STATUS "No payload tool at '${SETUP_PAYLOAD_TOOL}' (set SETUP_HOST_TOOLS to the host build): "
                   "Setup.exe embeds res/empty-payload.bin instead of the demo payload")
    set(SETUP_PAYLOAD_FILE ${CMAKE_SOURCE_DIR}/res/empty-payload.bin)
endif()
set(PAYLOAD_RC ${CMAKE_BINARY_DIR}/payload.rc)
file(WRITE ${PAYLOAD_RC}.in "#include <winresrc.h>\n#include \"resource.h\"\nLANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US\nIDR_PAYLOAD RCDATA \"@SETUP_PAYLOAD_FILE@\"\n")
configure_file(${PAYLOAD_RC}.in ${PAYLOAD_RC} @ONLY)

file(GLOB SETUP_ARTWORK ${CMAKE_SOURCE_DIR}/res/*.bmp ${CMAKE_SOURCE_DIR}/res/*.ico ${CMAKE_SOURCE_DIR}/res/*.rc)
set_source_files_properties(${CMAKE_SOURCE_DIR}/res/Setup.rc PROPERTIES OBJECT_DEPENDS "${SETUP_ARTWORK}")
set_source_files_properties(${PAYLOAD_RC} PROPERTIES OBJECT_DEPENDS "${SETUP_PAYLOAD_FILE}")

add_library(setup_resources OBJECT res/Setup.rc)
target_include_directories(setup_resources PRIVATE ${CMAKE_SOURCE_DIR}/res)
add_library(setup_payload OBJECT ${PAYLOAD_RC})
target_include_directories(setup_payload PRIVATE ${CMAKE_SOURCE_DIR}/res)
if(SETUP_PAYLOAD_FILE STREQUAL DEMO_PAYLOAD)
    add_dependencies(setup_payload demo_payload)
endif()
# The archive inside the built Setup.exe is the one chosen, whole and sound.
if(SETUP_PAYLOAD_TOOL AND EXISTS ${SETUP_PAYLOAD_TOOL})
    add_test(NAME payload_embedded
        COMMAND ${CMAKE_COMMAND} -DTOOL=${SETUP_PAYLOAD_TOOL} -DSETUP_EXE=${CMAKE_BINARY_DIR}/bin/Setup.exe
                -DARCHIVE=${SETUP_PAYLOAD_FILE} -P ${CMAKE_SOURCE_DIR}/demo/check-embedded-payload.cmake)
endif()

add_library(framework STATIC ${FRAMEWORK_PORTABLE_SOURCES} ${FRAMEWORK_WIN32_SOURCES})
target_include_directories(framework PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(framework PUBLIC ${SETUP_SYSTEM_LIBS})

# Everything of the setup program but its application object and entry point, so that
# the tests link the same code.
add_library(setup_core STATIC
    ${APP_PORTABLE_SOURCES} ${APP_WIN32_SOURCES}
    ${ENGINE_PORTABLE_SOURCES} ${ENGINE_WIN32_SOURCES}
    ${UI_PORTABLE_SOURCES} ${UI_WIN32_SOURCES})
target_link_libraries(setup_core PUBLIC framework ${ZLIB_STATIC} ${SETUP_SYSTEM_LIBS})

add_executable(Setup WIN32 ${APP_MAIN_SOURCES} $<TARGET_OBJECTS:setup_resources> $<TARGET_OBJECTS:setup_payload>)
target_link_libraries(Setup PRIVATE setup_core)
# What ships carries no symbols.
target_link_options(Setup PRIVATE -s)

# --- Tests -------------------------------------------------------------------------
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Tests run in a throwaway Wine prefix of this build tree, never in the user's own.
set(SETUP_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(SETUP_TEST_ENV WINEPREFIX=${SETUP_WINEPREFIX} WINEDEBUG=-all "WINEDLLOVERRIDES=mscoree,mshtml=$<SEMICOLON>winemenubuilder.exe=d")

if(EXISTS ${CMAKE_SOURCE_DIR}/tests/uidriver/sources.cmake)
    include(${CMAKE_SOURCE_DIR}/tests/uidriver/sources.cmake)
endif()

# Programs the tests start (one .cpp each).
file(GLOB TEST_PROGRAM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/programs/*.cpp)
foreach(source ${TEST_PROGRAM_SOURCES})
    get_filename_component(name ${source} NAME_WE)
    add_executable(${name} WIN32 ${source} framework/WinMain.cpp $<TARGET_OBJECTS:setup_resources>)
    target_link_libraries(${name} PRIVATE setup_core)
    list(APPEND TEST_PROGRAMS ${name})
endforeach()

# Console programs that drive the setup program for script-level tests (one .cpp each).
file(GLOB TEST_DRIVER_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/drivers/*.cpp)
if(TARGET uidriver)
    foreach(source ${TEST_DRIVER_SOURCES})
        get_filename_component(name ${source} NAME_WE)
        add_executable(${name} ${source})
        target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
        target_link_libraries(${name} PRIVATE uidriver)
        list(APPEND TEST_PROGRAMS ${name})
    endforeach()
endif()

# One test executable per tests/win/*_test.cpp: one Wine process runs all its cases.
file(GLOB WIN_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*_test.cpp)
foreach(source ${WIN_TEST_SOURCES})
    get_filename_component(name ${source} NAME_WE)
    add_executable(${name} ${source} $<TARGET_OBJECTS:setup_resources> $<TARGET_OBJECTS:setup_payload>)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE setup_core gtest_main)
    if(TARGET uidriver)
        target_link_libraries(${name} PRIVATE uidriver)
    endif()
    add_dependencies(${name} Setup ${TEST_PROGRAMS})
    add_test(NAME ${name} COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/run-wine-test.sh $<TARGET_FILE:${name}>
             WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${SETUP_TEST_ENV}" TIMEOUT 900)
endforeach()

# The restart at exit ends every process of a prefix: it gets a prefix of its own.
if(TARGET uidriver)
    add_test(NAME restart_test
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win/restart_test.sh ${CMAKE_BINARY_DIR}/bin
                     ${CMAKE_BINARY_DIR}/prefixes/restart)
    set_tests_properties(restart_test PROPERTIES TIMEOUT 900)
endif()

# Benchmarks: built with everything else, run only by scripts/bench.sh (and a smoke run
# among the tests).
if(EXISTS ${CMAKE_SOURCE_DIR}/bench/win32.cmake)
    include(${CMAKE_SOURCE_DIR}/bench/win32.cmake)
endif()
