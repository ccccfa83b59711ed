// textfile/text_file_table.h: the text file handle table. The installer
// names a text file object by a handle from 1 to 5, the position of its slot
// in the module-wide table plus one; a handle is given out by the first free
// slot, so destroyed handles come back. The table owns its objects.
#pragma once

#include "textfile/text_file.h"

#include <windows.h>
#include <cstdint>

namespace qvr {

constexpr int kTextFileSlotCount = 5;

// One slot of the text file handle table: handle 0 and object null when free.
struct TextFileSlot {
    uint32_t handle;
    TextFile* object;
};

// The table itself; zero (all free) when the library is loaded.
extern TextFileSlot textFileTable[kTextFileSlotCount];

// Forgets every text file handle (the objects are not destroyed).
void ClearTextFileTable();

// File types of CreateTextFileObject, one class each.
constexpr int kBatchFileType = 1;  // BatchTextFile
constexpr int kConfigFileType = 2; // ConfigTextFile
constexpr int kIniFileType = 4;    // IniTextFile
constexpr int kPlainFileType = 8;  // PlainTextFile

// Makes an object of `type`, opens the file into it and gives it the first
// free slot: its handle, or -1 when no slot is free (nothing is made and
// the file is not read), the type is unknown, memory is out or the file
// cannot be opened (the table is then as it was).
int CreateTextFileObject(LPCSTR fileName, int type, LPCSTR marker1, LPCSTR marker2, LPCSTR marker3,
                         LPCSTR marker4, DWORD ansiCase);
// Destroys the object of a valid handle and frees its slot: 1, else 0.
int DestroyTextFileObject(DWORD handle);
// 1 when the handle names a slot with an object, else 0 (0 for handle 0).
int IsValidTextFile(DWORD handle);
// The object of a valid handle, or null.
TextFile* LookupTextFile(DWORD handle);

} // namespace qvr
