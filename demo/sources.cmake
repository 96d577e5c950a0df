# The demo payload and the demo medium, built by the Windows build (included from the
# payload section of cmake/Win32Build.cmake).
#
# Payload: the fourteen entries of the shipped Pelorin payload with their names and
# codes (payload.manifest); the system-directory entry BraxDel.dll is the product's
# uninstaller (uninstall/sources.cmake). The programs are real Win32 programs built here; each carries
# a padding resource, and the data files are generated, so that sizes and packed sizes
# come near the shipped ones and timings of the extraction mean something. The host
# payload tool (SETUP_PAYLOAD_TOOL) packs them into DEMO_PAYLOAD; without the tool there
# is no demo_payload target.
#
# Medium, beside Setup.exe in the bin folder: Docs\ with Index.pdf and two more manuals,
# and AcroRead\Setup.exe, the stand-in for the PDF reader's installer.

find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(DEMO_DIR ${CMAKE_BINARY_DIR}/demo)
set(DEMO_PAYLOAD ${CMAKE_BINARY_DIR}/demo-payload.bin)
set(DEMO_STANDIN_SCRIPT ${CMAKE_SOURCE_DIR}/demo/make-standin.py)
set(DEMO_FILES)
set(DEMO_TARGETS)

# A generated data file of exactly SIZE bytes that deflates to about RATIO of it.
function(demo_data name size ratio header)
    add_custom_command(OUTPUT ${DEMO_DIR}/${name}
        COMMAND Python3::Interpreter ${DEMO_STANDIN_SCRIPT} --size ${size} --ratio ${ratio} --seed ${name}
                --header ${header} ${DEMO_DIR}/${name}
        DEPENDS ${DEMO_STANDIN_SCRIPT}
        COMMENT "Demo payload: ${name}" VERBATIM)
    set(DEMO_FILES ${DEMO_FILES} ${DEMO_DIR}/${name} PARENT_SCOPE)
endfunction()

# The stand-in programs need no C++ run time: without exceptions they stay near 16 KiB
# (an unwinding destructor alone would pull in 150 KiB of it).
function(demo_target_options target)
    target_compile_options(${target} PRIVATE -fno-exceptions -fno-rtti)
    target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
    target_link_options(${target} PRIVATE -s)
endfunction()

# A Win32 program or DLL of the payload. The padding resource makes its file about SIZE
# bytes with a packed ratio near RATIO; the code and headers take the rest (measured:
# some 16.5 KiB for a program, 13 KiB for a library).
function(demo_program target kind name size ratio source)
    set(pad ${DEMO_DIR}/pad/${name}.bin)
    set(rc ${DEMO_DIR}/pad/${name}.rc)
    if(kind STREQUAL "DLL")
        math(EXPR pad_size "${size} - 13312")
    else()
        math(EXPR pad_size "${size} - 16896")
    endif()
    add_custom_command(OUTPUT ${pad}
        COMMAND Python3::Interpreter ${DEMO_STANDIN_SCRIPT} --size ${pad_size} --ratio ${ratio} --seed ${name}
                --header "${name} padding: Pelorin demo stand-in" ${pad}
        DEPENDS ${DEMO_STANDIN_SCRIPT}
        COMMENT "Demo payload: padding of ${name}" VERBATIM)
    file(WRITE ${rc}.in "LANGUAGE 9, 1\n1 RCDATA \"${pad}\"\n")
    configure_file(${rc}.in ${rc} COPYONLY)
    set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${pad})
    get_filename_component(base ${name} NAME_WE)
    if(kind STREQUAL "DLL")
        add_library(${target} SHARED ${source} ${rc})
        set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${base} ARCHIVE_OUTPUT_DIRECTORY ${DEMO_DIR}/lib)
    else()
        add_executable(${target} WIN32 ${source} ${rc})
        set_target_properties(${target} PROPERTIES OUTPUT_NAME ${base})
    endif()
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${DEMO_DIR})
    demo_target_options(${target})
    set(DEMO_FILES ${DEMO_FILES} ${DEMO_DIR}/${name} PARENT_SCOPE)
    set(DEMO_TARGETS ${DEMO_TARGETS} ${target} PARENT_SCOPE)
endfunction()

# Sizes and packed ratios of the shipped payload's entries.
demo_program(demo_varnix EXE Varnix.exe 2440704 0.326 ${CMAKE_SOURCE_DIR}/demo/Varnix.cpp)
demo_data(Varnix.tlb 5248 0.475 "MSFT Pelorin type library stand-in")
demo_data(Varnix.hlp 977037 0.851 "?_ Pelorin help file stand-in")
demo_data(Varnix.cnt 3109 0.300 ":Base Varnix.hlp>main\\r\\n:Title Pelorin Help\\r\\n1 Contents\\r\\n")
demo_program(demo_braxabs DLL BraxAbs.dll 148992 0.365 ${CMAKE_SOURCE_DIR}/demo/StandInLibrary.cpp)
demo_program(demo_braxacq DLL BraxAcq.dll 227840 0.407 ${CMAKE_SOURCE_DIR}/demo/StandInLibrary.cpp)
demo_program(demo_braxalg DLL BraxAlg.dll 253440 0.391 ${CMAKE_SOURCE_DIR}/demo/StandInLibrary.cpp)
demo_program(demo_axdist EXE Axdist.exe 803680 0.925 ${CMAKE_SOURCE_DIR}/demo/RecordRun.cpp)
demo_program(demo_comctl32 DLL Comctl32.dll 577808 0.598 ${CMAKE_SOURCE_DIR}/demo/StandInLibrary.cpp)
demo_program(demo_comdlg32 DLL Comdlg32.dll 176128 0.526 ${CMAKE_SOURCE_DIR}/demo/StandInLibrary.cpp)
demo_data(DataDependentJitter1.bxd 2206 1.0 "BXD1 data-dependent jitter example")
demo_data(TimingJitter1.bxd 80878 0.684 "BXD1 timing jitter example")
demo_data(AmplitudeNoise1.bxd 66584 0.612 "BXD1 amplitude noise example")

