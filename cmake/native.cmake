# Linux host: native unit tests, developer tools, and the Windows program built
# as a sub-project with the MinGW-w64 toolchain. ctest here runs every test.
include(ExternalProject)
enable_testing()

set(NIGHTLOOM_SANITIZE "-fsanitize=address,undefined" "-fno-sanitize-recover=all" "-fno-omit-frame-pointer")

add_library(nightloom_core STATIC ${NIGHTLOOM_CORE_SOURCES})
target_include_directories(nightloom_core PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(nightloom_core PRIVATE -Wall -Wextra -Wpedantic -Werror ${NIGHTLOOM_SANITIZE})
target_link_options(nightloom_core PUBLIC ${NIGHTLOOM_SANITIZE})

# The generator of our pictures and icons; its output is committed in
# resources/ and a native test checks that it still reproduces it.
add_executable(artgen tools/artgen/artgen.cpp tools/artgen/pictures.cpp tools/artgen/bmp_file.cpp
    tools/artgen/lettering.cpp tools/artgen/noise.cpp tools/artgen/png_file.cpp)
# zlib deflates the icon's PNG image.
find_package(ZLIB REQUIRED)
target_link_libraries(artgen PRIVATE ZLIB::ZLIB)
# Optimised even in debug builds: the tests run it several times. No fused
# multiply-add, so every compiler and machine draws the same bytes.
target_compile_options(artgen PRIVATE -Wall -Wextra -Wpedantic -Werror -O2 -ffp-contract=off)

add_subdirectory(tests/native)

# libFuzzer targets, built by clang in their own sub-build when clang can link a
# fuzzer with the sanitizers; tests/CMakeLists.txt runs each briefly.
set(NIGHTLOOM_FUZZ_DIR ${CMAKE_BINARY_DIR}/fuzz)
set(NIGHTLOOM_FUZZ_TARGETS command_line value_mapping text clock overlay picture_filter mode_entry)
find_program(NIGHTLOOM_CLANGXX NAMES clang++)
set(NIGHTLOOM_FUZZ OFF)
if(NIGHTLOOM_CLANGXX)
    execute_process(
        COMMAND ${NIGHTLOOM_CLANGXX} -fsanitize=fuzzer,address,undefined ${CMAKE_SOURCE_DIR}/tests/fuzz/probe.cpp
            -o ${CMAKE_BINARY_DIR}/fuzz-probe
        RESULT_VARIABLE probe_status OUTPUT_QUIET ERROR_QUIET)
    if(probe_status EQUAL 0)
        set(NIGHTLOOM_FUZZ ON)
    endif()
endif()
if(NIGHTLOOM_FUZZ)
    ExternalProject_Add(fuzzers
        SOURCE_DIR ${CMAKE_SOURCE_DIR}/tests/fuzz
        BINARY_DIR ${NIGHTLOOM_FUZZ_DIR}
        CMAKE_ARGS
            -G Ninja
            -DCMAKE_BUILD_TYPE=RelWithDebInfo
            -DCMAKE_CXX_COMPILER=${NIGHTLOOM_CLANGXX}
        BUILD_ALWAYS ON
        INSTALL_COMMAND ""
    )
else()
    message(STATUS "No clang with libFuzzer (packages clang, libclang-rt-dev): fuzzers not built")
endif()

# The Windows program, its Win32 tests and the developer tools for Windows, in
# the build type chosen here.
if(CMAKE_BUILD_TYPE)
    set(NIGHTLOOM_WINDOWS_BUILD_TYPE ${CMAKE_BUILD_TYPE})
else()
    set(NIGHTLOOM_WINDOWS_BUILD_TYPE Release)
endif()
ExternalProject_Add(windows
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/win
    CMAKE_ARGS
        -G Ninja
        -DCMAKE_BUILD_TYPE=${NIGHTLOOM_WINDOWS_BUILD_TYPE}
        -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-w64.cmake
        -DNIGHTLOOM_GOOGLETEST_DIR=${NIGHTLOOM_GOOGLETEST_DIR}
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    USES_TERMINAL_BUILD ON
)

set(NIGHTLOOM_SCR ${CMAKE_BINARY_DIR}/win/nightloom.scr)
set(NIGHTLOOM_WIN_TESTS ${CMAKE_BINARY_DIR}/win/tests/win/nightloom_win_tests.exe)
set(NIGHTLOOM_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine)
add_subdirectory(tests)
