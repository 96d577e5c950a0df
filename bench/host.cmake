# Host side of the benchmark (scripts/bench.sh): the corpus generator and the comparison
# of deflate implementations. Both measure or make bytes rather than test code, so they
# are built optimised and without the sanitizers the rest of the host build uses.
find_path(BENCH_LIBDEFLATE_INCLUDE libdeflate.h)
find_library(BENCH_LIBDEFLATE_LIBRARY deflate)

function(bench_host_tool target source)
    add_executable(${target} ${source})
    foreach(property COMPILE_OPTIONS LINK_OPTIONS)
        get_target_property(options ${target} ${property})
        if(options)
            list(FILTER options EXCLUDE REGEX "^-fsanitize|^-fno-sanitize|^-fno-omit-frame-pointer")
            set_target_properties(${target} PROPERTIES ${property} "${options}")
        endif()
    endforeach()
    target_compile_options(${target} PRIVATE -O2)
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endfunction()

bench_host_tool(bench_corpus ${CMAKE_SOURCE_DIR}/bench/host/corpus.cpp)

bench_host_tool(bench_deflate ${CMAKE_SOURCE_DIR}/bench/host/deflate_compare.cpp)
target_link_libraries(bench_deflate PRIVATE ZLIB::ZLIB)
if(BENCH_LIBDEFLATE_INCLUDE AND BENCH_LIBDEFLATE_LIBRARY)
    target_include_directories(bench_deflate PRIVATE ${BENCH_LIBDEFLATE_INCLUDE})
    target_link_libraries(bench_deflate PRIVATE ${BENCH_LIBDEFLATE_LIBRARY})
    target_compile_definitions(bench_deflate PRIVATE BENCH_HAVE_LIBDEFLATE)
else()
    message(STATUS "libdeflate not found: bench_deflate compares zlib levels only")
endif()
