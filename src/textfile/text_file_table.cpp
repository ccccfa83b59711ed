// textfile/text_file_table.cpp
#include "textfile/text_file_table.h"

#include "textfile/batch_text_file.h"
#include "textfile/config_text_file.h"
#include "textfile/ini_text_file.h"
#include "textfile/line_list.h"
#include "textfile/plain_text_file.h"

#include <cstring>
#include <new>

namespace qvr {

TextFileSlot textFileTable[kTextFileSlotCount];

void ClearTextFileTable() {
    std::memset(textFileTable, 0, sizeof textFileTable);
}

namespace {
template <class T> TextFile* Make() {
    void* memory = AllocateRecord(sizeof(T));
    return memory == nullptr ? nullptr : new (memory) T();
}

// The first slot holding `handle` (a free slot for handle 0), or null.
TextFileSlot* FindSlot(DWORD handle) {
    for (TextFileSlot& slot : textFileTable)
        if (slot.handle == handle)
            return &slot;
    return nullptr;
}

// A new, empty object of the class for `type`, from the text file heap
// (destroyed with delete); null for any other type or when memory is out.
TextFile* NewTextFile(int type) {
    switch (type) {
    case kBatchFileType:
        return Make<BatchTextFile>();
    case kConfigFileType:
        return Make<ConfigTextFile>();
    case kIniFileType:
        return Make<IniTextFile>();
    case kPlainFileType:
        return Make<PlainTextFile>();
    default:
        return nullptr;
    }
}
} // namespace

int CreateTextFileObject(LPCSTR fileName, int type, LPCSTR marker1, LPCSTR marker2, LPCSTR marker3,
                         LPCSTR marker4, DWORD ansiCase) {
    int freeSlot = 0;
    while (freeSlot < kTextFileSlotCount && textFileTable[freeSlot].handle != 0)
        ++freeSlot;
    if (freeSlot == kTextFileSlotCount)
        return -1;

    TextFile* object = NewTextFile(type);
    if (object == nullptr)
        return -1;
    if (object->Open(fileName, marker1, marker2, marker3, marker4, ansiCase) == 0) {
        delete object;
        return -1;
    }
    textFileTable[freeSlot].handle = static_cast<uint32_t>(freeSlot + 1);
    textFileTable[freeSlot].object = object;
    return freeSlot + 1;
}

int IsValidTextFile(DWORD handle) {
    TextFileSlot* slot = FindSlot(handle);
    return slot != nullptr && slot->object != nullptr ? 1 : 0;
}

TextFile* LookupTextFile(DWORD handle) {
    if (handle == 0 || IsValidTextFile(handle) == 0)
        return nullptr;
    return FindSlot(handle)->object;
}

int DestroyTextFileObject(DWORD handle) {
    if (handle == 0 || IsValidTextFile(handle) == 0)
        return 0;
    for (TextFileSlot& slot : textFileTable) {
        if (slot.handle == handle && slot.object != nullptr) {
            delete slot.object;
            slot.handle = 0;
            slot.object = nullptr;
            return 1;
        }
    }
    return 0;
}

} // namespace qvr
