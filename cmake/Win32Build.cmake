# Windows build: Setup.exe, the test programs and the Windows-side tests, all 32-bit,
# ANSI, linked statically so that they import nothing but Windows system DLLs.
enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} --codepage=1252")
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

add_compile_options(-Wall -Wextra -Wno-cast-function-type -Wno-missing-field-initializers)
# Nothing here looks at types at run time; the test programs derive from the framework's
# classes, so they are built without type information as well.
add_compile_options(-fno-rtti)
add_link_options(-static -static-libgcc -static-libstdc++)

# The product (Setup.exe and the framework and engine it is made of) must load on
# Windows 95 OSR2 and NT 4.0: the headers are pinned to those systems, so that no newer
# constant or structure reaches the code unnoticed; and it is built without the C++
# library's run time (no exceptions, no thread-safe statics: it has one thread), whose
# threading and unwinding code imports functions those systems lack. The test programs
# keep what they need.
set(SETUP_PRODUCT_DEFINITIONS _WIN32_WINNT=0x0400 WINVER=0x0400 _WIN32_IE=0x0300 __USE_MINGW_ANSI_STDIO=0)
# Its time goes to inflating (zlib, built elsewhere) and to the system's file and window
# calls, not to its own code: that is built for size, with every unused function and
# datum left out at the link and no unwind tables, which nothing without exceptions reads.
set(SETUP_PRODUCT_OPTIONS -fno-exceptions -fno-threadsafe-statics -Os -ffunction-sections -fdata-sections
    -fno-asynchronous-unwind-tables -fno-ident)
