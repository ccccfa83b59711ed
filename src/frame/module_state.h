// frame/module_state.h: the frame's module-wide state: the module instance,
// the installer's window, the shared text buffer and the once-only flag. All
// of it is zero when the library is loaded, set up once by the entry point,
// and never released at unload. The installer calls in from one thread, one
// export at a time, so nothing here is locked. (The script context, the file
// service and the text file handles belong to their subsystems.)
#pragma once

#include <windows.h>
#include <cstdint>

namespace qvr {

constexpr int kSharedTextBufferSize = 512;

extern uint32_t initialised;
extern HINSTANCE moduleInstance;
// Non-reentrant: holds the converted script path during InfInit and
// InfInitDiskInf and is the default output of the string loader.
extern char sharedTextBuffer[kSharedTextBufferSize];
extern HWND installerWindow;

// The entry point's work: remembers the instance on the first call (true)
// and ignores every later one (false).
bool FirstEntry(HINSTANCE instance);

} // namespace qvr
