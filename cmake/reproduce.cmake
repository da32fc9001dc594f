# Builds the saver once more from a copy of this source in a fresh folder and
# compares it byte for byte with REFERENCE: a downloaded nightloom.scr, or the
# main build's. Both folders differ from the reference's, so a build path or a
# time that leaks into the file shows up here. A signed REFERENCE is compared by
# what its signature covers (see below). REBUILT names a saver already built
# from this source, to compare with instead of building one.
#   cmake -D REFERENCE=nightloom.scr [-D WORK_DIR=folder] [-D BUILD_TYPE=Release]
#         [-D GOOGLETEST_DIR=…] [-D REBUILT=nightloom.scr] -P cmake/reproduce.cmake
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

# The little-endian number of BYTES bytes at OFFSET in FILE.
function(read_number file offset bytes out_var)
    file(READ ${file} hex OFFSET ${offset} LIMIT ${bytes} HEX)
    set(value 0)
    math(EXPR last "${bytes} - 1")
    foreach(index RANGE ${last} 0 -1)
        math(EXPR start "${index} * 2")
        string(SUBSTRING ${hex} ${start} 2 byte)
        math(EXPR value "${value} * 256 + 0x${byte}")
    endforeach()
    set(${out_var} ${value} PARENT_SCOPE)
endfunction()

# Whether the 64-bit PE file has a certificate table: its size is the second
# half of data directory 4, 168 bytes after the "PE" signature.
function(has_signature file out_var)
    read_number(${file} 60 4 pe_header)
    math(EXPR size_offset "${pe_header} + 168 + 4")
    read_number(${file} ${size_offset} 4 size)
    if(size GREATER 0)
        set(${out_var} TRUE PARENT_SCOPE)
    else()
        set(${out_var} FALSE PARENT_SCOPE)
    endif()
endfunction()

if(NOT REBUILT)
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
    set(REBUILT ${WORK_DIR}/build/nightloom.scr)
endif()
get_filename_component(rebuilt ${REBUILT} ABSOLUTE)
file(MAKE_DIRECTORY ${WORK_DIR})

file(SHA256 ${REFERENCE} reference_sum)
file(SHA256 ${rebuilt} rebuilt_sum)
file(SIZE ${REFERENCE} reference_size)
file(SIZE ${rebuilt} rebuilt_size)
message("${reference_sum}  ${reference_size} bytes  ${REFERENCE}")
message("${rebuilt_sum}  ${rebuilt_size} bytes  ${rebuilt}")
# Signing changes three things: it adds the signature, writes the PE checksum
# and pads the file before the signature. The Authenticode digest covers every
# other byte, and the signature holds that digest; osslsigncode computes it for
# any file (extract-data) and reads the one the signature holds (verify).
function(compare_signed reference rebuilt)
    find_program(osslsigncode osslsigncode)
    if(NOT osslsigncode)
        message(FATAL_ERROR "${reference} is signed: comparing it needs osslsigncode")
    endif()
    execute_process(COMMAND ${osslsigncode} verify -in ${reference} OUTPUT_VARIABLE verified ERROR_VARIABLE verified)
    string(REGEX MATCH "Current message digest *: *([0-9A-F]+)" current "${verified}")
    set(current ${CMAKE_MATCH_1})
    string(REGEX MATCH "Calculated message digest *: *([0-9A-F]+)" calculated "${verified}")
    set(calculated ${CMAKE_MATCH_1})
    if(NOT current OR NOT current STREQUAL calculated)
        message(FATAL_ERROR "The signature of ${reference} does not cover its bytes:\n${verified}")
    endif()
    foreach(name reference rebuilt)
        set(data ${WORK_DIR}/${name}.authenticode)
        file(REMOVE ${data})
        execute_process(COMMAND ${osslsigncode} extract-data -h sha256 -in ${${name}} -out ${data}
            OUTPUT_QUIET RESULT_VARIABLE status)
        if(NOT status EQUAL 0)
            message(FATAL_ERROR "osslsigncode could not compute the Authenticode digest of ${${name}}")
        endif()
        file(SHA256 ${data} ${name}_data)
    endforeach()
    message("Signed with the Authenticode digest ${current}; compared what the signature covers.")
    if(NOT reference_data STREQUAL rebuilt_data)
        message(FATAL_ERROR "The rebuilt nightloom.scr differs from ${reference} outside the signature")
    endif()
endfunction()

has_signature(${REFERENCE} reference_signed)
if(reference_signed)
    compare_signed(${REFERENCE} ${rebuilt})
elseif(NOT reference_sum STREQUAL rebuilt_sum)
    message(FATAL_ERROR "The rebuilt nightloom.scr differs from ${REFERENCE}")
endif()
message("Same bytes.")
