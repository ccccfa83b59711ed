# Makes a Microsoft-format import library from the stub source that
# make-import-sources.cmake writes: the stub is compiled for Microsoft's ABI
# and linked into a DLL whose export table lld-link copies into /implib; the
# stub DLL and its object are deleted at once so that nothing ships them.
# cmake -DSTUB=stub.cpp -DOUT=qvrdll32.lib -DCLANGXX=... -DLLD_LINK=...
#       -P make-msvc-import-library.cmake
get_filename_component(work ${STUB} DIRECTORY)
set(object ${work}/qvrdll32_stub.obj)
set(dll ${work}/qvrdll32.dll)
execute_process(
    COMMAND ${CLANGXX} --target=i686-pc-windows-msvc -c ${STUB} -o ${object}
    COMMAND_ERROR_IS_FATAL ANY)
execute_process(
    COMMAND ${LLD_LINK} /nologo /dll /noentry /nodefaultlib /machine:x86 /out:${dll}
            /implib:${OUT} ${object}
    COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE ${dll} ${object})
