# Host build: the code that needs no Windows API, its unit tests under the sanitizers,
# and the tools that run on the build machine.
option(SETUP_SANITIZE "Build host code with AddressSanitizer and UndefinedBehaviorSanitizer" ON)
if(SETUP_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
endif()
add_compile_options(-Wall -Wextra)

find_package(GTest REQUIRED)
find_package(ZLIB REQUIRED)
find_package(Threads REQUIRED)

add_library(setup_portable STATIC ${SETUP_PORTABLE_SOURCES})
target_include_directories(setup_portable PUBLIC ${CMAKE_SOURCE_DIR})

file(GLOB HOST_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/host/*_test.cpp)
if(HOST_TEST_SOURCES)
    add_executable(host_tests ${HOST_TEST_SOURCES})
    target_link_libraries(host_tests PRIVATE setup_portable GTest::gtest_main)
    add_test(NAME host_tests COMMAND host_tests)
endif()

# The 32-bit Setup.exe computes the progress timeline on the x87 unit, in extended
# precision: its tests run a second time with the timeline built that way, optimised as
# the product is, so that its edges are checked as the product computes them.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64|i.86")
    add_executable(progress_timeline_x87_test tests/host/progress_timeline_test.cpp ui/ProgressTimeline.cpp)
    target_include_directories(progress_timeline_x87_test PRIVATE ${CMAKE_SOURCE_DIR})
    target_compile_options(progress_timeline_x87_test PRIVATE -O2 -mfpmath=387)
    target_link_libraries(progress_timeline_x87_test PRIVATE GTest::gtest_main)
    add_test(NAME progress_timeline_x87 COMMAND progress_timeline_x87_test)
endif()

if(EXISTS ${CMAKE_SOURCE_DIR}/tools/CMakeLists.txt)
    add_subdirectory(tools)
endif()

if(EXISTS ${CMAKE_SOURCE_DIR}/bench/host.cmake)
    include(${CMAKE_SOURCE_DIR}/bench/host.cmake)
endif()
