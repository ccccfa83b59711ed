// fileops/directory_exports.cpp: directories, attributes, names, volumes and
// file searches for the installer. Null strings and output pointers are
// refused with ERROR_INVALID_PARAMETER instead of reaching the platform.
#include "fileops/directory.h"

#include "fileops/path_helpers.h"
#include "qvrdll32.h"
#include "util/ascii.h"

namespace {

template <class T> T InvalidParameter(T result) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return result;
}

} // namespace

// Makes sure a directory exists: 0 done, 1 drive vetoed by `window`, 2 not
// possible, 3 the root of a known drive.
extern "C" int WINAPI QVRCreateDir(HWND window, LPCSTR path) noexcept {
    return qvr::CreateDir(window, path);
}

// Non-zero when the directory exists and can be entered.
extern "C" BOOL WINAPI QVRIsValidDir(LPCSTR path) noexcept {
    return qvr::IsValidDir(path);
}

// 1 for a \\server\share path, else 0.
extern "C" int WINAPI IsUNCPath(LPCSTR path) noexcept {
    return qvr::IsUNCPath(path);
}

// Long file names are always available.
extern "C" int WINAPI QVRSystemSupportsLFN() noexcept {
    return 1;
}

// The low 16 bits of a volume's file system flags, longest name component
// and serial number; all three 0 when the volume cannot be asked.
extern "C" BOOL WINAPI QVRGetLFNVolumeInfo(LPCSTR root, WORD* flags, WORD* maxComponentLength,
                                           WORD* serial) noexcept {
    DWORD serialNumber = 0;
    DWORD maximumComponentLength = 0;
    DWORD fileSystemFlags = 0;
    BOOL ok = GetVolumeInformationA(root, nullptr, 0, &serialNumber, &maximumComponentLength,
                                    &fileSystemFlags, nullptr, 0);
    if (!ok)
        serialNumber = maximumComponentLength = fileSystemFlags = 0;
    if (flags != nullptr)
        *flags = LOWORD(fileSystemFlags);
    if (maxComponentLength != nullptr)
        *maxComponentLength = LOWORD(maximumComponentLength);
    if (serial != nullptr)
        *serial = LOWORD(serialNumber);
    return ok;
}

// Makes `path` the current directory.
extern "C" BOOL WINAPI QVRChangeDirectory(LPCSTR path) noexcept {
    if (path == nullptr)
        return InvalidParameter<BOOL>(FALSE);
    return SetCurrentDirectoryA(path);
}

// The current directory into `buffer`: 1, or 0 when it cannot be read. A
// buffer too small for it is left holding the empty string (result 1).
extern "C" int WINAPI QVRGetCurrentDirectory(int, LPSTR buffer, DWORD size) noexcept {
    if (buffer == nullptr && size != 0)
        return InvalidParameter(0);
    const DWORD length = GetCurrentDirectoryA(size, buffer);
    if (length == 0)
        return 0;
    if (length >= size && size != 0)
        buffer[0] = '\0';
    return 1;
}

// Creates one directory (its parent must exist).
extern "C" BOOL WINAPI QVRMakeDirectory(LPCSTR path) noexcept {
    if (path == nullptr)
        return InvalidParameter<BOOL>(FALSE);
    return CreateDirectoryA(path, nullptr);
}

// Sets (`set` non-zero) or reads a file's attributes through `attributes`.
// Reading a missing file gives 0 and leaves 0xFFFFFFFF in *attributes.
extern "C" BOOL WINAPI QVRGetSetFileAttributes(BOOL set, LPCSTR path, DWORD* attributes) noexcept {
    if (path == nullptr || attributes == nullptr)
        return InvalidParameter<BOOL>(FALSE);
    if (set)
        return SetFileAttributesA(path, *attributes);
    *attributes = GetFileAttributesA(path);
    return *attributes != INVALID_FILE_ATTRIBUTES;
}

// Renames or moves a file or directory; 0 for a null or empty name.
extern "C" BOOL WINAPI QVRRenameFile(LPCSTR from, LPCSTR to) noexcept {
    if (qvr::IsEmptyText(from) || qvr::IsEmptyText(to))
        return InvalidParameter<BOOL>(FALSE);
    return MoveFileA(from, to);
}

// Removes an empty directory; 0 for a null or empty path.
extern "C" BOOL WINAPI QVRRemoveDirectory(LPCSTR path) noexcept {
    if (qvr::IsEmptyText(path))
        return InvalidParameter<BOOL>(FALSE);
    return RemoveDirectoryA(path);
}

// The short (8.3) form of an existing path: 1, or 0 when it does not exist.
extern "C" int WINAPI QVRGetNonLFNName(LPCSTR path, LPSTR buffer, DWORD size) noexcept {
    return qvr::GetNonLfnName(path, buffer, size) ? 1 : 0;
}

// Long names are never looked up: always 0.
extern "C" int WINAPI QVRGetLFNName(DWORD, DWORD, DWORD) noexcept {
    return 0;
}

// Starts a file search: its handle, or null (never INVALID_HANDLE_VALUE).
extern "C" HANDLE WINAPI QVRFindFirstFile(LPCSTR pattern, DWORD, WIN32_FIND_DATAA* data) noexcept {
    if (pattern == nullptr || data == nullptr)
        return InvalidParameter<HANDLE>(nullptr);
    HANDLE search = FindFirstFileA(pattern, data);
    return search == INVALID_HANDLE_VALUE ? nullptr : search;
}

// The next entry of a search.
extern "C" BOOL WINAPI QVRFindNextFile(HANDLE search, WIN32_FIND_DATAA* data) noexcept {
    if (search == nullptr || data == nullptr)
        return InvalidParameter<BOOL>(FALSE);
    return FindNextFileA(search, data);
}

// Ends a search; a null handle is a harmless 1.
extern "C" BOOL WINAPI QVRFindClose(HANDLE search) noexcept {
    if (search == nullptr)
        return TRUE;
    return FindClose(search);
}
