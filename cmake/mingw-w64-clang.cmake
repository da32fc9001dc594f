# Cross build of the Windows program with Debian's clang and lld against
# MinGW-w64's headers and libraries and the C++ library of the posix GCC that
# the main build uses: a second compiler that must accept the same code.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(NIGHTLOOM_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${NIGHTLOOM_TRIPLE})
set(CMAKE_CXX_COMPILER_TARGET ${NIGHTLOOM_TRIPLE})
set(CMAKE_RC_COMPILER ${NIGHTLOOM_TRIPLE}-windres)
# MinGW-w64's binutils, not LLVM's: those come only with the package llvm
# (whose llvm-dlltool makes the import libraries that lld delay-loads from).
foreach(tool AR RANLIB OBJCOPY STRIP)
    string(TOLOWER ${tool} name)
    find_program(CMAKE_${tool} ${NIGHTLOOM_TRIPLE}-${name} REQUIRED)
endforeach()
# As sysroot, MinGW-w64's own folder: clang then leaves the host's
# /usr/include out of the search path.
set(CMAKE_SYSROOT /usr/${NIGHTLOOM_TRIPLE})

# Debian quirk: clang looks for GCC's C++ headers and libraries in a folder
# named by a bare version number, but Debian names it "12-posix", so clang
# finds neither. Point it at the folder the posix GCC itself reports.
execute_process(COMMAND ${NIGHTLOOM_TRIPLE}-g++-posix -print-libgcc-file-name
    OUTPUT_VARIABLE libgcc OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE libgcc_status)
if(NOT libgcc_status EQUAL 0)
    message(FATAL_ERROR "${NIGHTLOOM_TRIPLE}-g++-posix not found: clang borrows its C++ library")
endif()
get_filename_component(NIGHTLOOM_GCC_DIR ${libgcc} DIRECTORY)
set(CMAKE_CXX_FLAGS_INIT "")
foreach(dir include/c++ include/c++/${NIGHTLOOM_TRIPLE} include/c++/backward)
    string(APPEND CMAKE_CXX_FLAGS_INIT " -isystem ${NIGHTLOOM_GCC_DIR}/${dir}")
endforeach()
# -pthread: the posix C++ library needs winpthreads, which GCC links on its own.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -pthread -L${NIGHTLOOM_GCC_DIR}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${CMAKE_EXE_LINKER_FLAGS_INIT}")

set(CMAKE_FIND_ROOT_PATH /usr/${NIGHTLOOM_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../tests/harness/with-wine")
