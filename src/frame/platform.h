// frame/platform.h: which Windows the library runs on.
#pragma once

#include <windows.h>

namespace qvr {

// TRUE on the NT platform (VER_PLATFORM_WIN32_NT).
BOOL IsWindowsNT();
// TRUE when GetVersion reports major version 4, or 3.95 (early Windows 95).
BOOL IsVersion4();
// TRUE when incoming script paths are ANSI already (NT, or version 4);
// FALSE when they are OEM and must be converted (older Windows).
BOOL UsesAnsiPaths();

} // namespace qvr
