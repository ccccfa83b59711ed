// fileops/directory.h: directory creation with the installer window's drive
// veto, the directory test that leaves the current directory alone, and the
// short-name lookup the copy and delete operations use.
#pragma once

#include <windows.h>

namespace qvr {

// wParam of the WM_COMMAND that asks the installer window about a drive;
// lParam points at a 32-bit cell holding the upper-case drive letter.
constexpr WPARAM DRIVE_VETO_COMMAND = 507;
// What the window writes into that cell to veto the drive.
constexpr DWORD DRIVE_VETOED = 8;

// Results of CreateDir.
enum CreateDirResult : int {
    CREATE_DIR_DONE = 0,       // exists or was created
    CREATE_DIR_VETOED = 1,     // the window vetoed the drive
    CREATE_DIR_FAILED = 2,     // could not be created, or unknown drive type
    CREATE_DIR_DRIVE_ROOT = 3, // the root of a known drive
};

// Makes sure the directory `path` exists, creating every missing level.
// `window` (may be null) is asked about the drive first. The reason of a
// failure is in GetLastError. Non-reentrant: module-wide work buffers.
int CreateDir(HWND window, LPCSTR path);

// Non-zero when `path` is a directory that can be made current. The
// process's current directory is the same afterwards.
BOOL IsValidDir(LPCSTR path);

// GetShortPathNameA into `buffer`: TRUE when it answered with a length
// (also when the buffer was too small for it; `buffer` then holds the empty
// string), FALSE for a missing path.
BOOL GetNonLfnName(LPCSTR path, LPSTR buffer, DWORD size);

} // namespace qvr
