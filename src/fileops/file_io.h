// fileops/file_io.h: whole-file and ranged file access on the OpenFile /
// _lread / _lwrite interface. Images are handed out as locked movable
// global blocks (util/global_memory.h) that the caller then owns.
#pragma once

#include <windows.h>

// The receiver of the whole-file load and the ranged read. It has no data of
// its own; only its identity travels through SaveFunctions/RestoreFunctions.
struct FileService {
    // Whole-file load (see QVRLoadFile).
    void* LoadFile(LPCSTR path, HGLOBAL* block, DWORD* size);
    // One byte range (see QVRLoadFilePartial).
    BYTE* LoadFilePartial(LPCSTR path, BYTE* buffer, DWORD offset, DWORD length);
};

namespace qvr {

// The current file service (made by InfInit with its script context), or null.
FileService* CurrentFileService();
// Makes a new service current; the one that was current is left as it is.
// False when memory is out: none is current then.
bool StartFileService();
// Deletes the current service and makes `next` current.
void ReplaceFileService(FileService* next);

// Largest single _lread/_lwrite of a split transfer.
constexpr UINT kTransferChunk = 0x7FFF;

HFILE OpenFileRaw(LPCSTR path, OFSTRUCT* info, UINT style);
void* LoadWholeFile(LPCSTR path, HGLOBAL* block, DWORD* size);
BYTE* LoadFileRange(LPCSTR path, BYTE* buffer, DWORD offset, DWORD length);
int PutFile(LPCSTR path, const void* data, DWORD length, UINT style);
int UpdateFile(LPCSTR path, const void* data, LONG offset, DWORD length);

// Test hook: records the byte count of every _lwrite that PutFile issues.
// Null turns recording off.
struct WriteLog {
    DWORD sizes[64];
    int count;
};
void SetWriteLog(WriteLog* log);

} // namespace qvr
