// script/script_load.h: InfInit and InfInitDiskInf behind the exports.
#pragma once

#include <windows.h>

namespace qvr {

// Puts the path into sharedTextBuffer: unchanged when paths are ANSI,
// converted from OEM otherwise. False (buffer untouched) when the path does
// not fit the 512-byte buffer.
bool ConvertIncomingPath(LPCSTR path);

int InitScript(LPCSTR path);
int InitDiskInf(LPCSTR path, LPCSTR sectionPrefix);

} // namespace qvr
