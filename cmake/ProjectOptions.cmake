# Build-wide switches: warnings as errors, sanitizer builds, fuzz targets.
# Warnings are errors in the project's own test builds (scripts/test.sh turns this on); a
# packager's or user's build must not fail on a compiler's false warning.
option(TAVRIX_WERROR "Treat compiler warnings as errors" OFF)
set(TAVRIX_SANITIZE "" CACHE STRING "Sanitizers to build with: '', 'address,undefined' or 'thread'")
option(TAVRIX_FUZZ "Build the libFuzzer targets (needs clang)" OFF)
option(TAVRIX_BENCHMARKS "Build the benchmark programs" ON)
# A package build makes the programs only; the project's tests run from its own test command.
option(TAVRIX_TESTS "Build the tests, the gauge bench and the test helpers" ON)

add_compile_options(-Wall -Wextra -Wpedantic)
# At -O3 (Release) GCC 12 takes plain std::string assignments for overlapping copies (its
# bug 105329); the false -Wrestrict would fail a warnings-as-errors build of sound code.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    add_compile_options($<$<AND:$<COMPILE_LANGUAGE:CXX>,$<CONFIG:Release>>:-Wno-restrict>)
endif()
if(TAVRIX_WERROR)
    add_compile_options(-Werror)
endif()

if(TAVRIX_SANITIZE)
    add_compile_options(-fsanitize=${TAVRIX_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${TAVRIX_SANITIZE})
endif()

# Qt's moc output and headers are not ours to fix.
set(CMAKE_AUTOMOC_MOC_OPTIONS "")

# tavrix_add_test(NAME name SOURCES ... LIBS ... [LABELS ...] [TIMEOUT s])
# One GoogleTest executable registered with CTest test by test. The label
# "threaded" puts it into the ThreadSanitizer pass (target threaded_tests).
function(tavrix_add_test)
    cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    if(TAVRIX_FUZZ)
        # The fuzz build runs no unit tests; the target exists so that folder lists may refer to it.
        add_executable(${T_NAME} EXCLUDE_FROM_ALL ${T_SOURCES})
        target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
        return()
    endif()
    add_executable(${T_NAME} ${T_SOURCES})
    if("threaded" IN_LIST T_LABELS)
        set_property(GLOBAL APPEND PROPERTY TAVRIX_THREADED_TESTS ${T_NAME})
    endif()
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    gtest_discover_tests(${T_NAME}
        DISCOVERY_TIMEOUT 60
        PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${T_LABELS}")
endfunction()

# tavrix_add_fuzzer(NAME name SOURCES ... LIBS ... [SECONDS n])
# A libFuzzer target, run for a bounded time as a CTest test in fuzz builds.
function(tavrix_add_fuzzer)
    cmake_parse_arguments(F "" "NAME;SECONDS" "SOURCES;LIBS" ${ARGN})
    if(NOT TAVRIX_FUZZ)
        return()
    endif()
    if(NOT F_SECONDS)
        set(F_SECONDS 30)
    endif()
    add_executable(${F_NAME} ${F_SOURCES})
    target_compile_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
    target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
    set_property(GLOBAL APPEND PROPERTY TAVRIX_FUZZERS ${F_NAME})
    add_test(NAME ${F_NAME} COMMAND ${F_NAME} -max_total_time=${F_SECONDS} -rss_limit_mb=2048)
    set_tests_properties(${F_NAME} PROPERTIES LABELS fuzz TIMEOUT ${F_SECONDS}0)
endfunction()

if(TAVRIX_FUZZ)
    # Libraries feed coverage to the fuzzers; ASan catches memory faults on the way.
    add_compile_options(-fsanitize=fuzzer-no-link,address -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address)
endif()

# tavrix_add_subdirectories(a b c): adds each folder that has a CMakeLists.txt.
macro(tavrix_add_subdirectories)
    foreach(_sub ${ARGN})
        if(_sub STREQUAL "tests" AND NOT TAVRIX_TESTS)
            continue()
        endif()
        if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${_sub}/CMakeLists.txt)
            add_subdirectory(${_sub})
        endif()
    endforeach()
endmacro()

# Called once at the end of the top-level list: aggregate targets for the
# sanitizer and fuzz passes, so those builds compile only what they run.
function(tavrix_add_aggregate_targets)
    get_property(_threaded GLOBAL PROPERTY TAVRIX_THREADED_TESTS)
    get_property(_fuzzers GLOBAL PROPERTY TAVRIX_FUZZERS)
    add_custom_target(threaded_tests)
    if(_threaded)
        add_dependencies(threaded_tests ${_threaded})
    endif()
    add_custom_target(fuzzers)
    if(_fuzzers)
        add_dependencies(fuzzers ${_fuzzers})
    endif()
endfunction()
