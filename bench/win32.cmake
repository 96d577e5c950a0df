# Windows side of the benchmark (scripts/bench.sh): three programs, built with the rest
# of the Windows build into <build>/bench, and a smoke run of the whole benchmark on
# small payloads among the tests.
#   bench_extract  the engine's extraction against its floor, in one process;
#   bench_install  the setup program's work as a process of its own (payload resource
#                  put in by bench_launch embed), for the comparison with NSIS;
#   bench_launch   embeds a payload, times a process, times the first painted backdrop.
set(BENCH_WIN_DIR ${CMAKE_SOURCE_DIR}/bench/win)

add_executable(bench_extract ${BENCH_WIN_DIR}/extract_bench.cpp $<TARGET_OBJECTS:setup_resources>)
target_link_libraries(bench_extract PRIVATE setup_core psapi)

add_executable(bench_install WIN32 ${BENCH_WIN_DIR}/install_run.cpp ${CMAKE_SOURCE_DIR}/framework/WinMain.cpp
               $<TARGET_OBJECTS:setup_resources>)
target_link_libraries(bench_install PRIVATE setup_core psapi)

set(BENCH_TARGETS bench_extract bench_install)
if(TARGET uidriver)
    add_executable(bench_launch ${BENCH_WIN_DIR}/launch.cpp)
    target_include_directories(bench_launch PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_link_libraries(bench_launch PRIVATE setup_core uidriver psapi)
    list(APPEND BENCH_TARGETS bench_launch)
endif()
foreach(target ${BENCH_TARGETS})
    target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endforeach()

# The smoke run: every step of scripts/bench.sh on payloads small enough for a few
# seconds of work, in this build's Wine prefix, checked for a complete table only.
if(TARGET bench_launch AND SETUP_HOST_TOOLS)
    add_test(NAME bench_smoke
        COMMAND bash ${CMAKE_SOURCE_DIR}/bench/run.sh --smoke --win-build ${CMAKE_BINARY_DIR}
                --host-build ${SETUP_HOST_TOOLS} --out ${CMAKE_BINARY_DIR}/bench-smoke)
    set_tests_properties(bench_smoke PROPERTIES ENVIRONMENT "${SETUP_TEST_ENV}" TIMEOUT 300)
endif()
