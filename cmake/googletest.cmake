# GoogleTest for the test programs, as the targets GTest::gtest and
# GTest::gtest_main: an installed package where one fits (find_package: the
# host's for the native build, MSYS2's when building on Windows), otherwise
# built from its sources, QVR_GTEST_SOURCE_DIR (Debian's googletest package
# by default). A cross build never takes a package (the host's would be for
# the wrong system). With FROM_SOURCE the sources are always used: the
# 32-bit Wine build compiles GoogleTest without thread support
# (tests/CMakeLists.txt).
set(QVR_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH
    "GoogleTest sources, used when no installed package fits")

macro(qvr_use_googletest)
    cmake_parse_arguments(QVR_GTEST "FROM_SOURCE" "" "" ${ARGN})
    if(NOT QVR_GTEST_FROM_SOURCE AND NOT CMAKE_CROSSCOMPILING)
        find_package(GTest CONFIG QUIET)
    endif()
    if(TARGET GTest::gtest AND TARGET GTest::gtest_main)
        message(STATUS "GoogleTest: the installed package in ${GTest_DIR}")
    elseif(EXISTS ${QVR_GTEST_SOURCE_DIR}/CMakeLists.txt)
        message(STATUS "GoogleTest: built from ${QVR_GTEST_SOURCE_DIR}")
        set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
        set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
        set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
        add_subdirectory(${QVR_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
        # Recent sources name their targets GTest:: themselves.
        if(NOT TARGET GTest::gtest)
            add_library(GTest::gtest ALIAS gtest)
            add_library(GTest::gtest_main ALIAS gtest_main)
        endif()
    else()
        message(FATAL_ERROR "GoogleTest not found: install it, or set QVR_GTEST_SOURCE_DIR to "
                            "its sources")
    endif()
endmacro()
