# Project-wide compile settings and helpers for adding tests and fuzz targets.

# Every target of ours links pldk_options for warnings, charset and sanitizers.
add_library(pldk_options INTERFACE)
target_compile_options(pldk_options INTERFACE -Wall -Wextra)

# Narrow text is GBK at run time; sources are UTF-8. g++ converts literals
# itself; clang has no GBK execution charset, so every C++ object it compiles
# goes through cmake/gbk-literals.py, which rewrites the narrow literals as
# GBK escapes and fails the build on one it cannot carry over.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(pldk_options INTERFACE -finput-charset=UTF-8 -fexec-charset=GBK)
else()
    find_package(Python3 REQUIRED COMPONENTS Interpreter)
    set(CMAKE_CXX_COMPILER_LAUNCHER ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/cmake/gbk-literals.py
        ${CMAKE_CXX_COMPILER_LAUNCHER} --)
endif()

if(PLDK_SANITIZE)
    target_compile_options(pldk_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                  -fno-sanitize-recover=undefined)
    target_link_options(pldk_options INTERFACE -fsanitize=address,undefined)
endif()

if(PLDK_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "PLDK_FUZZ needs clang (configure with -DCMAKE_CXX_COMPILER=clang++)")
    endif()
    # Libraries are instrumented for coverage so the fuzzer can steer.
    target_compile_options(pldk_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    target_link_options(pldk_options INTERFACE -fsanitize=address,undefined)
endif()

# pldk_add_library(name SOURCES ... [DEPS ...] [PUBLIC_DEPS ...])
# One static library per folder, with the repository root on the include path
# so headers are included as "net/ByteBuffer.h".
function(pldk_add_library name)
    cmake_parse_arguments(arg "" "" "SOURCES;DEPS;PUBLIC_DEPS" ${ARGN})
    add_library(${name} STATIC ${arg_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC pldk_options ${arg_PUBLIC_DEPS} PRIVATE ${arg_DEPS})
endfunction()

# Every test and fuzz program gets a temporary per-user folder of its own
# (tests/support/TestProcessHome.cpp), so no test writes the user's logs.
function(pldk_link_test_home target)
    if(NOT TARGET pldk_test_home)
        add_library(pldk_test_home OBJECT ${PROJECT_SOURCE_DIR}/tests/support/TestProcessHome.cpp)
        target_link_libraries(pldk_test_home PRIVATE pldk_options)
    endif()
    target_link_libraries(${target} PRIVATE pldk_test_home)
endfunction()

# pldk_add_test(name SOURCES ... DEPS ...): a GoogleTest executable run by ctest.
function(pldk_add_test name)
    cmake_parse_arguments(arg "" "" "SOURCES;DEPS" ${ARGN})
    find_package(GTest REQUIRED)
    add_executable(${name} ${arg_SOURCES})
    target_link_libraries(${name} PRIVATE pldk_options ${arg_DEPS} GTest::gmock GTest::gtest GTest::gtest_main)
    pldk_link_test_home(${name})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
    include(GoogleTest)
    # System libraries (fontconfig, SDL's D-Bus link) keep some allocations for
    # the life of the process; the leak checker is told so once, for every
    # test, by their initialisation frames (full stacks needed, see the file).
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120
                         ENVIRONMENT "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/cmake/lsan-system.supp:fast_unwind_on_malloc=0")
endfunction()

# pldk_add_fuzzer(name SOURCES ... DEPS ...): a libFuzzer target with a short
# run in ctest (PLDK_FUZZ_SECONDS each, seeds from fuzz/corpus/<name> if any).
set(PLDK_FUZZ_SECONDS 15 CACHE STRING "Seconds each fuzz target runs under ctest")
function(pldk_add_fuzzer name)
    cmake_parse_arguments(arg "" "" "SOURCES;DEPS" ${ARGN})
    if(NOT PLDK_FUZZ)
        return()
    endif()
    add_executable(${name} ${arg_SOURCES})
    target_link_libraries(${name} PRIVATE pldk_options ${arg_DEPS})
    pldk_link_test_home(${name})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    add_dependencies(fuzzers ${name})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    set(corpus ${PROJECT_SOURCE_DIR}/fuzz/corpus/${name})
    set(work ${CMAKE_BINARY_DIR}/fuzz-corpus/${name})
    set(seed_args)
    if(EXISTS ${corpus})
        set(seed_args ${corpus})
    endif()
    # A system library (SDL_image, libpng) may ask for a huge buffer on a
    # hostile header and handle the null answer; ASan must not call that a crash.
    add_test(NAME fuzz.${name}
             COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1
                     LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/cmake/lsan-fuzz.supp
                     $<TARGET_FILE:${name}> -max_total_time=${PLDK_FUZZ_SECONDS} -rss_limit_mb=2048
                     -max_len=65536 -artifact_prefix=${CMAKE_BINARY_DIR}/fuzz-artifacts/${name}-
                     ${work} ${seed_args})
    set_tests_properties(fuzz.${name} PROPERTIES TIMEOUT 300 FIXTURES_REQUIRED fuzzdir.${name})
    add_test(NAME fuzz.mkdir.${name} COMMAND ${CMAKE_COMMAND} -E make_directory ${work} ${CMAKE_BINARY_DIR}/fuzz-artifacts)
    set_tests_properties(fuzz.mkdir.${name} PROPERTIES FIXTURES_SETUP fuzzdir.${name})
endfunction()

# pldk_add_benchmark(name SOURCES ... DEPS ...): a Google Benchmark program
# (built, not run by ctest; run it from a Release build).
function(pldk_add_benchmark name)
    cmake_parse_arguments(arg "" "" "SOURCES;DEPS" ${ARGN})
    add_executable(${name} ${arg_SOURCES})
    target_link_libraries(${name} PRIVATE pldk_options ${arg_DEPS} benchmark::benchmark)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
endfunction()