# The same sources give the same bytes on any machine and in any folder: no build paths
# (assertions and __FILE__ name the sources relative to the tree) and, below, no link time.
list(APPEND SETUP_PRODUCT_OPTIONS -ffile-prefix-map=${CMAKE_SOURCE_DIR}/=
     -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
# Windows 95 and NT 4.0 are version 4.0 of the system and of the GUI subsystem.
set(SETUP_PRODUCT_LINK_OPTIONS -Wl,--gc-sections
    -Wl,--major-os-version,4,--minor-os-version,0,--major-subsystem-version,4,--minor-subsystem-version,0
    -Wl,--no-insert-timestamp)
function(setup_product_target target)
    target_compile_definitions(${target} PRIVATE ${SETUP_PRODUCT_DEFINITIONS})
    target_compile_options(${target} PRIVATE ${SETUP_PRODUCT_OPTIONS})
endfunction()

find_library(ZLIB_STATIC NAMES libz.a REQUIRED)
set(SETUP_SYSTEM_LIBS comctl32 ole32 oleaut32 shell32 advapi32 gdi32 user32 kernel32)

# Tests run in a throwaway Wine prefix of this build tree, never in the user's own.
set(SETUP_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
# A 64-bit build of the tests (for machines that cannot run 32-bit code) gets a 64-bit prefix.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(SETUP_WINEARCH win64)
else()
    set(SETUP_WINEARCH win32)
endif()
set(SETUP_TEST_ENV WINEPREFIX=${SETUP_WINEPREFIX} SETUP_WINEARCH=${SETUP_WINEARCH} WINEDEBUG=-all
    "WINEDLLOVERRIDES=mscoree,mshtml=$<SEMICOLON>winemenubuilder.exe=d")

# The programs built once: the Setup.exe stub (no payload) and the uninstaller stub (an
# empty installation list), in stub/. The payload tool writes a payload into a copy of the
# Setup.exe stub, and a list into a copy of the uninstaller, by rewriting their resource
# sections; that is the one way a payload gets into Setup.exe, here as for a vendor
# (scripts/make-setup.sh, "payload setup").
set(SETUP_STUB_DIR ${CMAKE_BINARY_DIR}/stub)
# bin/Setup.exe carries the archive a vendor names with -DSETUP_PAYLOAD=FILE, otherwise the
# demo payload that demo/sources.cmake builds with the host payload tool (from
# SETUP_HOST_TOOLS, which scripts/build.sh passes). demo/sources.cmake also lays out the
# demo medium (Docs\, AcroRead\Setup.exe) beside Setup.exe.
set(SETUP_PAYLOAD "" CACHE FILEPATH "Payload archive for bin/Setup.exe (empty: the demo payload)")
set(SETUP_HOST_TOOLS "" CACHE PATH "Build tree of the host tools (the payload tool)")
set(SETUP_PAYLOAD_TOOL "")
if(SETUP_HOST_TOOLS)
    set(SETUP_PAYLOAD_TOOL ${SETUP_HOST_TOOLS}/tools/payload/payload)
endif()
include(${CMAKE_SOURCE_DIR}/demo/sources.cmake)
include(${CMAKE_SOURCE_DIR}/uninstall/library.cmake)
if(SETUP_PAYLOAD)
    set(SETUP_PAYLOAD_FILE ${SETUP_PAYLOAD})
elseif(TARGET demo_payload)
    set(SETUP_PAYLOAD_FILE ${DEMO_PAYLOAD})
else()
    set(SETUP_PAYLOAD_FILE "")
endif()

file(GLOB SETUP_ARTWORK ${CMAKE_SOURCE_DIR}/res/*.bmp ${CMAKE_SOURCE_DIR}/res/*.ico ${CMAKE_SOURCE_DIR}/res/*.rc)
set_source_files_properties(${CMAKE_SOURCE_DIR}/res/Setup.rc PROPERTIES OBJECT_DEPENDS "${SETUP_ARTWORK}")

add_library(setup_resources OBJECT res/Setup.rc)
target_include_directories(setup_resources PRIVATE ${CMAKE_SOURCE_DIR}/res)

add_library(framework STATIC ${FRAMEWORK_PORTABLE_SOURCES} ${FRAMEWORK_WIN32_SOURCES})
target_include_directories(framework PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(framework PUBLIC ${SETUP_SYSTEM_LIBS})
setup_product_target(framework)

# Everything of the setup program but its application object and entry point, so that
# the tests link the same code.
add_library(setup_core STATIC
    ${APP_PORTABLE_SOURCES} ${APP_WIN32_SOURCES}
    ${ENGINE_PORTABLE_SOURCES} ${ENGINE_SETUP_PORTABLE_SOURCES} ${ENGINE_WIN32_SOURCES}
    ${UI_PORTABLE_SOURCES} ${UI_WIN32_SOURCES})
target_link_libraries(setup_core PUBLIC framework ${ZLIB_STATIC} ${SETUP_SYSTEM_LIBS})
setup_product_target(setup_core)

set_source_files_properties(${CMAKE_SOURCE_DIR}/res/SetupInfo.rc PROPERTIES
    OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/res/Setup.manifest)
add_executable(Setup WIN32 ${APP_MAIN_SOURCES} res/SetupInfo.rc $<TARGET_OBJECTS:setup_resources>)
target_link_libraries(Setup PRIVATE setup_core)
setup_product_target(Setup)
# Linked by the C driver: no C++ library, and no threading library behind it. What ships
# carries no symbols.
set_target_properties(Setup PROPERTIES LINKER_LANGUAGE C RUNTIME_OUTPUT_DIRECTORY ${SETUP_STUB_DIR})
# Sections start on page boundaries in the file as in memory, so that the loader can map
# the payload's resource section from the file instead of reading it into private memory
# (Wine does that otherwise, 88 MB up front for a 200 MiB payload; Windows 9x maps such an
# image directly too).
target_link_options(Setup PRIVATE -s ${SETUP_PRODUCT_LINK_OPTIONS} -Wl,--file-alignment,0x1000)

# bin/Setup.exe: the stub with the payload written in by the tool.
set(SETUP_EXE ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/Setup.exe)
set(SETUP_EXE_OUTPUTS)
if(SETUP_PAYLOAD_TOOL AND EXISTS "${SETUP_PAYLOAD_TOOL}" AND SETUP_PAYLOAD_FILE)
    set(setup_payload_depends ${SETUP_PAYLOAD_FILE})
    if(SETUP_PAYLOAD_FILE STREQUAL DEMO_PAYLOAD)
        list(APPEND setup_payload_depends demo_payload)
    endif()
    add_custom_command(OUTPUT ${SETUP_EXE}
        COMMAND ${SETUP_PAYLOAD_TOOL} setup --stub $<TARGET_FILE:Setup> --archive ${SETUP_PAYLOAD_FILE}
                --output ${SETUP_EXE}
        DEPENDS Setup ${SETUP_PAYLOAD_TOOL} ${setup_payload_depends}
        COMMENT "Writing the payload into Setup.exe" VERBATIM)
    # A vendor's names and version, for the version resource's test (resources_test).
    add_custom_command(OUTPUT ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/VendorSetup.exe
        COMMAND ${SETUP_PAYLOAD_TOOL} setup --stub $<TARGET_FILE:Setup> --archive ${SETUP_PAYLOAD_FILE}
                --output ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/VendorSetup.exe --product-version 3.2.1
                --company "Vendor Ltd" --product Widget
        DEPENDS Setup ${SETUP_PAYLOAD_TOOL} ${setup_payload_depends}
        COMMENT "Writing a vendor's Setup.exe" VERBATIM)
    list(APPEND SETUP_EXE_OUTPUTS ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/VendorSetup.exe)
    # The archive inside the built Setup.exe is the one chosen, whole and sound.
    add_test(NAME payload_embedded
        COMMAND ${CMAKE_COMMAND} -DTOOL=${SETUP_PAYLOAD_TOOL} -DSETUP_EXE=${SETUP_EXE}
                -DARCHIVE=${SETUP_PAYLOAD_FILE} -P ${CMAKE_SOURCE_DIR}/demo/check-embedded-payload.cmake)
    set_tests_properties(payload_embedded PROPERTIES LABELS static)
    # The stubs build to the same bytes in another folder with another number of jobs, and
    # so does a vendor's Setup.exe from the same files. Two builds of the product alone,
    # a few minutes.
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        add_test(NAME reproducible_build
            COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/check-reproducible.sh --tool ${SETUP_PAYLOAD_TOOL}
                    --work ${CMAKE_BINARY_DIR}/reproducible)
        set_tests_properties(reproducible_build PROPERTIES LABELS static TIMEOUT 1800)
    endif()
else()
    message(STATUS "No payload tool at '${SETUP_PAYLOAD_TOOL}' (set SETUP_HOST_TOOLS to the host build): "
                   "bin/Setup.exe is the stub, without a payload")
    add_custom_command(OUTPUT ${SETUP_EXE}
        COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Setup> ${SETUP_EXE}
        DEPENDS Setup VERBATIM)
endif()
add_custom_target(setup_exe ALL DEPENDS ${SETUP_EXE} ${SETUP_EXE_OUTPUTS})

# The payload tool as a Windows console program, for vendors who build on Windows: the
# same sources as the host tool, with zlib in place of libdeflate (see PayloadStream.cpp).
# It is a tool, not the product: exceptions, threads and type information as it needs them.
set(PAYLOAD_TOOL_DIR ${CMAKE_SOURCE_DIR}/tools/payload)
include(${PAYLOAD_TOOL_DIR}/sources.cmake)
add_executable(payload_windows ${PAYLOAD_TOOL_DIR}/main.cpp ${PAYLOAD_TOOL_SOURCES} ${ENGINE_PORTABLE_SOURCES})
target_include_directories(payload_windows PRIVATE ${CMAKE_SOURCE_DIR} ${PAYLOAD_TOOL_DIR})
target_compile_definitions(payload_windows PRIVATE PAYLOAD_DEFLATE_WITH_ZLIB)
target_compile_options(payload_windows PRIVATE -frtti)
target_link_libraries(payload_windows PRIVATE ${ZLIB_STATIC})
set_target_properties(payload_windows PROPERTIES OUTPUT_NAME payload RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tool)

# The import gate: Setup.exe imports only functions that Windows 95 OSR2 and NT 4.0 have,
# its headers name version 4.0, and its manifest asks for administrator rights. Tests
# labelled "static" read built files only and run on any machine.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    add_test(NAME setup_imports
        COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/pecheck/pecheck.py --manifest
                --allow ${CMAKE_SOURCE_DIR}/tools/pecheck/imports.allow ${SETUP_EXE})
    add_test(NAME uninstaller_imports
        COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/pecheck/pecheck.py
                --allow ${CMAKE_SOURCE_DIR}/tools/pecheck/imports.allow $<TARGET_FILE:BraxDel>)
    set_tests_properties(uninstaller_imports PROPERTIES LABELS static)
    set_tests_properties(setup_imports PROPERTIES LABELS static)
endif()

# --- Tests -------------------------------------------------------------------------
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# The payload tool's Windows build, run as a vendor runs it, in the tests' prefix.
if(SETUP_PAYLOAD_TOOL AND EXISTS "${SETUP_PAYLOAD_TOOL}")
    add_test(NAME payload_tool_windows
        COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win/payload_tool_test.sh $<TARGET_FILE:payload_windows>
                ${SETUP_PAYLOAD_TOOL} $<TARGET_FILE:Setup> ${CMAKE_BINARY_DIR}/payload-tool-test)
    set_tests_properties(payload_tool_windows PROPERTIES ENVIRONMENT "${SETUP_TEST_ENV}" TIMEOUT 300)
endif()

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
    add_executable(${name} ${source} $<TARGET_OBJECTS:setup_resources>)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE setup_core uninstall_core gtest_main version)
    if(TARGET uidriver)
        target_link_libraries(${name} PRIVATE uidriver)
    endif()
    add_dependencies(${name} setup_exe ${TEST_PROGRAMS})
    set(runner_options)
    if(name STREQUAL "engine_short_write_test")
        set(runner_options --file-size-limit 1024)
    endif()
    if(name STREQUAL "version_matrix_test")
        # Every Windows version, and one of them again through WOW64 (32-bit build only).
        set(wow64_prefix)
        if(CMAKE_SIZEOF_VOID_P EQUAL 4)
            set(wow64_prefix ${CMAKE_BINARY_DIR}/prefixes/wow64)
        endif()
        add_test(NAME ${name} COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win/version_matrix.sh $<TARGET_FILE:${name}>
                 ${wow64_prefix} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    else()
        add_test(NAME ${name} COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/run-wine-test.sh ${runner_options}
                 $<TARGET_FILE:${name}> WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    endif()
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${SETUP_TEST_ENV}" TIMEOUT 900)
endforeach()

# 64-bit Windows: scenarios run again in a 64-bit prefix, where the 32-bit programs run
# under WOW64. They share that prefix, one at a time.
function(add_wow64_test name target filter)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4 AND TARGET ${target})
        add_test(NAME ${name}
            COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/run-wine-test.sh --new-prefix $<TARGET_FILE:${target}>
                    "--gtest_filter=${filter}"
            WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
        set_tests_properties(${name} PROPERTIES TIMEOUT 900 RESOURCE_LOCK wow64_prefix ENVIRONMENT
            "WINEPREFIX=${CMAKE_BINARY_DIR}/prefixes/wow64;SETUP_WINEARCH=win64;WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml=$<SEMICOLON>winemenubuilder.exe=d")
    endif()
endfunction()
# The typical installation, and the uninstall command started from the 64-bit side.
add_wow64_test(e2e_wow64 e2e_install_test "Installation.TypicalInstallationToCompletion:Installation.Wow64*")
# The uninstaller: the library it schedules for deletion lies in the WOW64 system
# directory, and a reinstallation before the restart keeps its own.
add_wow64_test(e2e_uninstall_wow64 e2e_uninstall_test "Uninstall.TheLibraryGoesAtTheRestart*")

# The restart at exit ends every process of a prefix: it gets a prefix of its own.
if(TARGET uidriver)
    add_test(NAME restart_test
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win/restart_test.sh ${CMAKE_BINARY_DIR}/bin
                     ${CMAKE_BINARY_DIR}/prefixes/restart)
    set_tests_properties(restart_test PROPERTIES TIMEOUT 900 ENVIRONMENT SETUP_WINEARCH=${SETUP_WINEARCH})
endif()

# Benchmarks: built with everything else, run only by scripts/bench.sh (and a smoke run
# among the tests).
if(EXISTS ${CMAKE_SOURCE_DIR}/bench/win32.cmake)
    include(${CMAKE_SOURCE_DIR}/bench/win32.cmake)
endif()
