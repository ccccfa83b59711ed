// fileops/tree_guard.h: the roots the tree operations refuse. A script that
// builds a path from a variable it never set hands over "C:\", "\", "." or
// the Windows directory; removing or copying such a tree would take the drive
// or the system with it. The checks resolve a path the way Windows will when
// the operation runs (GetFullPathNameA in the current directory, short forms
// through GetShortPathNameA) and compare without regard to case.
//
// Aliases that names do not show (links, SUBST drives, mounted folders) are
// not resolved.
#pragma once

#include "fileops/path_helpers.h"

#include <windows.h>

namespace qvr {

// Size of the buffers a resolved path is held in; longer paths are refused
// with ERROR_FILENAME_EXCED_RANGE.
constexpr int kResolvedPathSize = 2 * kPathBufferSize;

// A path as the platform resolves it: its full form, without a "\\?\" or
// "\\.\" prefix ("\\?\UNC\server\share" becomes "\\server\share"), and the
// same with every existing level in its short form.
struct ResolvedPath {
    char full[kResolvedPathSize];
    char shortForm[kResolvedPathSize];
};

// Pure path logic, no file calls:

// True when `path` names a whole drive or share however it is spelled: a
// drive letter and colon ("C:", "C:.", "C:\", "C:/"), a leading separator
// ("\", "/"), or "\\server" and "\\server\share", each followed by nothing
// but separators and "." components.
bool IsRootSpelling(const char* path);

// Writes `full` (an absolute path) into `plain` (kResolvedPathSize bytes)
// without its "\\?\" or "\\.\" prefix. False for any other path in those
// namespaces (devices, Wine's "\\?\unix\"), which are never tree roots.
bool StripDevicePrefix(const char* full, char* plain);

// True when `inner` is the directory `outer` or lies inside it: `outer`
// matches whole leading components of `inner`, case ignored, trailing
// separators ignored.
bool PathContains(const char* outer, const char* inner);

// With file calls:

// Resolves `path` in the current directory. False, with the reason in the
// last-error value, when it cannot be resolved, does not fit
// (ERROR_FILENAME_EXCED_RANGE) or lies in a device namespace
// (ERROR_ACCESS_DENIED).
bool ResolvePath(LPCSTR path, ResolvedPath* resolved);

// Whether a tree operation may start at `directory`, resolved in the current
// directory. Refused (false, ERROR_ACCESS_DENIED): a drive or share root in
// any spelling, any of the `protectedCount` directories of `protectedDirs`,
// and any directory that holds one of them. A path too long to resolve is
// refused with ERROR_FILENAME_EXCED_RANGE.
bool IsAllowedTreeRoot(LPCSTR directory, const LPCSTR* protectedDirs, int protectedCount);

// The same with the Windows directory and the system directory protected.
bool IsAllowedTreeRoot(LPCSTR directory);

// Whether a tree may be copied from `source` to `destination`, both resolved
// in the current directory: false, with ERROR_INVALID_PARAMETER, when the
// destination is the source or lies inside it (the copy would copy itself).
bool IsAllowedCopyTarget(LPCSTR source, LPCSTR destination);

} // namespace qvr
