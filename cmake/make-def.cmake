# Makes everything that enumerates the exports from the per-subsystem export
# lists (cmake/export-list.cmake):
#   OUT       the module-definition file the DLL is linked with. On 32-bit the
#             internal symbol carries the stdcall decoration without the
#             underscore (InfInit@4); on 64-bit stdcall is undecorated.
#   HEADER    qvr_exports.h: QVR_EXPORTS(X) calls X(Name, ArgumentBytes,
#             "ExportedName") once per export, for the programs that look
#             the exports up by name (tests, demo host, benchmark).
#   EXPECTED  the list of exported names that the export table check holds
#             the DLL to, one a line.
# cmake -DLISTS=a|b -DIS32=ON|OFF [-DOUT=...] [-DHEADER=...] [-DEXPECTED=...] -P make-def.cmake
include(${CMAKE_CURRENT_LIST_DIR}/export-list.cmake)
string(REPLACE "|" ";" export_lists "${LISTS}")
qvr_read_export_lists(exp ${export_lists})

set(def "LIBRARY qvrdll32\nEXPORTS\n")
string(CONCAT header "/* Generated from src/<subsystem>/exports.list by cmake/make-def.cmake. Every\n"
       " * export of qvrdll32.dll: X(Name, ArgumentBytes, \"ExportedName\"). */\n"
       "#pragma once\n\n#define QVR_EXPORTS(X)")
set(expected "")
list(LENGTH exp_NAMES count)
math(EXPR last "${count} - 1")
foreach(i RANGE ${last})
    list(GET exp_NAMES ${i} name)
    list(GET exp_BYTES ${i} bytes)
    list(GET exp_EXPORTED ${i} exported)
    if(IS32)
        set(internal "${name}@${bytes}")
    else()
        set(internal "${name}")
    endif()
    string(APPEND def "    \"${exported}\" = ${internal}\n")
    string(APPEND header " \\\n    X(${name}, ${bytes}, \"${exported}\")")
    string(APPEND expected "${exported}\n")
endforeach()
string(APPEND header "\n")
# Each output only when asked for (the native build wants the header alone).
if(OUT)
    qvr_write_if_changed(${OUT} "${def}")
endif()
if(HEADER)
    qvr_write_if_changed(${HEADER} "${header}")
endif()
if(EXPECTED)
    qvr_write_if_changed(${EXPECTED} "${expected}")
endif()
