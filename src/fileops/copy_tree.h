// fileops/copy_tree.h: copying, deleting and removing files and directory
// trees, and copying a tree while expanding LZ-compressed files. Whatever is
// in use is not touched now but scheduled for the next restart, and the
// operation then answers RESULT_DEFERRED instead of RESULT_DONE.
#pragma once

#include <windows.h>

namespace qvr {

// Results of the operations below.
enum CopyTreeResult : int {
    RESULT_FAILED = 0,
    RESULT_DONE = 1,
    RESULT_DEFERRED = 1000, // part of the work waits for the next restart
};

// 1 when `path` cannot be opened for reading and writing without sharing
// for a reason whose code has any of the bits 0x25 in its low byte (access
// denied, sharing or lock violation, path not found); 0 when it opens or
// fails otherwise (a missing file).
int IsFileInUse(LPCSTR path);

// The short form of `path` in `buffer` (kPathBufferSize bytes), or `path`
// itself when it has none (it does not exist yet, or the answer does not
// fit). Never null for a non-null path.
LPCSTR ShortFormOf(LPCSTR path, char* buffer);

// Copies `source` over `destination`; an in-use destination gets the copy
// under its name with the last byte replaced by '^' and is replaced at the
// next restart.
int CopyFileOrDefer(LPCSTR destination, LPCSTR source);

// Deletes `path` now, or at the next restart when it is in use.
int DeleteFileOrDefer(LPCSTR path);

// DeleteTree, RemoveTempDirAtRestartNT and TryRemoveDir refuse a root that
// IsAllowedTreeRoot refuses (fileops/tree_guard.h: drive and share roots,
// the Windows and system directories and what holds them): 0 with
// ERROR_ACCESS_DENIED, before anything is touched or scheduled.

// Removes `directory` with everything in it. The process's current directory
// is the Windows directory during the call (relative paths are resolved
// there) and restored afterwards.
int DeleteTree(LPCSTR directory);

// Copies the tree `sourceDirectory` into `destinationDirectory`, expanding
// compressed files; they arrive under their expanded names. A destination
// that is the source or lies inside it gives 0 with ERROR_INVALID_PARAMETER
// and nothing is made.
int DumpDirectory(LPCSTR sourceDirectory, LPCSTR destinationDirectory);

// NT only: schedules the files directly in `directory`, then the directory,
// for deletion at the next restart. Non-zero when the directory itself was
// scheduled; 0 on other platforms.
int RemoveTempDirAtRestartNT(LPCSTR directory);

// Removes an empty directory now (1), or schedules it for the next restart
// (1000, whatever the scheduling gave).
int TryRemoveDir(LPCSTR directory);

} // namespace qvr
