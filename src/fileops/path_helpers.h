// fileops/path_helpers.h: joining and splitting path strings, network path
// tests and creation of every missing directory level. Every helper steps
// through strings with CharNextA/CharPrevA in the active ANSI code page, so
// the trail byte of a double-byte character that equals '\' (0x5C) or ':'
// is never taken for a separator.
//
// Strings are NUL-terminated ANSI text in the caller's buffers; the helpers
// that write (AddTrailingBackslash, AppendPathComponent, GetFileNamePart)
// have no size argument, so the caller's buffer must hold the result. A null
// string is accepted everywhere and treated as absent (see each helper).
#pragma once

#include <windows.h>

namespace qvr {

// The library's own path buffers hold this many bytes (GetShortPathNameA is
// given this size).
constexpr int kPathBufferSize = 264;
// Size of the module-wide work buffers of directory creation.
constexpr int kDirWorkBufferSize = 512;

// '\' or '/': either separates the levels of a path.
inline bool IsPathSeparator(char c) {
    return c == '\\' || c == '/';
}

// The terminator of `s` (s itself when it is empty); null for null.
const char* GetStringEnd(const char* s);
char* GetStringEnd(char* s);

// The last character of `s` (its lead byte for a double-byte character), or
// `s` itself when it is empty; null for null.
const char* GetLastCharPtr(const char* s);
char* GetLastCharPtr(char* s);

// Number of characters (not bytes) in `s`; 0 for an empty or null string.
int CountPathChars(const char* s);

// Appends "\" unless `s` is null, empty or already ends with '\'. Returns s.
char* AddTrailingBackslash(char* s);

// AddTrailingBackslash(dst), then appends `name`. An empty `dst` becomes
// `name` alone. Returns dst; a null dst or name changes nothing.
char* AppendPathComponent(char* dst, const char* name);

// The last '\' or ':' of `s`, searching from the end; null when there is none
// (or `s` is empty or null).
const char* FindLastSeparator(const char* s);
char* FindLastSeparator(char* s);

// Copies into `dst` the part of `path` after its last separator (the whole
// path when it has none). `dst` may be `path` itself. Returns dst; a null
// path gives the empty string, a null dst does nothing.
char* GetFileNamePart(char* dst, const char* path);

// 1 for a path of the form \\server\share (or "\\" alone): two leading
// backslashes, no third, and no doubled backslash further on; else 0.
int IsUNCPath(const char* path);

// 1 for a server-and-volume path such as SERVER\SYS:APPS: after the first
// '/' or '\' comes a volume name of at least one character and then a ':'
// before any further '/' or '\'; else 0. Byte-wise.
int IsServerVolumePath(const char* path);

// IsUNCPath(path) or IsServerVolumePath(path).
int IsNetworkPath(const char* path);

// Creates every missing level of `path`, for when CreateDirectoryA(path)
// alone has failed: shortens the path until an ancestor can be created, then
// creates the stripped levels again, shallowest first. 0 on success, -1 on
// failure with the reason of the last failed CreateDirectoryA in
// GetLastError. Levels made before a failure stay. Non-reentrant: uses a
// module-wide work buffer.
int CreateDirLevels(const char* path);

} // namespace qvr
