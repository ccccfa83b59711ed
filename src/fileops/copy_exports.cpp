// fileops/copy_exports.cpp: copying, deleting and removing files and trees
// for the installer. Each answers 1 when done, 1000 when part of the work
// waits for the next restart (the file was in use), 0 on failure with the
// reason in the last-error value. The removals refuse drive and share roots
// and the system's own directories (fileops/tree_guard.h).
#include "fileops/copy_tree.h"
#include "qvrdll32.h"

// Copies `source` over `destination` (destination first), or puts the
// replacement off to the restart when the destination is in use.
extern "C" int WINAPI QVRCopyFile(LPCSTR destination, LPCSTR source) noexcept {
    return qvr::CopyFileOrDefer(destination, source);
}

// Copies a tree, expanding compressed files to their expanded names; never
// into the source itself.
extern "C" int WINAPI QVRDumpDirectory(LPCSTR sourceDirectory,
                                       LPCSTR destinationDirectory) noexcept {
    return qvr::DumpDirectory(sourceDirectory, destinationDirectory);
}

// Deletes a file now, or schedules its deletion for the restart when it is
// in use.
extern "C" int WINAPI QVRDeleteFile(LPCSTR path) noexcept {
    return qvr::DeleteFileOrDefer(path);
}

// Removes a directory and everything in it; what is in use waits for the
// restart.
extern "C" int WINAPI QVRDelTree(LPCSTR directory) noexcept {
    return qvr::DeleteTree(directory);
}

// NT only: removes a flat temporary directory and its files at the restart.
extern "C" int WINAPI InstRemTempDirNT(LPCSTR directory) noexcept {
    return qvr::RemoveTempDirAtRestartNT(directory);
}

// Removes an empty directory now, or schedules it for the restart.
extern "C" int WINAPI QVRTryRemoveDir(LPCSTR directory) noexcept {
    return qvr::TryRemoveDir(directory);
}
