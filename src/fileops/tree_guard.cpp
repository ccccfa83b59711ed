// fileops/tree_guard.cpp
#include "fileops/tree_guard.h"

#include "util/ascii.h"

#include <cstring>

namespace qvr {

namespace {

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool Refuse(DWORD error) {
    SetLastError(error);
    return false;
}

// True when `p` holds nothing but separators and "." components. Only ASCII
// characters are stepped over, so every step lands on a character.
bool OnlySeparatorsAndDots(const char* p) {
    while (*p != '\0') {
        if (IsPathSeparator(*p) || (*p == '.' && (p[1] == '\0' || IsPathSeparator(p[1]))))
            p = CharNextA(p);
        else
            return false;
    }
    return true;
}

// The end of the path component that starts at `p`.
const char* SkipComponent(const char* p) {
    while (*p != '\0' && !IsPathSeparator(*p))
        p = CharNextA(p);
    return p;
}

// Copies `path` into `out` (kResolvedPathSize bytes), upper-cased and without
// trailing separators. False when it does not fit.
bool FoldForCompare(const char* path, char* out) {
    if (lstrlenA(path) >= kResolvedPathSize)
        return false;
    lstrcpyA(out, path);
    CharUpperA(out);
    char* last = GetLastCharPtr(out);
    while (last != out && IsPathSeparator(*last)) {
        *last = '\0';
        last = CharPrevA(out, last);
    }
    return true;
}

// True when either form of `outer` holds either form of `inner`.
bool Holds(const ResolvedPath& outer, const ResolvedPath& inner) {
    return PathContains(outer.full, inner.full) || PathContains(outer.shortForm, inner.shortForm) ||
           PathContains(outer.full, inner.shortForm) || PathContains(outer.shortForm, inner.full);
}

// Writes into `out` the short form of the full path `full`. A path whose
// last levels do not exist yet keeps those levels as they are, after the
// short form of the deepest level that does; a path without any keeps its
// full form.
void MakeShortForm(const char* full, char* out) {
    char work[kResolvedPathSize];
    lstrcpynA(work, full, kResolvedPathSize);
    char* cut = GetStringEnd(work);
    while (!IsRootSpelling(work)) {
        const DWORD length = GetShortPathNameA(work, out, kResolvedPathSize);
        const char* tail = full + (cut - work);
        if (length != 0 && length < static_cast<DWORD>(kResolvedPathSize)) {
            if (lstrlenA(out) + lstrlenA(tail) < kResolvedPathSize) {
                lstrcatA(out, tail);
                return;
            }
            break;
        }
        char* separator = FindLastSeparator(work);
        if (separator == nullptr)
            break;
        *separator = '\0';
        cut = separator;
    }
    lstrcpynA(out, full, kResolvedPathSize);
}

} // namespace

bool IsRootSpelling(const char* path) {
    if (path == nullptr)
        return false;
    if (IsAsciiLetter(path[0]) && path[1] == ':')
        return OnlySeparatorsAndDots(path + 2);
    if (!IsPathSeparator(path[0]))
        return false;
    if (!IsPathSeparator(path[1]))
        return OnlySeparatorsAndDots(path); // the root of the current drive
    // "\\server", "\\server\share": a root when nothing but separators and
    // "." components follow the share's name.
    const char* server = path + 2;
    const char* p = SkipComponent(server);
    if (p == server)
        return true; // no server name at all
    while (IsPathSeparator(*p))
        p = CharNextA(p);
    return OnlySeparatorsAndDots(SkipComponent(p));
}

bool StripDevicePrefix(const char* full, char* plain) {
    const bool device = IsPathSeparator(full[0]) && IsPathSeparator(full[1]) &&
                        (full[2] == '?' || full[2] == '.') && IsPathSeparator(full[3]);
    if (!device) {
        lstrcpynA(plain, full, kResolvedPathSize);
        return true;
    }
    const char* rest = full + 4;
    if (StartsWithNoCaseAscii(rest, "UNC") && IsPathSeparator(rest[3])) {
        // "\\?\UNC\server\share" is "\\server\share": keep one of the two
        // leading separators and the rest after "UNC".
        plain[0] = '\\';
        lstrcpynA(plain + 1, rest + 3, kResolvedPathSize - 1);
        return true;
    }
    if (IsAsciiLetter(rest[0]) && rest[1] == ':' && (rest[2] == '\0' || IsPathSeparator(rest[2]))) {
        lstrcpynA(plain, rest, kResolvedPathSize);
        return true;
    }
    return false;
}

bool PathContains(const char* outer, const char* inner) {
    char o[kResolvedPathSize];
    char i[kResolvedPathSize];
    // What cannot be compared counts as held: the callers refuse then.
    if (!FoldForCompare(outer, o) || !FoldForCompare(inner, i))
        return true;
    const size_t n = std::strlen(o);
    // The bytes up to n are the same in both, so i[n] starts a character.
    return n != 0 && std::strncmp(o, i, n) == 0 && (i[n] == '\0' || IsPathSeparator(i[n]));
}

bool ResolvePath(LPCSTR path, ResolvedPath* resolved) {
    char full[kResolvedPathSize];
    LPSTR namePart = nullptr;
    const DWORD length = GetFullPathNameA(path, sizeof full, full, &namePart);
    if (length == 0)
        return false;
    if (length >= sizeof full)
        return Refuse(ERROR_FILENAME_EXCED_RANGE);
    if (!StripDevicePrefix(full, resolved->full))
        return Refuse(ERROR_ACCESS_DENIED);
    MakeShortForm(resolved->full, resolved->shortForm);
    return true;
}

bool IsAllowedTreeRoot(LPCSTR directory, const LPCSTR* protectedDirs, int protectedCount) {
    // "C:" alone is the current directory of drive C to GetFullPathNameA,
    // but to a script that lost its variable it meant the drive.
    if (IsRootSpelling(directory))
        return Refuse(ERROR_ACCESS_DENIED);
    ResolvedPath candidate;
    if (!ResolvePath(directory, &candidate))
        return false;
    if (IsRootSpelling(candidate.full))
        return Refuse(ERROR_ACCESS_DENIED);
    for (int i = 0; i < protectedCount; ++i) {
        ResolvedPath guarded;
        if (protectedDirs[i] != nullptr && ResolvePath(protectedDirs[i], &guarded) &&
            Holds(candidate, guarded))
            return Refuse(ERROR_ACCESS_DENIED);
    }
    return true;
}

bool IsAllowedTreeRoot(LPCSTR directory) {
    char windows[kPathBufferSize];
    char system[kPathBufferSize];
    const UINT windowsLength = GetWindowsDirectoryA(windows, sizeof windows);
    const UINT systemLength = GetSystemDirectoryA(system, sizeof system);
    const LPCSTR protectedDirs[] = {
        windowsLength != 0 && windowsLength < sizeof windows ? windows : nullptr,
        systemLength != 0 && systemLength < sizeof system ? system : nullptr};
    return IsAllowedTreeRoot(directory, protectedDirs, 2);
}

bool IsAllowedCopyTarget(LPCSTR source, LPCSTR destination) {
    ResolvedPath from;
    ResolvedPath to;
    if (!ResolvePath(source, &from) || !ResolvePath(destination, &to))
        return false;
    if (Holds(from, to))
        return Refuse(ERROR_INVALID_PARAMETER);
    return true;
}

} // namespace qvr
