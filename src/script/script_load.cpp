// script/script_load.cpp
#include "script/script_load.h"

#include "frame/module_state.h"
#include "frame/platform.h"
#include "script/script_image.h"

#include <cstring>
#include <new>

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

// lstrlenA(null) answers 0 only by catching the fault inside Windows; a
// null path is checked here instead.
bool PathFits(LPCSTR path) {
    return path == nullptr || lstrlenA(path) < kSharedTextBufferSize;
}

} // namespace

bool ConvertIncomingPath(LPCSTR path) {
    if (!PathFits(path))
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

int InitScript(LPCSTR path) {
    // A path that cannot fit the shared buffer changes nothing at all.
    if (!PathFits(path))
        return 0;
    ClearTextFileTable();
    ConvertIncomingPath(path);

    OFSTRUCT info = {};
    if (sharedTextBuffer[0] == '\0' || OpenFile(sharedTextBuffer, &info, OF_EXIST) == HFILE_ERROR)
        return 0;

    // The pair that was current is not released: a caller that wants it back
    // saved it with SaveFunctions.
    ScriptContext* context = new (std::nothrow) ScriptContext{nullptr, nullptr};
    FileService* service = new (std::nothrow) FileService;
    if (context == nullptr || service == nullptr) {
        delete context;
        delete service;
        scriptContext = nullptr;
        fileService = nullptr;
        return 0;
    }
    scriptContext = context;
    fileService = service;

    WaitCursor cursor;
    context->scriptImage = BuildScriptImage(info.szPathName);
    return context->scriptImage != nullptr ? 1 : 0;
}

int InitDiskInf(LPCSTR path, LPCSTR sectionPrefix) {
    // Without a script context there is nowhere to keep the image.
    if (scriptContext == nullptr || !ConvertIncomingPath(path))
        return 0;

    OFSTRUCT info = {};
    if (sharedTextBuffer[0] == '\0' || OpenFile(sharedTextBuffer, &info, OF_EXIST) == HFILE_ERROR)
        return 0;

    WaitCursor cursor;
    // The old image goes first, even if the new parse then fails.
    ReleaseImage(scriptContext->diskInfImage);
    scriptContext->diskInfImage = nullptr;
    scriptContext->diskInfImage = BuildDiskInfImage(info.szPathName, sectionPrefix);
    return scriptContext->diskInfImage != nullptr ? 1 : 0;
}

} // namespace qvr
