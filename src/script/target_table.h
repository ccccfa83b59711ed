// script/target_table.h: the installer's table of destination directories.
// The table hangs off one of the installer's own records (a pointer at byte
// offset 810, not aligned); its layout, and that of its entries, is shared
// with the installer (TargetTable and TargetEntry in qvrdll32.h).
//
// Entries and their text buffers come from the process heap and are never
// freed by the library once made, except that GetTargetBuffer may swap an
// entry's buffer for one of another size: the installer keeps pointers to
// those buffers across table changes.
#pragma once

#include "qvrdll32.h"

#include <windows.h>
#include <cstddef>

#if !defined(_WIN64)
static_assert(sizeof(void*) == 4, "32-bit build expected");
static_assert(sizeof(TargetEntry) == 8 && offsetof(TargetEntry, relation) == 4,
              "TargetEntry layout is shared with the installer");
static_assert(sizeof(TargetTable) == 8 && offsetof(TargetTable, slotCount) == 4,
              "TargetTable layout is shared with the installer");
#endif

namespace qvr {

constexpr size_t kRecordTableOffset = QVR_TARGET_TABLE_OFFSET;
// Text buffer of a new entry: 264 characters and the terminator.
constexpr int kTargetTextSize = 265;
// Slots of a table made with a slot count of 0.
constexpr DWORD kDefaultTargetSlots = 20;
// Longest target name GetTargetIndex reads (its work buffer is 268 bytes).
constexpr int kTargetNameMax = 267;
// Longest text DeepCloneTargets carries (its work buffer is 512 bytes).
constexpr int kCloneTextMax = 511;

// Kinds of target, the high 16 bits of a relation word. Other kinds count
// as absolute.
constexpr WORD TARGET_ABSOLUTE = QVR_TARGET_ABSOLUTE;
constexpr WORD RELATIVE_TO_TARGET = QVR_RELATIVE_TO_TARGET;
constexpr WORD RELATIVE_TO_VARIABLE = QVR_RELATIVE_TO_VARIABLE;

constexpr WORD RelationKind(DWORD relation) {
    return HIWORD(relation);
}
constexpr WORD RelationBase(DWORD relation) {
    return LOWORD(relation);
}

// The record's table pointer (null for a null record).
TargetTable* GetRecordTable(const void* record);
void SetRecordTable(void* record, TargetTable* table);

// The entry of slot `index`; null when out of range or empty.
TargetEntry* GetEntry(const TargetTable* table, int index);

// Stores `text` in slot `index`: into the existing entry's buffer, or into a
// new absolute entry with a 265-byte buffer. 1 stored; 0 for an index out of
// range, a text longer than the buffer (the old text stays) or no memory.
int StoreText(TargetTable* table, int index, const char* text);

// A new table of `slotCount` empty slots (20 for 0); a slot array that cannot
// be allocated gives 0 slots. Null when the table itself cannot be.
TargetTable* CreateTargetTable(DWORD slotCount);
// Frees the slot array and the table, not the entries.
void ReleaseTargetTable(TargetTable* table);

int SetTarget(void* record, int index, const char* value, BOOL nameOnly);
char* GetTarget(const void* record, int index, char* path);
int SetRelativeTarget(void* record, int index, DWORD relation);
DWORD GetRelativeTarget(const void* record, int index);
int GetTargetIndex(const char* name);
int InitTargetBuffers(void* record, DWORD slotCount);
void DeleteTargetBuffers(void* record);
char* GetTargetBuffer(void* record, int index, int minLength);
void DeepCloneTargets(TargetTable* destination, const TargetTable* source);

} // namespace qvr