foreach(library BraxAbs BraxAcq BraxAlg Comctl32 Comdlg32)
    string(TOLOWER demo_${library} target)
    target_compile_definitions(${target} PRIVATE DEMO_LIBRARY_NAME="${library}.dll")
endforeach()
target_compile_definitions(demo_axdist PRIVATE RUN_LOG_NAME="axdist-ran.log")

configure_file(${CMAKE_SOURCE_DIR}/demo/payload.manifest ${DEMO_DIR}/payload.manifest COPYONLY)
if(SETUP_PAYLOAD_TOOL AND EXISTS "${SETUP_PAYLOAD_TOOL}")
    add_custom_command(OUTPUT ${DEMO_PAYLOAD}
        COMMAND ${SETUP_PAYLOAD_TOOL} build --manifest ${DEMO_DIR}/payload.manifest --output ${DEMO_PAYLOAD}
        DEPENDS ${SETUP_PAYLOAD_TOOL} ${DEMO_DIR}/payload.manifest ${DEMO_FILES} ${DEMO_TARGETS} ${CMAKE_BINARY_DIR}/uninstall/BraxDel.dll
        COMMENT "Packing the demo payload" VERBATIM)
    add_custom_target(demo_payload ALL DEPENDS ${DEMO_PAYLOAD})
else()
    add_custom_target(demo_payload_files ALL DEPENDS ${DEMO_FILES} ${DEMO_TARGETS})
endif()

# --- The medium ------------------------------------------------------------------------
set(DEMO_MEDIUM ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
set(DEMO_PDF_SCRIPT ${CMAKE_SOURCE_DIR}/demo/make-pdf.py)
add_custom_command(OUTPUT ${DEMO_MEDIUM}/Docs/Index.pdf ${DEMO_MEDIUM}/Docs/UserGuide.pdf ${DEMO_MEDIUM}/Docs/Reference.pdf
    COMMAND ${CMAKE_COMMAND} -E make_directory ${DEMO_MEDIUM}/Docs
    COMMAND Python3::Interpreter ${DEMO_PDF_SCRIPT} --title "Pelorin Manuals"
            --page "Pelorin Manuals|Corvane Corporation||UserGuide.pdf - Pelorin User's Guide|Reference.pdf - Pelorin Reference Manual"
            ${DEMO_MEDIUM}/Docs/Index.pdf
    COMMAND Python3::Interpreter ${DEMO_PDF_SCRIPT} --title "Pelorin User's Guide"
            --page "Pelorin User's Guide|Getting started with jitter and noise analysis.|(Demo manual of the setup program's medium.)"
            --page "Examples|DataDependentJitter1.bxd, TimingJitter1.bxd, AmplitudeNoise1.bxd"
            ${DEMO_MEDIUM}/Docs/UserGuide.pdf
    COMMAND Python3::Interpreter ${DEMO_PDF_SCRIPT} --title "Pelorin Reference Manual"
            --page "Pelorin Reference Manual|Measurements, decompositions and their parameters.|(Demo manual of the setup program's medium.)"
            ${DEMO_MEDIUM}/Docs/Reference.pdf
    DEPENDS ${DEMO_PDF_SCRIPT}
    COMMENT "Demo medium: Docs manuals" VERBATIM)

add_executable(demo_reader_setup WIN32 ${CMAKE_SOURCE_DIR}/demo/RecordRun.cpp)
set_target_properties(demo_reader_setup PROPERTIES OUTPUT_NAME Setup RUNTIME_OUTPUT_DIRECTORY ${DEMO_MEDIUM}/AcroRead)
target_compile_definitions(demo_reader_setup PRIVATE RUN_LOG_NAME="acroread-ran.log")
demo_target_options(demo_reader_setup)

add_custom_target(demo_medium ALL
    DEPENDS ${DEMO_MEDIUM}/Docs/Index.pdf ${DEMO_MEDIUM}/Docs/UserGuide.pdf ${DEMO_MEDIUM}/Docs/Reference.pdf
            demo_reader_setup)

# The stand-in programs under Wine: the two recorders record.
# They run in the build tree's throwaway Wine prefix, like the Windows tests.
add_test(NAME demo_programs
    COMMAND bash ${CMAKE_SOURCE_DIR}/demo/check-demo-programs.sh ${CMAKE_BINARY_DIR}/wineprefix ${DEMO_DIR} ${DEMO_MEDIUM})
set_tests_properties(demo_programs PROPERTIES TIMEOUT 300)
