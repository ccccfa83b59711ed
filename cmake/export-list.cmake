# Reads the per-subsystem export lists, the one source of the library's
# export list. A line is "Name ArgumentBytes" (exported as _Name@Bytes) or
# "ExportedName = Name ArgumentBytes"; '#' starts a comment line.
#   qvr_read_export_lists(PREFIX IS32 file...)
# sets four lists in step: PREFIX_NAMES (the functions the library defines),
# PREFIX_BYTES, PREFIX_EXPORTED (the names the DLL exports) and
# PREFIX_SYMBOLS (the linker's name of each function: the stdcall decoration
# without the underscore, InfInit@4, on 32-bit; undecorated on 64-bit).
function(qvr_read_export_lists prefix is32)
    set(names)
    set(bytes_list)
    set(exported_list)
    set(symbols)
    foreach(list_file IN LISTS ARGN)
        file(STRINGS ${list_file} lines)
        foreach(line IN LISTS lines)
            string(STRIP "${line}" line)
            if(line STREQUAL "" OR line MATCHES "^#")
                continue()
            endif()
            if(line MATCHES "^([^ ]+) = ([A-Za-z0-9_]+) ([0-9]+)$")
                set(exported "${CMAKE_MATCH_1}")
                set(name "${CMAKE_MATCH_2}")
                set(bytes "${CMAKE_MATCH_3}")
            elseif(line MATCHES "^([A-Za-z0-9_]+) ([0-9]+)$")
                set(name "${CMAKE_MATCH_1}")
                set(bytes "${CMAKE_MATCH_2}")
                set(exported "_${name}@${bytes}")
            else()
                message(FATAL_ERROR "${list_file}: bad export line '${line}'")
            endif()
            list(APPEND names "${name}")
            list(APPEND bytes_list "${bytes}")
            list(APPEND exported_list "${exported}")
            if(is32)
                list(APPEND symbols "${name}@${bytes}")
            else()
                list(APPEND symbols "${name}")
            endif()
        endforeach()
    endforeach()
    set(${prefix}_NAMES "${names}" PARENT_SCOPE)
    set(${prefix}_BYTES "${bytes_list}" PARENT_SCOPE)
    set(${prefix}_EXPORTED "${exported_list}" PARENT_SCOPE)
    set(${prefix}_SYMBOLS "${symbols}" PARENT_SCOPE)
endfunction()

# Writes `text` to `path` only when it changed, so that nothing that depends
# on the file is rebuilt for nothing.
function(qvr_write_if_changed path text)
    file(WRITE ${path}.tmp "${text}")
    file(COPY_FILE ${path}.tmp ${path} ONLY_IF_DIFFERENT)
    file(REMOVE ${path}.tmp)
endfunction()
