# The installed SDK seen from outside: a fresh `cmake --install` of this build,
# consumers built against it as outside projects and run under Wine, import
# libraries with one wrong name that must fail, and the release archive.
# 64-bit suite: the MinGW consumer; 32-bit suite: the MinGW consumer and the
# one built for Microsoft's ABI (clang and lld-link against qvrdll32.lib).
set(pkg_scratch ${CMAKE_BINARY_DIR}/package-test)
set(pkg_prefix ${pkg_scratch}/prefix)
set(pkg_driver ${CMAKE_CURRENT_LIST_DIR}/package-test.cmake)
set(pkg_args -DSOURCE=${CMAKE_SOURCE_DIR} -DBUILD=${CMAKE_BINARY_DIR} -DPREFIX=${pkg_prefix}
             -DSCRATCH=${pkg_scratch} -DVERSION=${PROJECT_VERSION} -DOBJDUMP=${CMAKE_OBJDUMP})
# A program that imports a name the DLL lacks still starts under Wine (the
# call would abort); Windows refuses to load it. Wine says so on the module
# channel, which the consumer runs turn on.
set(pkg_missing_import "No implementation for qvrdll32.dll")
set(pkg_wine_debug "WINEDEBUG=-all,warn+module")

add_test(NAME package_install COMMAND ${CMAKE_COMMAND} -DSTEP=install ${pkg_args}
                                      -DBUILD_IMPLIB=$<TARGET_LINKER_FILE:qvrdll32> -P ${pkg_driver})
set_tests_properties(package_install PROPERTIES FIXTURES_SETUP qvr_package)

# consumer_<variant>_build, then (unless BUILD_ONLY) consumer_<variant> under
# Wine.
function(qvr_add_consumer variant toolchain folder)
    cmake_parse_arguments(C "BUILD_ONLY" "" "" ${ARGN})
    set(work ${pkg_scratch}/consumer-${variant})
    add_test(NAME consumer_${variant}_build
             COMMAND ${CMAKE_COMMAND} -DSTEP=consumer -DVARIANT=${variant} -DWORK=${work}
                     -DTOOLCHAIN=${toolchain} ${pkg_args} -P ${pkg_driver})
    set_tests_properties(consumer_${variant}_build PROPERTIES
        FIXTURES_REQUIRED qvr_package FIXTURES_SETUP qvr_consumer_${variant})
    if(C_BUILD_ONLY)
        return()
    endif()
    string(REPLACE "/" "\\" script "Z:${pkg_prefix}/share/doc/qvrdll32/examples/setup.inf")
    add_test(NAME consumer_${variant}
             COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} ${work}/build/consumer.exe ${script}
                     "C:\\QVRCONSUMER\\${folder}")
    set_tests_properties(consumer_${variant} PROPERTIES
        FIXTURES_REQUIRED qvr_consumer_${variant}
        ENVIRONMENT ${pkg_wine_debug}
        FAIL_REGULAR_EXPRESSION "${pkg_missing_import}")
endfunction()

if(QVR_32BIT)
    # The MinGW consumer runs in the 64-bit suite; here it is built and its
    # imports checked, which saves a process start under qemu (a minute).
    qvr_add_consumer(mingw ${CMAKE_TOOLCHAIN_FILE} MINGW32 BUILD_ONLY)
    qvr_add_consumer(msvc ${CMAKE_CURRENT_LIST_DIR}/toolchain-clang-msvc-i686.cmake MSVC)
    set_tests_properties(consumer_msvc PROPERTIES COST 100)
else()
    qvr_add_consumer(mingw ${CMAKE_TOOLCHAIN_FILE} MINGW64)
endif()

get_directory_property(pkg_export_lists DIRECTORY ${CMAKE_SOURCE_DIR}/src
                       DEFINITION QVR_EXPORT_LISTS)
string(REPLACE ";" "|" pkg_export_lists "${pkg_export_lists}")
add_test(NAME package_import_faults
         COMMAND ${CMAKE_COMMAND} -DSTEP=faults -DIS32=${QVR_32BIT} -DDLLTOOL=${CMAKE_DLLTOOL}
                 -DTOOLCHAIN=${CMAKE_TOOLCHAIN_FILE} "-DLISTS=${pkg_export_lists}"
                 -DCLANGXX=${QVR_CLANGXX} -DLLD_LINK=${QVR_LLD_LINK}
                 "-DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}" "-DWINE_DEBUG=${pkg_wine_debug}"
                 "-DMISSING_IMPORT=${pkg_missing_import}" ${pkg_args} -P ${pkg_driver})
set_tests_properties(package_import_faults PROPERTIES FIXTURES_REQUIRED qvr_package)

# The release archive is made from the 32-bit build (the 64-bit test build
# carries debug information, with build paths in it). The test builds the DLL
# and the import libraries a second time, in another folder (about a minute
# of compiling, no Wine).
if(QVR_32BIT)
    string(JOIN "|" pkg_tree
        bin/qvrdll32.dll
        include/qvrdll32.h
        lib/cmake/qvrdll32/qvrdll32-config-version.cmake
        lib/cmake/qvrdll32/qvrdll32-config.cmake
        lib/libqvrdll32.dll.a
        lib/qvrdll32.def
        lib/qvrdll32.lib
        share/doc/qvrdll32/LICENSE
        share/doc/qvrdll32/README.md
        share/doc/qvrdll32/examples/setup.inf)
    add_test(NAME package_archive
             COMMAND ${CMAKE_COMMAND} -DSTEP=archive -DPLATFORM=win32 "-DTREE=${pkg_tree}"
                     -DTOOLCHAIN=${CMAKE_TOOLCHAIN_FILE} -DBUILD_TYPE=${CMAKE_BUILD_TYPE}
                     ${pkg_args} -P ${pkg_driver})
    set_tests_properties(package_archive PROPERTIES FIXTURES_REQUIRED qvr_package)
endif()
