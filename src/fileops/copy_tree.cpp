// fileops/copy_tree.cpp
#include "fileops/copy_tree.h"

#include "fileops/deferred_ops.h"
#include "fileops/directory.h"
#include "fileops/path_helpers.h"
#include "fileops/tree_guard.h"
#include "frame/platform.h"
#include "util/ascii.h"
#include "util/unique.h"

#include <lzexpand.h>

namespace qvr {

namespace {

// Paths joined during a walk ("directory\name") may be longer than the
// 264-byte short-name buffers: the platform, not the library, sets the limit.
// Each level of a recursive walk keeps its own buffers on the stack.
constexpr int kJoinedPathSize = 2 * kPathBufferSize;

// Error codes whose low byte has any of these bits count as "in use":
// ERROR_PATH_NOT_FOUND (3), ERROR_ACCESS_DENIED (5), ERROR_SHARING_VIOLATION
// (32), ERROR_LOCK_VIOLATION (33), but not ERROR_FILE_NOT_FOUND (2).
constexpr DWORD kInUseErrorBits = 0x25;

int Fail(DWORD error) {
    SetLastError(error);
    return RESULT_FAILED;
}

// "directory\name" into `out` (kJoinedPathSize bytes); false, with
// ERROR_FILENAME_EXCED_RANGE, when it does not fit.
bool JoinPath(char* out, LPCSTR directory, LPCSTR name) {
    if (lstrlenA(directory) + 1 + lstrlenA(name) >= kJoinedPathSize) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    lstrcpyA(out, directory);
    AppendPathComponent(out, name);
    return true;
}

// The name of a found entry: its long name, or its short one when the long
// one is empty.
LPCSTR EntryName(const WIN32_FIND_DATAA& data) {
    return data.cFileName[0] != '\0' ? data.cFileName : data.cAlternateFileName;
}

bool IsDotEntry(LPCSTR name) {
    return lstrcmpA(name, ".") == 0 || lstrcmpA(name, "..") == 0;
}

bool IsDirectoryEntry(const WIN32_FIND_DATAA& data) {
    return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Calls visit(name, data) for every entry of `directory` (searched as
// "directory\*.*"), "." and ".." included, until it returns false. Returns
// false when the search found nothing at all (a missing directory, a path
// that is too long). The search handle is closed before returning.
template <class Visit> bool WalkDirectory(LPCSTR directory, Visit visit) {
    char pattern[kJoinedPathSize];
    if (!JoinPath(pattern, directory, "*.*"))
        return false;
    WIN32_FIND_DATAA data;
    FindHandle search(FindFirstFileA(pattern, &data));
    if (!search)
        return false;
    do {
        if (!visit(EntryName(data), data))
            break;
    } while (FindNextFileA(search.get(), &data));
    return true;
}

// Clears the read-only attribute of `directory` so that it can be removed;
// its other attributes stay as they are.
void ClearReadOnly(LPCSTR directory) {
    const DWORD attributes = GetFileAttributesA(directory);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        SetFileAttributesA(directory, attributes & ~FILE_ATTRIBUTE_READONLY);
}

// Schedules the removal of a directory whose contents wait for the restart:
// a pending deletion on NT, a whole-tree or single removal elsewhere.
int ScheduleDirectory(LPCSTR shortForm, BOOL wholeTree) {
    if (IsWindowsNT())
        return ScheduleDeleteAtRestart(shortForm);
    return ScheduleRemoveDirAtRestart(shortForm, wholeTree);
}

// Writes into `out` (kJoinedPathSize bytes) the temporary that a file of
// the expanded name `name` goes through in `directory`: the name with its
// first character (a double-byte character as a whole) replaced by '~'. A
// name that already begins with '~' would be its own temporary, and deleting
// the temporary would delete the copy: it gets '^' there instead.
bool MakeTemporaryPath(char* out, LPCSTR directory, LPCSTR name) {
    char temporaryName[kJoinedPathSize];
    LPCSTR rest = CharNextA(name);
    if (1 + lstrlenA(rest) >= kJoinedPathSize) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    temporaryName[0] = name[0] == '~' ? '^' : '~';
    lstrcpyA(temporaryName + 1, rest);
    return JoinPath(out, directory, temporaryName);
}

// Expands (or copies, when it is not compressed) `source` into the new file
// `destination`. False when either cannot be opened (the platform's reason is
// left in the last-error value) or the expansion fails (ERROR_WRITE_FAULT);
// a partial destination is deleted.
bool ExpandFile(LPCSTR source, LPCSTR destination) {
    OFSTRUCT info = {};
    LzHandle from(LZOpenFileA(const_cast<LPSTR>(source), &info, OF_READ));
    if (!from)
        return false;
    LzHandle to(LZOpenFileA(const_cast<LPSTR>(destination), &info, OF_CREATE));
    if (!to)
        return false;
    if (LZCopy(from.get(), to.get()) < 0) {
        to.reset();
        DeleteFileA(destination);
        SetLastError(ERROR_WRITE_FAULT);
        return false;
    }
    return true;
}

// Copies one file of a tree, expanding it: first into a '~' temporary in the
// destination directory, then to its expanded name there (deferred when that
// file is in use). The temporary is deleted afterwards in every case.
int DumpOneFile(LPCSTR sourceDirectory, LPCSTR destinationDirectory, LPCSTR name) {
    char source[kJoinedPathSize];
    char sourceShort[kPathBufferSize];
    if (!JoinPath(source, sourceDirectory, name))
        return RESULT_FAILED;
    LPCSTR shortSource = ShortFormOf(source, sourceShort);

    // The expanded name comes from the long path, so that long names
    // survive; only its file-name part is used. The buffer starts out holding
    // the name, which it keeps when the file's header cannot be read.
    char expanded[kJoinedPathSize];
    lstrcpyA(expanded, source);
    if (GetExpandedNameA(source, expanded) == LZERROR_BADVALUE)
        return Fail(ERROR_INVALID_PARAMETER);
    GetFileNamePart(expanded, expanded);
    if (expanded[0] == '\0')
        return Fail(ERROR_INVALID_NAME);

    char temporary[kJoinedPathSize];
    char temporaryShort[kPathBufferSize];
    char finalPath[kJoinedPathSize];
    if (!MakeTemporaryPath(temporary, destinationDirectory, expanded) ||
        !JoinPath(finalPath, destinationDirectory, expanded))
        return RESULT_FAILED;
    // The LZ functions open through OFSTRUCT, whose path holds 128 bytes:
    // the temporary is made first, so that it has a short form to go by.
    FileHandle made(CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    made.reset();
    LPCSTR shortTemporary = ShortFormOf(temporary, temporaryShort);

    if (!ExpandFile(shortSource, shortTemporary)) {
        LastErrorGuard keep;
        DeleteFileA(temporary);
        return RESULT_FAILED;
    }
    const int copied = CopyFileOrDefer(finalPath, shortTemporary);
    {
        LastErrorGuard keep;
        DeleteFileOrDefer(shortTemporary);
    }
    return copied;
}

} // namespace

int IsFileInUse(LPCSTR path) {
    FileHandle file(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file)
        return 0;
    return (GetLastError() & 0xFF & kInUseErrorBits) != 0 ? 1 : 0;
}

LPCSTR ShortFormOf(LPCSTR path, char* buffer) {
    LastErrorGuard keep;
    if (GetNonLfnName(path, buffer, kPathBufferSize) && buffer[0] != '\0')
        return buffer;
    return path;
}

int CopyFileOrDefer(LPCSTR destination, LPCSTR source) {
    if (IsEmptyText(destination) || IsEmptyText(source))
        return Fail(ERROR_INVALID_PARAMETER);
    char shortBuffer[kPathBufferSize];
    if (!IsFileInUse(ShortFormOf(destination, shortBuffer)))
        return CopyFileA(source, destination, FALSE) ? RESULT_DONE : RESULT_FAILED;

    // In use: the copy waits beside it under the name ending in '^'.
    char temporary[kJoinedPathSize];
    if (lstrlenA(destination) >= kJoinedPathSize)
        return Fail(ERROR_FILENAME_EXCED_RANGE);
    lstrcpyA(temporary, destination);
    *(GetStringEnd(temporary) - 1) = '^';
    if (!CopyFileA(source, temporary, FALSE))
        return RESULT_FAILED;
    return ScheduleReplaceAtRestart(destination, temporary) ? RESULT_DEFERRED : RESULT_FAILED;
}

int DeleteFileOrDefer(LPCSTR path) {
    if (IsEmptyText(path))
        return Fail(ERROR_INVALID_PARAMETER);
    char shortBuffer[kPathBufferSize];
    LPCSTR shortForm = ShortFormOf(path, shortBuffer);
    if (IsFileInUse(shortForm))
        return ScheduleDeleteAtRestart(shortForm) ? RESULT_DEFERRED : RESULT_FAILED;
    return DeleteFileA(path) ? RESULT_DONE : RESULT_FAILED;
}

namespace {

// The walk of DeleteTree, with the current directory already moved away.
int DeleteTreeHere(LPCSTR directory) {
    // Only read-only stands in the way of the removal; hidden, system and
    // the rest stay as they are.
    ClearReadOnly(directory);

    int result = RESULT_DONE;
    const bool found = WalkDirectory(directory, [&](LPCSTR name, const WIN32_FIND_DATAA& data) {
        if (IsDotEntry(name))
            return true;
        char path[kJoinedPathSize];
        if (!JoinPath(path, directory, name))
            return true; // left in place: the directory's removal fails below
        if (IsDirectoryEntry(data)) {
            // A failure below shows when this directory cannot be removed.
            if (DeleteTreeHere(path) == RESULT_DEFERRED)
                result = RESULT_DEFERRED;
            return true;
        }
        SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
        char shortBuffer[kPathBufferSize];
        if (DeleteFileOrDefer(ShortFormOf(path, shortBuffer)) == RESULT_DEFERRED)
            result = RESULT_DEFERRED;
        return true;
    });
    if (!found)
        return RemoveDirectoryA(directory) ? RESULT_DONE : RESULT_FAILED;

    BOOL removed;
    if (result == RESULT_DEFERRED) {
        char shortBuffer[kPathBufferSize];
        removed = ScheduleDirectory(ShortFormOf(directory, shortBuffer), TRUE);
    } else {
        removed = RemoveDirectoryA(directory);
    }
    return removed ? result : RESULT_FAILED;
}

} // namespace

int DeleteTree(LPCSTR directory) {
    // An empty path would walk the current directory, which is about to be
    // the Windows directory.
    if (IsEmptyText(directory))
        return Fail(ERROR_INVALID_PARAMETER);

    // Stand in the Windows directory, so that the tree being removed is not
    // the current directory (which cannot be removed). Without a way back
    // (a current directory too long to keep) the current directory stays.
    char saved[kPathBufferSize];
    const DWORD savedLength = GetCurrentDirectoryA(sizeof saved, saved);
    if (savedLength == 0 || savedLength >= sizeof saved) {
        saved[0] = '\0';
    } else {
        char windows[kPathBufferSize];
        const UINT windowsLength = GetWindowsDirectoryA(windows, sizeof windows);
        if (windowsLength != 0 && windowsLength < sizeof windows)
            SetCurrentDirectoryA(windows);
    }

    // The root is judged where the walk will resolve it: "." and relative
    // paths now name the Windows directory or lie inside it.
    const int result = IsAllowedTreeRoot(directory) ? DeleteTreeHere(directory) : RESULT_FAILED;

    if (saved[0] != '\0') {
        LastErrorGuard keep;
        SetCurrentDirectoryA(saved);
    }
    return result;
}

namespace {

// The walk of DumpDirectory, once the destination is known to lie outside
// the source.
int DumpTree(LPCSTR sourceDirectory, LPCSTR destinationDirectory) {
    // An existing directory is fine; a missing parent makes the copies fail.
    CreateDirectoryA(destinationDirectory, nullptr);

    // The source tree is only read: its attributes are not changed.
    int result = RESULT_DONE;
    WalkDirectory(sourceDirectory, [&](LPCSTR name, const WIN32_FIND_DATAA& data) {
        if (IsDotEntry(name))
            return true;
        int step;
        if (IsDirectoryEntry(data)) {
            char from[kJoinedPathSize];
            char to[kJoinedPathSize];
            if (!JoinPath(from, sourceDirectory, name) || !JoinPath(to, destinationDirectory, name))
                step = RESULT_FAILED;
            else
                step = DumpTree(from, to);
        } else {
            step = DumpOneFile(sourceDirectory, destinationDirectory, name);
        }
        if (step == RESULT_FAILED) {
            result = RESULT_FAILED;
            return false; // the first failure ends the walk
        }
        if (step == RESULT_DEFERRED)
            result = RESULT_DEFERRED;
        return true;
    });
    return result;
}

} // namespace

int DumpDirectory(LPCSTR sourceDirectory, LPCSTR destinationDirectory) {
    if (IsEmptyText(sourceDirectory) || IsEmptyText(destinationDirectory))
        return Fail(ERROR_INVALID_PARAMETER);
    // A destination inside the source would be walked as part of the source
    // and copied into itself, level after level.
    if (!IsAllowedCopyTarget(sourceDirectory, destinationDirectory))
        return RESULT_FAILED;
    return DumpTree(sourceDirectory, destinationDirectory);
}

int RemoveTempDirAtRestartNT(LPCSTR directory) {
    if (IsEmptyText(directory))
        return Fail(ERROR_INVALID_PARAMETER);
    // Refused on every platform, so that the answer does not depend on it.
    if (!IsAllowedTreeRoot(directory))
        return RESULT_FAILED;
    if (!IsWindowsNT())
        return 0;
    ClearReadOnly(directory);
    WalkDirectory(directory, [&](LPCSTR name, const WIN32_FIND_DATAA& data) {
        if (IsDirectoryEntry(data))
            return true; // subdirectories (and "." and "..") are not descended into
        char path[kJoinedPathSize];
        if (JoinPath(path, directory, name)) {
            SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
            ScheduleDeleteAtRestartNT(path);
        }
        return true;
    });
    return ScheduleDeleteAtRestartNT(directory);
}

int TryRemoveDir(LPCSTR directory) {
    // An empty path names no directory: nothing is scheduled for it.
    if (IsEmptyText(directory))
        return Fail(ERROR_INVALID_PARAMETER);
    if (!IsAllowedTreeRoot(directory))
        return RESULT_FAILED;
    if (RemoveDirectoryA(directory))
        return RESULT_DONE;
    char shortBuffer[kPathBufferSize];
    ScheduleDirectory(ShortFormOf(directory, shortBuffer), FALSE);
    return RESULT_DEFERRED;
}

} // namespace qvr
