// frame/module_state.h: the module-wide state every export shares. All of it
// is zero when the library is loaded, set up once by the entry point, and
// never released at unload. The installer calls in from one thread, one
// export at a time, so nothing here is locked.
#pragma once

#include <windows.h>
#include <cstdint>

class TextFile;

// The current parsed script and disks.inf (locked pointers into movable
// global blocks, or null). Allocated from the heap by InfInit.
struct ScriptContext {
    char* scriptImage;
    char* diskInfImage;
};

// The receiver of the whole-file load and the ranged read. It has no data of
// its own; only its identity travels through SaveFunctions/RestoreFunctions.
struct FileService {
    // Whole-file load (see QVRLoadFile).
    void* LoadFile(LPCSTR path, HGLOBAL* block, DWORD* size);
    // One byte range (see QVRLoadFilePartial).
    BYTE* LoadFilePartial(LPCSTR path, BYTE* buffer, DWORD offset, DWORD length);
};

namespace qvr {

constexpr int kTextFileSlotCount = 5;
constexpr int kSharedTextBufferSize = 512;

// One slot of the text file handle table: handle 0 and object null when free.
struct TextFileSlot {
    uint32_t handle;
    TextFile* object;
};

extern uint32_t initialised;
extern HINSTANCE moduleInstance;
extern TextFileSlot textFileTable[kTextFileSlotCount];
extern ScriptContext* scriptContext;
extern FileService* fileService;
// Non-reentrant: holds the converted script path during InfInit and
// InfInitDiskInf and is the default output of the string loader.
extern char sharedTextBuffer[kSharedTextBufferSize];
extern HWND installerWindow;

// Forgets every text file handle (the objects are not destroyed).
void ClearTextFileTable();

// The entry point's work: initialise once, ignore every later call.
void EntryPoint(HINSTANCE instance);

} // namespace qvr
