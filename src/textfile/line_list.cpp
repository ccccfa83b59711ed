// textfile/line_list.cpp
#include "textfile/line_list.h"

#include "runtime/process_end.h"

#include <climits>
#include <cstring>
#include <new>

namespace qvr {

namespace {
int heapFailAfter = -1; // test hook, see SetHeapAllocFailAfter
} // namespace

void MemoryFailure() {
    MessageBoxA(GetActiveWindow(), "Memory allocation failure\nApplication will be terminated.",
                "Halvorix Install", MB_SYSTEMMODAL);
    EndProcess();
}

void SetHeapAllocFailAfter(int n) {
    heapFailAfter = n;
}

bool HeapAllocShouldFail() {
    if (heapFailAfter < 0)
        return false;
    if (heapFailAfter == 0) {
        heapFailAfter = -1;
        return true;
    }
    --heapFailAfter;
    return false;
}

void** AllocateEntryArray(size_t n) {
    // The heap behind operator new is the same one the line records use.
    void** array = HeapAllocShouldFail() ? nullptr : new (std::nothrow) void*[n];
    if (array == nullptr)
        MemoryFailure();
    return array;
}

void* AllocateRecord(size_t bytes) {
    if (HeapAllocShouldFail())
        return nullptr;
    return ::operator new(bytes, std::nothrow);
}

} // namespace qvr

LineList::~LineList() {
    delete[] items;
}

void* LineList::GetAt(int index) const {
    if (index < 0 || index >= count)
        return nullptr;
    return items[index];
}

void LineList::Resize(int newCount, int keep, int moveFrom, int shift) {
    void** fresh = nullptr;
    if (newCount > 0) {
        fresh = qvr::AllocateEntryArray(static_cast<size_t>(newCount));
        std::memset(fresh, 0, sizeof(void*) * static_cast<size_t>(newCount));
        int kept = keep < count ? keep : count;
        for (int i = 0; i < kept; ++i)
            fresh[i] = items[i];
        for (int i = moveFrom; i < count; ++i) {
            int to = i + shift;
            if (to >= 0 && to < newCount)
                fresh[to] = items[i];
        }
    }
    delete[] items;
    items = fresh;
    count = newCount;
}

int LineList::SetAtGrow(int index, void* entry) {
    if (index < 0)
        return 0;
    if (index >= count) {
        if (index == INT_MAX)
            qvr::MemoryFailure(); // INT_MAX + 1 entries cannot be had
        Resize(index + 1, count, count, 0);
    }
    items[index] = entry;
    return 1;
}

int LineList::Add(void* entry) {
    int index = count;
    SetAtGrow(index, entry);
    return index;
}

int LineList::InsertAt(int index, void* entry) {
    if (index < 0)
        return 0;
    if (index >= count)
        return SetAtGrow(index, entry);
    Resize(count + 1, index, index, 1);
    items[index] = entry;
    return 1;
}

int LineList::InsertAfter(int index, void* entry) {
    if (index < 0)
        return 0;
    if (index >= count) {
        if (index == INT_MAX)
            qvr::MemoryFailure(); // INT_MAX + 1 entries cannot be had
        return SetAtGrow(index + 1, entry);
    }
    Resize(count + 1, index + 1, index + 1, 1);
    items[index + 1] = entry;
    return 1;
}

void LineList::RemoveAt(int index) {
    if (index < 0 || index >= count)
        return;
    if (count == 1) {
        delete[] items;
        items = nullptr;
        count = 0;
        return;
    }
    // Entries after index move down by one; the entry at index is dropped.
    Resize(count - 1, index, index + 1, -1);
}
