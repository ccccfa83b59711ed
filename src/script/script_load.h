// script/script_load.h: InfInit and InfInitDiskInf behind the exports.
#pragma once

#include <windows.h>

namespace qvr {

// False when a path cannot fit the 512-byte shared buffer (a null path fits).
bool ScriptPathFits(LPCSTR path);
// Puts the path into sharedTextBuffer: unchanged when paths are ANSI,
// converted from OEM otherwise. False (buffer untouched) when the path does
// not fit.
bool ConvertIncomingPath(LPCSTR path);
// Converts the path and finds the file by the search rules of OpenFile:
// true with its full name in info->szPathName, false when there is no such
// file (or no path).
bool FindScriptFile(LPCSTR path, OFSTRUCT* info);
// Parses the script found at `foundPath` into the current context: 1 when
// the image was built, 0 otherwise (or without a context).
int LoadScriptImage(LPCSTR foundPath);
// Parses the sections of a disks.inf whose names begin with sectionPrefix
// into the current context, replacing its disks.inf image: 1 or 0.
int InitDiskInf(LPCSTR path, LPCSTR sectionPrefix);

} // namespace qvr
