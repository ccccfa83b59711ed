// dll_main.cpp: the DLL's entry point. The reason code is not examined: the
// first call initialises, every later one does nothing.
#include "frame/module_state.h"
#include "textfile/text_file_table.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reason;
    (void)reserved;
    if (qvr::FirstEntry(instance))
        qvr::ClearTextFileTable();
    return TRUE;
}
