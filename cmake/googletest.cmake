# GoogleTest from its sources, built with the tests' own compiler (the MinGW-w64
# build cannot link the distribution's Linux libraries). Debian's `googletest`
# package puts the sources in /usr/src/googletest; elsewhere set
# NIGHTLOOM_GOOGLETEST_DIR.
find_path(NIGHTLOOM_GOOGLETEST_DIR
    NAMES googletest/include/gtest/gtest.h
    HINTS /usr/src/googletest
    DOC "GoogleTest source tree (the folder holding googletest/ and googlemock/)"
    NO_CMAKE_FIND_ROOT_PATH)
if(NOT NIGHTLOOM_GOOGLETEST_DIR)
    message(FATAL_ERROR "GoogleTest sources not found: install Debian's googletest or set NIGHTLOOM_GOOGLETEST_DIR")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${NIGHTLOOM_GOOGLETEST_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
