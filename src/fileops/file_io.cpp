// fileops/file_io.cpp
#include "fileops/file_io.h"

#include "util/global_memory.h"
#include "util/unique.h"

namespace qvr {

namespace {
WriteLog* writeLog; // test hook only

UINT WriteChunk(HFILE file, const BYTE* data, UINT count) {
    UINT written = _lwrite(file, reinterpret_cast<LPCCH>(data), count);
    if (writeLog != nullptr && writeLog->count < 64)
        writeLog->sizes[writeLog->count++] = count;
    return written;
}

// Closes the file; false when _lclose reports an error.
bool CloseChecked(HFileHandle& file) { return _lclose(file.release()) != HFILE_ERROR; }
} // namespace

void SetWriteLog(WriteLog* log) { writeLog = log; }

HFILE OpenFileRaw(LPCSTR path, OFSTRUCT* info, UINT style) { return OpenFile(path, info, style); }

void* LoadWholeFile(LPCSTR path, HGLOBAL* block, DWORD* size) {
    *block = nullptr;
    OFSTRUCT info = {};
    HFileHandle file(OpenFileRaw(path, &info, OF_READ));
    if (!file)
        return nullptr;

    // Only the low part of the size is used: script and text files are small.
    *size = GetFileSize(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(file.get())), nullptr);
    if (*size == INVALID_FILE_SIZE)
        return nullptr;
    if (*size == 0)
        *size = 1; // an empty file reads as one zero byte

    BYTE* image = static_cast<BYTE*>(AllocGlobalLocked(*size));
    if (image == nullptr)
        return nullptr;
    // One read; a short read leaves the rest of the block zero.
    if (_lread(file.get(), image, *size) == static_cast<UINT>(HFILE_ERROR)) {
        LastErrorGuard keep;
        FreeGlobalLocked(image);
        return nullptr;
    }
    file.reset();
    *block = GlobalHandle(image);
    return image;
}

BYTE* LoadFileRange(LPCSTR path, BYTE* buffer, DWORD offset, DWORD length) {
    OFSTRUCT info = {};
    HFileHandle file(OpenFileRaw(path, &info, OF_READ));
    if (!file)
        return nullptr;

    DWORD fileSize = GetFileSize(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(file.get())), nullptr);
    // The range must end before the file's last byte.
    if (fileSize == 0 || fileSize == INVALID_FILE_SIZE || offset >= fileSize ||
        fileSize - offset <= length)
        return nullptr;

    bool ownBlock = buffer == nullptr;
    if (ownBlock) {
        buffer = static_cast<BYTE*>(AllocGlobalLocked(length));
        if (buffer == nullptr)
            return nullptr;
    }
    _llseek(file.get(), static_cast<LONG>(offset), FILE_BEGIN);

    DWORD done = 0;
    while (done < length) {
        DWORD remaining = length - done;
        UINT chunk = remaining < kTransferChunk ? remaining : kTransferChunk;
        UINT got = _lread(file.get(), buffer + done, chunk);
        if (got == static_cast<UINT>(HFILE_ERROR)) {
            LastErrorGuard keep;
            if (ownBlock)
                FreeGlobalLocked(buffer);
            return nullptr;
        }
        if (got == 0)
            break; // end of file: keep what was read
        done += got;
    }
    return buffer;
}

int PutFile(LPCSTR path, const void* data, DWORD length, UINT style) {
    WORD openStyle = LOWORD(style);
    OFSTRUCT info = {};
    HFileHandle file(OpenFileRaw(path, &info, openStyle));
    if (!file)
        return 0;
    // OF_READWRITE on its own means "append"; combined with any flag it does not.
    if (openStyle == OF_READWRITE)
        _llseek(file.get(), 0, FILE_END);

    const BYTE* bytes = static_cast<const BYTE*>(data);
    DWORD done = 0;
    while (done < length) {
        DWORD remaining = length - done;
        UINT chunk = remaining < kTransferChunk ? remaining : kTransferChunk;
        UINT wrote = WriteChunk(file.get(), bytes + done, chunk);
        if (wrote == 0 || wrote == static_cast<UINT>(HFILE_ERROR))
            return 0;
        done += wrote; // a short write goes on where it stopped
    }
    return CloseChecked(file) ? 1 : 0;
}

int UpdateFile(LPCSTR path, const void* data, LONG offset, DWORD length) {
    OFSTRUCT info = {};
    HFileHandle file(OpenFileRaw(path, &info, OF_READWRITE));
    if (!file)
        return 0;
    // The bytes are overwritten in place: an offset before the start (where
    // the failed seek would leave the write at byte 0) or past the end (where
    // the file would grow by the gap) writes nothing.
    const DWORD size =
        GetFileSize(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(file.get())), nullptr);
    if (offset < 0 || static_cast<DWORD>(offset) > size) {
        SetLastError(offset < 0 ? ERROR_NEGATIVE_SEEK : ERROR_HANDLE_EOF);
        return 0;
    }
    _llseek(file.get(), offset, FILE_BEGIN);
    // _lwrite of 0 bytes would truncate the file at the offset; a zero-length
    // update fails without touching the file.
    if (length == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    UINT wrote = _lwrite(file.get(), static_cast<LPCCH>(data), length);
    if (wrote == 0 || wrote == static_cast<UINT>(HFILE_ERROR))
        return 0;
    return CloseChecked(file) ? 1 : 0;
}

} // namespace qvr

void* FileService::LoadFile(LPCSTR path, HGLOBAL* block, DWORD* size) {
    return qvr::LoadWholeFile(path, block, size);
}

BYTE* FileService::LoadFilePartial(LPCSTR path, BYTE* buffer, DWORD offset, DWORD length) {
    return qvr::LoadFileRange(path, buffer, offset, length);
}
