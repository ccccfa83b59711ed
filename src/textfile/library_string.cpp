// textfile/library_string.cpp
#include "textfile/library_string.h"

#include "frame/module_state.h"

namespace qvr {

LPSTR LoadLibraryString(UINT id, LPSTR buffer) {
    if (buffer == nullptr)
        buffer = sharedTextBuffer; // non-reentrant, see module_state.h
    buffer[0] = '\0';
    LoadStringA(moduleInstance, id, buffer, kSharedTextBufferSize - 1);
    return buffer;
}

} // namespace qvr
