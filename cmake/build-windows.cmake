# Configures and builds the Windows half on its own, beside the main build:
# with clang, or a second time to compare the saver.
#   cmake -D BUILD_DIR=folder [-D SOURCE_DIR=…] [-D TOOLCHAIN=file] [-D BUILD_TYPE=Release]
#         [-D TARGET=name] [-D GOOGLETEST_DIR=…] -P cmake/build-windows.cmake
get_filename_component(here ${CMAKE_SCRIPT_MODE_FILE} DIRECTORY)
if(NOT BUILD_DIR)
    message(FATAL_ERROR "BUILD_DIR not set")
endif()
if(NOT SOURCE_DIR)
    get_filename_component(SOURCE_DIR ${here} DIRECTORY)
endif()
if(NOT TOOLCHAIN)
    set(TOOLCHAIN ${SOURCE_DIR}/cmake/mingw-w64.cmake)
endif()
if(NOT BUILD_TYPE)
    set(BUILD_TYPE Release)
endif()

set(configure ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${BUILD_DIR} -G Ninja
    -DCMAKE_BUILD_TYPE=${BUILD_TYPE} -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN})
if(GOOGLETEST_DIR)
    list(APPEND configure -DNIGHTLOOM_GOOGLETEST_DIR=${GOOGLETEST_DIR})
endif()
execute_process(COMMAND ${configure} COMMAND_ERROR_IS_FATAL ANY)

set(build ${CMAKE_COMMAND} --build ${BUILD_DIR})
if(TARGET)
    list(APPEND build --target ${TARGET})
endif()
execute_process(COMMAND ${build} COMMAND_ERROR_IS_FATAL ANY)
