// fileops/path_helpers.cpp
#include "fileops/path_helpers.h"

#include <cstring>

namespace qvr {

namespace {

// Non-reentrant: the path being shortened by CreateDirLevels.
char shortenBuffer[kDirWorkBufferSize];

} // namespace

const char* GetStringEnd(const char* s) {
    if (s == nullptr)
        return nullptr;
    const char* p = s;
    while (*p != '\0')
        p = CharNextA(p);
    return p;
}

char* GetStringEnd(char* s) {
    return const_cast<char*>(GetStringEnd(static_cast<const char*>(s)));
}

const char* GetLastCharPtr(const char* s) {
    if (s == nullptr)
        return nullptr;
    return CharPrevA(s, GetStringEnd(s));
}

char* GetLastCharPtr(char* s) {
    return const_cast<char*>(GetLastCharPtr(static_cast<const char*>(s)));
}

int CountPathChars(const char* s) {
    if (s == nullptr)
        return 0;
    int count = 0;
    for (const char* p = s; *p != '\0'; p = CharNextA(p))
        ++count;
    return count;
}

char* AddTrailingBackslash(char* s) {
    if (s == nullptr || *s == '\0')
        return s;
    if (*GetLastCharPtr(s) != '\\')
        lstrcatA(s, "\\");
    return s;
}

char* AppendPathComponent(char* dst, const char* name) {
    if (dst == nullptr || name == nullptr)
        return dst;
    AddTrailingBackslash(dst);
    lstrcatA(dst, name);
    return dst;
}

const char* FindLastSeparator(const char* s) {
    if (s == nullptr || *s == '\0')
        return nullptr;
    // CharPrevA walks forward from `s`, so a trail byte is never met alone.
    const char* p = GetLastCharPtr(s);
    for (;;) {
        if (*p == '\\' || *p == ':')
            return p;
        if (p == s)
            return nullptr;
        p = CharPrevA(s, p);
    }
}

char* FindLastSeparator(char* s) {
    return const_cast<char*>(FindLastSeparator(static_cast<const char*>(s)));
}

char* GetFileNamePart(char* dst, const char* path) {
    if (dst == nullptr)
        return dst;
    if (path == nullptr) {
        *dst = '\0';
        return dst;
    }
    const char* separator = FindLastSeparator(path);
    const char* name = separator != nullptr ? CharNextA(separator) : path;
    // dst may be path itself: the name never lies before dst then.
    std::memmove(dst, name, std::strlen(name) + 1);
    return dst;
}

int IsUNCPath(const char* path) {
    if (path == nullptr || path[0] != '\\' || path[1] != '\\')
        return 0;
    if (path[2] == '\\')
        return 0;
    // A doubled backslash further on makes it something else; stepping by
    // characters keeps a trail byte 0x5C from pairing with a real '\'.
    for (const char* p = path + 2; *p != '\0'; p = CharNextA(p)) {
        if (*p == '\\' && *CharNextA(p) == '\\')
            return 0;
    }
    return 1;
}

int IsServerVolumePath(const char* path) {
    if (path == nullptr)
        return 0;
    const char* p = path;
    while (*p != '\0' && !IsPathSeparator(*p))
        ++p;
    if (*p == '\0')
        return 0;
    // The volume name: at least one character, then its ':' before any
    // further separator.
    const char* volume = p + 1;
    if (*volume == '\0' || IsPathSeparator(*volume) || *volume == ':')
        return 0;
    for (const char* q = volume + 1; *q != '\0'; ++q) {
        if (IsPathSeparator(*q))
            return 0;
        if (*q == ':')
            return 1;
    }
    return 0;
}

int IsNetworkPath(const char* path) {
    return IsUNCPath(path) || IsServerVolumePath(path);
}

int CreateDirLevels(const char* path) {
    if (path == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (lstrlenA(path) >= kDirWorkBufferSize) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return -1;
    }
    char* w = shortenBuffer;
    lstrcpyA(w, path);
    // The stripped components, deepest first; never longer than the path.
    char tail[kDirWorkBufferSize] = "";
    int levels = 0;

    for (;;) {
        char* separator = FindLastSeparator(w);
        if (separator == nullptr)
            return -1;
        // The root of a drive is never cut, nor is a drive or volume name
        // cut at its ':' ("C:DIR" or "SERVER\SYS:DIR" would otherwise become
        // a relative directory "C" or "SERVER\SYS" in the current one).
        if (*separator == ':' || (w[1] == ':' && w[2] == '\\' && separator == w + 2))
            return -1;
        lstrcatA(tail, separator);
        ++levels;
        *separator = '\0';
        if (CreateDirectoryA(w, nullptr))
            break;
    }

    for (; levels > 0; --levels) {
        char* separator = FindLastSeparator(tail);
        lstrcatA(w, separator);
        // A lone separator (from a trailing or doubled backslash) names no
        // level of its own: the directory before it exists by now.
        bool emptyLevel = separator[1] == '\0';
        *separator = '\0';
        if (!emptyLevel && !CreateDirectoryA(w, nullptr))
            return -1;
    }
    return 0;
}

} // namespace qvr
