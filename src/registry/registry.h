// registry/registry.h: keys and values under the predefined roots. Every
// function passes the root to the registry unchanged and returns the
// registry's own error code, except GetRegValue (0, 8 or 13).
#pragma once

#include "qvrdll32.h"

namespace qvr {

// Flags of the block that receives a copy of a value's data: the caller owns
// it and releases it with GlobalUnlock and GlobalFree of GlobalHandle(p).
constexpr UINT kValueCopyFlags = GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE; // 0x2042

// Status of a value search nobody answered, and of one whose copy failed.
constexpr DWORD kValueNotFound = ERROR_INVALID_DATA;        // 13
constexpr DWORD kValueCopyFailed = ERROR_NOT_ENOUGH_MEMORY; // 8

// RegCreateKeyExA with KEY_ALL_ACCESS; the key is closed again at once.
LONG CreateRegKey(HKEY root, LPCSTR subKey, LPSTR keyClass);

// Creates the key, opens it and writes the value. The result is the code of
// creating or opening the key; the write's own result is not reported.
LONG SetRegValue(HKEY root, LPCSTR subKey, LPCSTR valueName, DWORD type, const BYTE* data,
                 DWORD size);

// Walks the subkeys, calling `callback` until it returns 0. Entries that
// cannot be read are skipped. The result is the code of opening and querying
// the key.
LONG EnumRegKeys(HKEY root, LPCSTR subKey, DWORD_PTR context, QVRRegKeyProc callback);

// Walks the values likewise. The data buffer handed to the callback is reused
// for each value and freed at the end.
LONG EnumRegValues(HKEY root, LPCSTR subKey, DWORD_PTR context, QVRRegValueProc callback);

// One step of a value search: when `name` is the name sought, fills `search`
// (copying the data into a new caller-owned block) and returns FALSE to stop
// the walk; TRUE otherwise.
BOOL MatchRegValue(DWORD type, LPCSTR name, const BYTE* data, DWORD size, RegValueSearch* search);

// Reads one value into a caller-owned block: 0 found, 8 the copy could not be
// allocated, 13 no such value (or no such key). The outputs are 0 unless the
// value was found.
DWORD GetRegValue(HKEY root, LPCSTR subKey, LPCSTR valueName, DWORD* type, void** data,
                  DWORD* size);

// RegDeleteKeyA itself.
LONG DeleteRegKey(HKEY root, LPCSTR subKey);

// Opens the key with RegOpenKeyA and deletes the value; the result is the
// code of the open.
LONG DeleteRegValue(HKEY root, LPCSTR subKey, LPCSTR valueName);

} // namespace qvr
