// fileops/file_io_exports.cpp: whole-file and ranged file access for the
// installer.
#include "fileops/file_io.h"
#include "frame/module_state.h"
#include "qvrdll32.h"

using namespace qvr;

// OpenFile itself: the HFILE, or -1 with the reason in info and GetLastError.
extern "C" HFILE WINAPI QVROpenFile(LPCSTR path, OFSTRUCT* info, UINT style) noexcept {
    if (info == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return HFILE_ERROR;
    }
    return OpenFileRaw(path, info, style);
}

// Reads a whole file into a block that the caller owns.
extern "C" void* WINAPI QVRLoadFile(LPCSTR path, HGLOBAL* block, DWORD* size) noexcept {
    HGLOBAL blockLocal = nullptr;
    DWORD sizeLocal = 0;
    void* image = FileService().LoadFile(path, block ? block : &blockLocal, size ? size : &sizeLocal);
    return image;
}

// Reads one byte range into the caller's buffer or a new block.
extern "C" BYTE* WINAPI QVRLoadFilePartial(LPCSTR path, BYTE* buffer, DWORD offset,
                                           DWORD length) noexcept {
    return FileService().LoadFilePartial(path, buffer, offset, length);
}

// Writes a buffer to a file opened with the caller's OpenFile style.
extern "C" int WINAPI QVRPutFile(LPCSTR path, const void* data, DWORD length, UINT style) noexcept {
    if (data == nullptr && length != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return PutFile(path, data, length, style);
}

// Overwrites bytes in place in an existing file.
extern "C" int WINAPI QVRUpdateFile(LPCSTR path, const void* data, LONG offset,
                                    DWORD length) noexcept {
    if (data == nullptr && length != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return UpdateFile(path, data, offset, length);
}
