// script/target_exports.cpp: the installer's target table. Every function
// that takes a record answers 0, -1 or null for a null record or a record
// without a table.
#include "qvrdll32.h"
#include "script/target_table.h"

// Sets a target's text (only its last component for a relative target with
// nameOnly set).
extern "C" int WINAPI SetTarget(void* record, int index, LPCSTR value, BOOL nameOnly) noexcept {
    return qvr::SetTarget(record, index, value, nameOnly);
}

// A target's full path, joined to its base target's text when relative.
extern "C" char* WINAPI GetTarget(void* record, int index, char* path) noexcept {
    return qvr::GetTarget(record, index, path);
}

// Makes an existing target relative (or absolute again) by its relation word.
extern "C" int WINAPI SetRelativeTarget(void* record, int index, DWORD relation) noexcept {
    return qvr::SetRelativeTarget(record, index, relation);
}

// A target's relation word, or -1.
extern "C" DWORD WINAPI GetRelativeTarget(void* record, int index) noexcept {
    return qvr::GetRelativeTarget(record, index);
}

// The index a target name stands for, or -1.
extern "C" int WINAPI GetTargetIndex(LPCSTR name) noexcept {
    return qvr::GetTargetIndex(name);
}

// Gives the record a new, empty target table.
extern "C" int WINAPI InitTargetBuffers(void* record, DWORD slotCount) noexcept {
    return qvr::InitTargetBuffers(record, slotCount);
}

// Drops the record's target table (the target texts stay allocated).
extern "C" void WINAPI DeleteTargetBuffers(void* record) noexcept {
    qvr::DeleteTargetBuffers(record);
}

// A target's text is a path: a buffer of more than this many characters is
// never needed, and asking for one is refused instead of taken from the heap.
constexpr int kTargetBufferMax = 0xFFFF;

// A buffer the installer writes a target's text into directly.
extern "C" char* WINAPI GetTargetBufPtr(void* record, int index, int minLength) noexcept {
    if (minLength > kTargetBufferMax) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return qvr::GetTargetBuffer(record, index, minLength);
}

// Copies one record's targets into another's table. A table without a slot
// array has no targets to give and no room to take them, whatever its count.
extern "C" void WINAPI DeepCloneTargets(TargetTable* destination, TargetTable* source) noexcept {
    if (destination == nullptr || source == nullptr || destination->slots == nullptr ||
        source->slots == nullptr)
        return;
    qvr::DeepCloneTargets(destination, source);
}
