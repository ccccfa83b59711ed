# The import libraries that installer authors link, built from the same export
# lists as the DLL's module-definition file, into
# ${CMAKE_BINARY_DIR}/import-libraries:
#   libqvrdll32.dll.a  GNU format (MinGW), made by dlltool;
#   qvrdll32.lib       Microsoft's format (32-bit build only), made by lld-link
#                      from a stub DLL that is thrown away
#                      (make-msvc-import-library.cmake);
#   qvrdll32.def       the dlltool input, shipped so that authors can remake
#                      the GNU library.
# The linker's own import library of the DLL (src/libqvrdll32.dll.a) cannot
# serve: it offers __InfInit@4 for the literal export _InfInit@4, so no
# caller's reference (_InfInit@4) matches it. It is overwritten below.
get_directory_property(qvr_export_lists DIRECTORY src DEFINITION QVR_EXPORT_LISTS)
string(REPLACE ";" "|" qvr_export_lists_arg "${qvr_export_lists}")

set(QVR_IMPORT_DIR ${CMAKE_BINARY_DIR}/import-libraries)
set(QVR_IMPORT_DEF ${QVR_IMPORT_DIR}/qvrdll32.def)
set(QVR_IMPORT_GNU ${QVR_IMPORT_DIR}/libqvrdll32.dll.a)
set(QVR_IMPORT_MSVC ${QVR_IMPORT_DIR}/qvrdll32.lib)
set(qvr_stub_source ${QVR_IMPORT_DIR}/stub/qvrdll32_stub.cpp)

if(NOT CMAKE_DLLTOOL)
    message(FATAL_ERROR "dlltool of the MinGW-w64 binutils not found (scripts/setup.sh)")
endif()

set(qvr_generator_outputs ${QVR_IMPORT_DEF})
set(qvr_stub_arg)
if(QVR_32BIT)
    list(APPEND qvr_generator_outputs ${qvr_stub_source})
    set(qvr_stub_arg -DSTUB_OUT=${qvr_stub_source})
endif()
add_custom_command(
    OUTPUT ${qvr_generator_outputs}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${QVR_IMPORT_DIR}/stub
    COMMAND ${CMAKE_COMMAND} "-DLISTS=${qvr_export_lists_arg}" -DIS32=${QVR_32BIT}
            -DDEF_OUT=${QVR_IMPORT_DEF} ${qvr_stub_arg}
            -P ${CMAKE_SOURCE_DIR}/cmake/make-import-sources.cmake
    DEPENDS ${qvr_export_lists} ${CMAKE_SOURCE_DIR}/cmake/make-import-sources.cmake
            ${CMAKE_SOURCE_DIR}/cmake/export-list.cmake
    COMMENT "Generating the import library sources"
    VERBATIM)

# dlltool names the archive members and a symbol after its -l argument, so it
# runs in the output folder with a bare file name: no build path gets in.
add_custom_command(
    OUTPUT ${QVR_IMPORT_GNU}
    COMMAND ${CMAKE_DLLTOOL} -d qvrdll32.def -l libqvrdll32.dll.a
    WORKING_DIRECTORY ${QVR_IMPORT_DIR}
    DEPENDS ${QVR_IMPORT_DEF}
    COMMENT "Building the MinGW import library libqvrdll32.dll.a"
    VERBATIM)
set(qvr_import_outputs ${QVR_IMPORT_GNU})

if(QVR_32BIT)
    find_program(QVR_CLANGXX NAMES clang++ clang++-14 REQUIRED)
    find_program(QVR_LLD_LINK NAMES lld-link lld-link-14 REQUIRED)
    add_custom_command(
        OUTPUT ${QVR_IMPORT_MSVC}
        COMMAND ${CMAKE_COMMAND} -DSTUB=${qvr_stub_source} -DOUT=${QVR_IMPORT_MSVC}
                -DCLANGXX=${QVR_CLANGXX} -DLLD_LINK=${QVR_LLD_LINK}
                -P ${CMAKE_SOURCE_DIR}/cmake/make-msvc-import-library.cmake
        DEPENDS ${qvr_stub_source} ${CMAKE_SOURCE_DIR}/cmake/make-msvc-import-library.cmake
        COMMENT "Building the Microsoft-format import library qvrdll32.lib"
        VERBATIM)
    list(APPEND qvr_import_outputs ${QVR_IMPORT_MSVC})
endif()

add_custom_target(qvr_import_libraries ALL DEPENDS ${qvr_import_outputs})

# Authors who take the import library from the build tree rather than from an
# install find the linker's one first: replace it with the dlltool library
# after every link of the DLL.
add_custom_target(qvr_build_tree_import_library ALL
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${QVR_IMPORT_GNU} $<TARGET_LINKER_FILE:qvrdll32>
    COMMENT "Replacing the linker's import library of qvrdll32.dll"
    VERBATIM)
add_dependencies(qvr_build_tree_import_library qvrdll32 qvr_import_libraries)
