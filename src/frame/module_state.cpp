// frame/module_state.cpp
#include "frame/module_state.h"

namespace qvr {

uint32_t initialised;
HINSTANCE moduleInstance;
char sharedTextBuffer[kSharedTextBufferSize];
HWND installerWindow;

bool FirstEntry(HINSTANCE instance) {
    // Only the first call (the process attach) does anything; thread attach
    // and detach and the process detach leave the state as it is.
    if (initialised)
        return false;
    initialised = 1;
    moduleInstance = instance;
    return true;
}

} // namespace qvr
