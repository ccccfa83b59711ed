// script/script_load.cpp
#include "script/script_load.h"

#include "frame/module_state.h"
#include "frame/platform.h"
#include "script/script_context.h"
#include "script/script_image.h"

#include <cstring>

namespace qvr {

namespace {

// Shows the wait cursor for the life of the object, then the arrow.
class WaitCursor {
  public:
    WaitCursor() { SetCursor(LoadCursorA(nullptr, IDC_WAIT)); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    ~WaitCursor() { SetCursor(LoadCursorA(nullptr, IDC_ARROW)); }
};

} // namespace

// lstrlenA(null) answers 0 only by catching the fault inside Windows; a
// null path is checked here instead.
bool ScriptPathFits(LPCSTR path) {
    return path == nullptr || lstrlenA(path) < kSharedTextBufferSize;
}

bool ConvertIncomingPath(LPCSTR path) {
    if (!ScriptPathFits(path))
        return false;
    if (path == nullptr) {
        sharedTextBuffer[0] = '\0';
        return true;
    }
    DWORD length = static_cast<DWORD>(lstrlenA(path)) + 1;
    if (UsesAnsiPaths())
        std::memcpy(sharedTextBuffer, path, length);
    else
        OemToCharBuffA(path, sharedTextBuffer, length);
    return true;
}

bool FindScriptFile(LPCSTR path, OFSTRUCT* info) {
    return ConvertIncomingPath(path) && sharedTextBuffer[0] != '\0' &&
           OpenFile(sharedTextBuffer, info, OF_EXIST) != HFILE_ERROR;
}

int LoadScriptImage(LPCSTR foundPath) {
    ScriptContext* context = CurrentScriptContext();
    if (context == nullptr)
        return 0;
    WaitCursor cursor;
    context->scriptImage = BuildScriptImage(foundPath);
    return context->scriptImage != nullptr ? 1 : 0;
}

int InitDiskInf(LPCSTR path, LPCSTR sectionPrefix) {
    // Without a script context there is nowhere to keep the image.
    ScriptContext* context = CurrentScriptContext();
    OFSTRUCT info = {};
    if (context == nullptr || !FindScriptFile(path, &info))
        return 0;
    WaitCursor cursor;
    // The old image goes first, even if the new parse then fails.
    ReleaseImage(context->diskInfImage);
    context->diskInfImage = nullptr;
    context->diskInfImage = BuildDiskInfImage(info.szPathName, sectionPrefix);
    return context->diskInfImage != nullptr ? 1 : 0;
}

} // namespace qvr
