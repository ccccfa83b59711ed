// script/target_table.cpp
#include "script/target_table.h"

#include "fileops/path_helpers.h"
#include "frame/module_state.h"
#include "resources/resource_ids.h"
#include "util/counted_string.h"

#include <climits>
#include <cstdint>
#include <cstring>

namespace qvr {

namespace {

void* HeapNew(size_t bytes) {
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes);
}
void HeapDelete(void* p) {
    if (p != nullptr)
        HeapFree(GetProcessHeap(), 0, p);
}

// Bytes the entry's text buffer holds. Buffers come from the process heap,
// which knows each block's requested size.
size_t BufferSize(const TargetEntry* entry) {
    SIZE_T size = HeapSize(GetProcessHeap(), 0, entry->text);
    return size == static_cast<SIZE_T>(-1) ? 0 : size;
}

bool Fits(const char* text, size_t bufferSize) {
    return std::strlen(text) < bufferSize;
}

TargetEntry* NewEntry(const char* text) {
    auto* entry = static_cast<TargetEntry*>(HeapNew(sizeof(TargetEntry)));
    if (entry == nullptr)
        return nullptr;
    entry->text = static_cast<char*>(HeapNew(kTargetTextSize));
    if (entry->text == nullptr) {
        HeapDelete(entry);
        return nullptr;
    }
    std::strcpy(entry->text, text);
    entry->relation = 0;
    return entry;
}

bool IsWhiteSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// A decimal number the way atol reads one: white space, an optional sign,
// digits up to the first non-digit; saturated at the 32-bit limits.
int32_t ReadDecimal(const char* s) {
    while (IsWhiteSpace(*s))
        ++s;
    bool negative = false;
    if (*s == '+' || *s == '-')
        negative = *s++ == '-';
    int64_t value = 0;
    for (; *s >= '0' && *s <= '9'; ++s) {
        value = value * 10 + (*s - '0');
        if (value > static_cast<int64_t>(INT32_MAX) + 1)
            value = static_cast<int64_t>(INT32_MAX) + 1;
    }
    if (negative)
        return static_cast<int32_t>(-value);
    return value > INT32_MAX ? INT32_MAX : static_cast<int32_t>(value);
}

void ShowRelativeToVariableError() {
    char text[kPathBufferSize] = "";
    char caption[kPathBufferSize] = "";
    LoadStringA(moduleInstance, IDS_RELATIVE_TARGET_ERROR, text, kPathBufferSize);
    LoadStringA(moduleInstance, IDS_GET_TARGET_CAPTION, caption, kPathBufferSize);
    MessageBoxA(nullptr, text, caption, MB_OK);
}

} // namespace

TargetTable* GetRecordTable(const void* record) {
    if (record == nullptr)
        return nullptr;
    TargetTable* table;
    std::memcpy(&table, static_cast<const char*>(record) + kRecordTableOffset, sizeof table);
    return table;
}

void SetRecordTable(void* record, TargetTable* table) {
    std::memcpy(static_cast<char*>(record) + kRecordTableOffset, &table, sizeof table);
}

TargetEntry* GetEntry(const TargetTable* table, int index) {
    if (table == nullptr || table->slots == nullptr || index < 0 || index >= table->slotCount)
        return nullptr;
    return table->slots[index];
}

int StoreText(TargetTable* table, int index, const char* text) {
    if (table == nullptr || index < 0)
        return 0;
    if (TargetEntry* entry = GetEntry(table, index)) {
        // Nothing is cut: a text too long for the buffer is refused.
        if (!Fits(text, BufferSize(entry)))
            return 0;
        std::strcpy(entry->text, text);
        return 1;
    }
    if (index >= table->slotCount || !Fits(text, kTargetTextSize))
        return 0;
    TargetEntry* entry = NewEntry(text);
    if (entry == nullptr)
        return 0;
    table->slots[index] = entry;
    return 1;
}

TargetTable* CreateTargetTable(DWORD slotCount) {
    auto* table = static_cast<TargetTable*>(HeapNew(sizeof(TargetTable)));
    if (table == nullptr)
        return nullptr;
    if (slotCount == 0)
        slotCount = kDefaultTargetSlots;
    // More slots than a signed count holds cannot be allocated anyway.
    if (slotCount <= static_cast<DWORD>(INT32_MAX) / sizeof(TargetEntry*))
        table->slots = static_cast<TargetEntry**>(HeapNew(slotCount * sizeof(TargetEntry*)));
    table->slotCount = table->slots != nullptr ? static_cast<LONG>(slotCount) : 0;
    return table;
}

void ReleaseTargetTable(TargetTable* table) {
    if (table == nullptr)
        return;
    HeapDelete(table->slots);
    HeapDelete(table);
}

