// frame/platform.cpp
#include "frame/platform.h"

namespace qvr {

BOOL IsWindowsNT() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info; // 148 bytes
    if (!GetVersionExA(&info))
        return FALSE;
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

BOOL IsVersion4() {
    DWORD v = GetVersion();
    // Low byte: major version. 0x5F03 is 3.95, what early Windows 95 builds report.
    return (v & 0xFF) == 4 || (v & 0xFFFF) == 0x5F03;
}

BOOL UsesAnsiPaths() { return IsWindowsNT() || IsVersion4(); }

} // namespace qvr
