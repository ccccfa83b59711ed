# Makes everything that enumerates the exports from the per-subsystem export
# lists (cmake/export-list.cmake):
#   OUT       the module-definition file the DLL is linked with: each exported
#             name = the linker's name of its function (InfInit@4 on 32-bit).
#   HEADER    qvr_exports.h: QVR_EXPORTS(X) calls X(Name, ArgumentBytes,
#             "ExportedName") once per export, for the programs that look
#             the exports up by name (tests, demo host, benchmark).
#   EXPECTED  the list of exported names that the export table check holds
#             the DLL to, one a line.
# cmake -DLISTS=a|b -DIS32=ON|OFF [-DOUT=...] [-DHEADER=...] [-DEXPECTED=...] -P make-def.cmake
include(${CMAKE_CURRENT_LIST_DIR}/export-list.cmake)
string(REPLACE "|" ";" export_lists "${LISTS}")
qvr_read_export_lists(exp "${IS32}" ${export_lists})

set(def "LIBRARY qvrdll32\nEXPORTS\n")
string(CONCAT header "/* Generated from src/<subsystem>/exports.list by cmake/make-def.cmake. Every\n"
       " * export of qvrdll32.dll: X(Name, ArgumentBytes, \"ExportedName\"). */\n"
       "#pragma once\n\n#define QVR_EXPORTS(X)")
set(expected "")
foreach(name bytes exported symbol IN ZIP_LISTS exp_NAMES exp_BYTES exp_EXPORTED exp_SYMBOLS)
    string(APPEND def "    \"${exported}\" = ${symbol}\n")
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
