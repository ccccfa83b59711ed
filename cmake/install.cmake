# What `cmake --install` puts into the prefix, the tree of the SDK archive:
#   bin/qvrdll32.dll                 the DLL, the only file an installer ships
#   include/qvrdll32.h
#   lib/libqvrdll32.dll.a            MinGW import library
#   lib/qvrdll32.lib                 Microsoft-format import library (32-bit)
#   lib/qvrdll32.def                 dlltool input of the MinGW library
#   lib/cmake/qvrdll32/              package config and version files
#   share/doc/qvrdll32/              README, licence, examples/setup.inf
include(CMakePackageConfigHelpers)

# Only the DLL: the linker's own import library of it is not installed (see
# cmake/import-libraries.cmake).
install(PROGRAMS $<TARGET_FILE:qvrdll32> DESTINATION bin)
install(FILES ${CMAKE_SOURCE_DIR}/include/qvrdll32.h DESTINATION include)
install(FILES ${QVR_IMPORT_GNU} ${QVR_IMPORT_DEF} DESTINATION lib)
if(QVR_32BIT)
    install(FILES ${QVR_IMPORT_MSVC} DESTINATION lib)
endif()

# The version file also refuses a consumer whose pointer size differs.
write_basic_package_version_file(
    ${CMAKE_BINARY_DIR}/qvrdll32-config-version.cmake
    VERSION ${PROJECT_VERSION}
    COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_SOURCE_DIR}/cmake/qvrdll32-config.cmake
              ${CMAKE_BINARY_DIR}/qvrdll32-config-version.cmake
        DESTINATION lib/cmake/qvrdll32)

install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/LICENSE
        DESTINATION share/doc/qvrdll32)
install(FILES ${CMAKE_SOURCE_DIR}/examples/host/sample/setup.inf
        DESTINATION share/doc/qvrdll32/examples)