int SetTarget(void* record, int index, const char* value, BOOL nameOnly) {
    TargetTable* table = GetRecordTable(record);
    if (table == nullptr || value == nullptr || index < 0)
        return 0;
    if (!Fits(value, kTargetTextSize))
        return 0;
    char work[kTargetTextSize];
    lstrcpyA(work, value);

    TargetEntry* entry = GetEntry(table, index);
    const bool relative = entry != nullptr && RelationKind(entry->relation) != TARGET_ABSOLUTE;
    if (relative && nameOnly) {
        // A relative target keeps only the value's last component.
        if (const char* separator = FindLastSeparator(work)) {
            const char* name = CharNextA(separator);
            std::memmove(work, name, std::strlen(name) + 1);
        }
    }
    if (!StoreText(table, index, work))
        return 0;
    // The whole value makes a relative target absolute; the old base index
    // stays in the low bits.
    if (relative && !nameOnly)
        entry->relation = RelationBase(entry->relation);
    return 1;
}

char* GetTarget(const void* record, int index, char* path) {
    const TargetTable* table = GetRecordTable(record);
    if (table == nullptr || path == nullptr || index < 0)
        return nullptr;
    path[0] = '\0';
    const TargetEntry* entry = GetEntry(table, index);
    if (entry == nullptr)
        return path;
    switch (RelationKind(entry->relation)) {
    case RELATIVE_TO_TARGET:
        // The base is not expanded further: a relative base gives only its
        // own component.
        if (const TargetEntry* base = GetEntry(table, RelationBase(entry->relation)))
            lstrcpyA(path, base->text);
        break;
    case RELATIVE_TO_VARIABLE:
        ShowRelativeToVariableError();
        break;
    default:
        break;
    }
    return AppendPathComponent(path, entry->text);
}

int SetRelativeTarget(void* record, int index, DWORD relation) {
    TargetTable* table = GetRecordTable(record);
    if (table == nullptr)
        return 0;
    if (index < 0)
        return index;
    TargetEntry* entry = GetEntry(table, index);
    if (entry == nullptr)
        return 0;
    entry->relation = relation;
    return 1;
}

DWORD GetRelativeTarget(const void* record, int index) {
    const TargetEntry* entry = GetEntry(GetRecordTable(record), index);
    return entry != nullptr ? entry->relation : 0xFFFFFFFF;
}

int GetTargetIndex(const char* name) {
    if (name == nullptr)
        return -1;
    // Longer than the 268-byte work buffer holds: not a target name.
    const size_t length = std::strlen(name);
    if (length > static_cast<size_t>(kTargetNameMax))
        return -1;
    if (std::strncmp(name, "TARGET", 6) != 0)
        return -1;
    if (name[6] == '\0')
        return 0;
    const int32_t number = ReadDecimal(name + 6);
    return number == 0 ? -1 : static_cast<int>(number);
}

int InitTargetBuffers(void* record, DWORD slotCount) {
    if (record == nullptr)
        return 0;
    DeleteTargetBuffers(record);
    TargetTable* table = CreateTargetTable(slotCount);
    SetRecordTable(record, table);
    return table != nullptr ? 1 : 0;
}

void DeleteTargetBuffers(void* record) {
    TargetTable* table = GetRecordTable(record);
    if (table == nullptr)
        return;
    ReleaseTargetTable(table);
    SetRecordTable(record, nullptr);
}

char* GetTargetBuffer(void* record, int index, int minLength) {
    TargetTable* table = GetRecordTable(record);
    if (table == nullptr || index < 0 || index >= table->slotCount)
        return nullptr;
    if (GetEntry(table, index) == nullptr && !StoreText(table, index, ""))
        return nullptr;
    TargetEntry* entry = GetEntry(table, index);
    const size_t wanted = minLength < 0 ? 0 : static_cast<size_t>(minLength);
    // The test is on the text, not the buffer: a short text asked for less
    // than its buffer holds gets a new, smaller buffer.
    const size_t length = std::strlen(entry->text);
    if (length >= wanted)
        return entry->text;
    auto* text = static_cast<char*>(HeapNew(wanted + 1));
    if (text == nullptr)
        return nullptr;
    std::memcpy(text, entry->text, length + 1);
    HeapDelete(entry->text);
    entry->text = text;
    return text;
}

void DeepCloneTargets(TargetTable* destination, const TargetTable* source) {
    if (destination == nullptr || source == nullptr)
        return;
    CountedString work(kCloneTextMax + 1);
    for (int index = 0; index < source->slotCount; ++index) {
        const TargetEntry* from = GetEntry(source, index);
        if (from == nullptr || !Fits(from->text, kCloneTextMax + 1))
            continue;
        std::strcpy(work.GetBuffer(), from->text);
        // A refused store leaves the destination slot as it was.
        if (StoreText(destination, index, work.GetString()))
            GetEntry(destination, index)->relation = from->relation;
    }
}

} // namespace qvr
