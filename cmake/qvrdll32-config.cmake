# qvrdll32-config.cmake: find_package(qvrdll32) gives the imported target
# qvrdll32::qvrdll32 (the DLL, its header folder and the import library that
# suits the compiler). The installed tree can be moved: paths are taken from
# where this file lies (lib/cmake/qvrdll32).
get_filename_component(_qvrdll32_prefix "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)

# Microsoft's ABI (cl, clang-cl, clang for *-windows-msvc) links the
# Microsoft-format library; GCC and clang for MinGW link the GNU one.
if(MSVC OR CMAKE_C_SIMULATE_ID STREQUAL "MSVC" OR CMAKE_CXX_SIMULATE_ID STREQUAL "MSVC")
    set(_qvrdll32_implib "${_qvrdll32_prefix}/lib/qvrdll32.lib")
else()
    set(_qvrdll32_implib "${_qvrdll32_prefix}/lib/libqvrdll32.dll.a")
endif()

if(NOT EXISTS "${_qvrdll32_implib}")
    set(qvrdll32_FOUND FALSE)
    set(qvrdll32_NOT_FOUND_MESSAGE "this qvrdll32 package has no ${_qvrdll32_implib}")
elseif(NOT TARGET qvrdll32::qvrdll32)
    add_library(qvrdll32::qvrdll32 SHARED IMPORTED)
    set_target_properties(qvrdll32::qvrdll32 PROPERTIES
        IMPORTED_LOCATION "${_qvrdll32_prefix}/bin/qvrdll32.dll"
        IMPORTED_IMPLIB "${_qvrdll32_implib}"
        INTERFACE_INCLUDE_DIRECTORIES "${_qvrdll32_prefix}/include")
endif()
unset(_qvrdll32_implib)
unset(_qvrdll32_prefix)
