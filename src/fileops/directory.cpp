// fileops/directory.cpp
#include "fileops/directory.h"

#include "fileops/path_helpers.h"
#include "util/ascii.h"
#include "util/counted_string.h"

#include <cstdint>

namespace qvr {

namespace {

// Non-reentrant: the path being created by CreateDir.
char createBuffer[kDirWorkBufferSize];
// Non-reentrant: the root handed to GetDriveTypeA; the letter is replaced.
char driveRoot[] = "x:\\";

BOOL MakeDirectory(LPCSTR path) {
    return CreateDirectoryA(path, nullptr);
}

} // namespace

BOOL IsValidDir(LPCSTR path) {
    if (path == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    BOOL entered = FALSE;
    DWORD reason = 0;
    {
        CountedString saved(kDirWorkBufferSize);
        const DWORD savedLength = GetCurrentDirectoryA(kDirWorkBufferSize - 1, saved.GetBuffer());
        // Without the way back the current directory is not touched at all.
        if (savedLength == 0)
            return FALSE;
        if (savedLength >= kDirWorkBufferSize - 1) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return FALSE;
        }
        entered = SetCurrentDirectoryA(path);
        reason = GetLastError();
        SetCurrentDirectoryA(saved.GetString());
    }
    // Going back and releasing the saved path must not hide why entering
    // failed.
    SetLastError(reason);
    return entered;
}

int CreateDir(HWND window, LPCSTR path) {
    // Nothing to create, and nothing to ask the window about.
    if (path == nullptr || *path == '\0') {
        SetLastError(path == nullptr ? ERROR_INVALID_PARAMETER : ERROR_PATH_NOT_FOUND);
        return CREATE_DIR_FAILED;
    }

    if (IsNetworkPath(path)) {
        if (IsValidDir(path) || MakeDirectory(path) || CreateDirLevels(path) == 0)
            return CREATE_DIR_DONE;
        return CREATE_DIR_FAILED;
    }

    if (lstrlenA(path) >= kDirWorkBufferSize) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return CREATE_DIR_FAILED;
    }
    char* work = createBuffer;
    lstrcpyA(work, path);

    // The window sees the drive letter, upper-cased for a to z only, in a
    // 32-bit cell it may overwrite. Only 8 means anything (a veto, for a path
    // with a drive); any other answer lets the creation go on.
    int32_t drive = static_cast<unsigned char>(UpperAscii(work[0]));
    if (window != nullptr) {
        SendMessageA(window, WM_COMMAND, DRIVE_VETO_COMMAND, reinterpret_cast<LPARAM>(&drive));
        if (work[1] == ':' && drive == static_cast<int32_t>(DRIVE_VETOED))
            return CREATE_DIR_VETOED;
    }

    // The root of a drive ("C:\") is never created, only classified.
    if (CountPathChars(work) == 3 && work[1] == ':') {
        driveRoot[0] = work[0];
        return GetDriveTypeA(driveRoot) == DRIVE_UNKNOWN ? CREATE_DIR_FAILED
                                                         : CREATE_DIR_DRIVE_ROOT;
    }

    if (IsValidDir(work) || MakeDirectory(work) || CreateDirLevels(work) == 0)
        return CREATE_DIR_DONE;
    return CREATE_DIR_FAILED;
}

BOOL GetNonLfnName(LPCSTR path, LPSTR buffer, DWORD size) {
    if (path == nullptr || (buffer == nullptr && size != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const DWORD length = GetShortPathNameA(path, buffer, size);
    if (length == 0)
        return FALSE;
    // Too small: the answer is the size it would need and the buffer holds
    // nothing usable, so it is left as the empty string.
    if (length >= size && size != 0)
        buffer[0] = '\0';
    return TRUE;
}

} // namespace qvr
