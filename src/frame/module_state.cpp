// frame/module_state.cpp
#include "frame/module_state.h"

#include <cstring>

namespace qvr {

uint32_t initialised;
HINSTANCE moduleInstance;
TextFileSlot textFileTable[kTextFileSlotCount];
ScriptContext* scriptContext;
FileService* fileService;
char sharedTextBuffer[kSharedTextBufferSize];
HWND installerWindow;

void ClearTextFileTable() { std::memset(textFileTable, 0, sizeof textFileTable); }

void EntryPoint(HINSTANCE instance) {
    // Only the first call (the process attach) does anything; thread attach
    // and detach and the process detach leave the state as it is.
    if (initialised)
        return;
    ClearTextFileTable();
    initialised = 1;
    moduleInstance = instance;
}

} // namespace qvr
