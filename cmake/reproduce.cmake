# Builds the saver once more from a copy of this source in a fresh folder and
# compares it byte for byte with REFERENCE: a downloaded nightloom.scr, or the
# main build's. Both folders differ from the reference's, so a build path or a
# time that leaks into the file shows up here.
#   cmake -D REFERENCE=nightloom.scr [-D WORK_DIR=folder] [-D BUILD_TYPE=Release]
#         [-D GOOGLETEST_DIR=…] -P cmake/reproduce.cmake
get_filename_component(here ${CMAKE_SCRIPT_MODE_FILE} DIRECTORY)
get_filename_component(source ${here} DIRECTORY)
get_filename_component(REFERENCE "${REFERENCE}" ABSOLUTE)
if(NOT EXISTS "${REFERENCE}" OR IS_DIRECTORY "${REFERENCE}")
    message(FATAL_ERROR "REFERENCE must name the nightloom.scr to compare with")
endif()
if(NOT WORK_DIR)
    set(WORK_DIR ${source}/build-reproduce)
endif()
get_filename_component(WORK_DIR ${WORK_DIR} ABSOLUTE)

# The tracked tree without build folders (they may hold a Wine prefix).
file(REMOVE_RECURSE ${WORK_DIR})
file(GLOB entries RELATIVE ${source} ${source}/*)
foreach(entry ${entries})
    if(entry MATCHES "^(\\.|build)" OR EXISTS ${source}/${entry}/CMakeCache.txt
            OR "${source}/${entry}" STREQUAL WORK_DIR)
        continue()
    endif()
    file(COPY ${source}/${entry} DESTINATION ${WORK_DIR}/nightloom)
endforeach()

execute_process(COMMAND ${CMAKE_COMMAND} -D SOURCE_DIR=${WORK_DIR}/nightloom -D BUILD_DIR=${WORK_DIR}/build
        -D BUILD_TYPE=${BUILD_TYPE} -D GOOGLETEST_DIR=${GOOGLETEST_DIR} -D TARGET=nightloom
        -P ${WORK_DIR}/nightloom/cmake/build-windows.cmake
    COMMAND_ERROR_IS_FATAL ANY)

set(rebuilt ${WORK_DIR}/build/nightloom.scr)
file(SHA256 ${REFERENCE} reference_sum)
file(SHA256 ${rebuilt} rebuilt_sum)
file(SIZE ${REFERENCE} reference_size)
file(SIZE ${rebuilt} rebuilt_size)
message("${reference_sum}  ${reference_size} bytes  ${REFERENCE}")
message("${rebuilt_sum}  ${rebuilt_size} bytes  ${rebuilt}")
if(NOT reference_sum STREQUAL rebuilt_sum)
    message(FATAL_ERROR "The rebuilt nightloom.scr differs from ${REFERENCE}")
endif()
message("Same bytes.")
