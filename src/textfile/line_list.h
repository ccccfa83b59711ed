// textfile/line_list.h: the ordered pointer list under every text file
// object. The array is always exactly `count` entries long: every change of
// the entry count allocates a new array, copies the entries over and frees
// the old one. The entries belong to the user; the list never frees them.
// Running out of memory for an array is fatal (message box, then the end
// of the process, exit code 3).
#pragma once

#include <windows.h>

class LineList {
  public:
    LineList() = default;
    LineList(const LineList&) = delete;
    LineList& operator=(const LineList&) = delete;
    ~LineList();

    int GetCount() const { return count; }
    // The array itself (null when the list is empty), for inspection.
    void* const* GetItems() const { return items; }

    // The entry at index; null when index is outside 0..count-1.
    void* GetAt(int index) const;
    // Stores the entry at index, growing the list to index + 1 entries (new
    // entries in between are null) when index is past the end. 0 and no
    // change for a negative index, else 1.
    int SetAtGrow(int index, void* entry);
    // Appends the entry; gives its index.
    int Add(void* entry);
    // Inserts before index (index >= count: SetAtGrow). 0 for index < 0.
    int InsertAt(int index, void* entry);
    // Inserts after index (index >= count: SetAtGrow(index + 1)). 0 for
    // index < 0.
    int InsertAfter(int index, void* entry);
    // Takes the entry out; the later ones move down. Nothing for a bad index.
    void RemoveAt(int index);

  private:
    // Replaces the array by one of newCount entries: entries [0, keep) stay
    // where they are, entries [moveFrom, count) move by `shift` (+1 or -1).
    void Resize(int newCount, int keep, int moveFrom, int shift);

    int count = 0;
    void** items = nullptr;
};

namespace qvr {

// The array allocation routine: n pointer entries from the heap. When the
// heap has nothing left it shows the system-modal "Memory allocation
// failure" box and ends the process (exit code 3); it never returns null.
void** AllocateEntryArray(size_t n);
// The box and the process end of a failed array allocation.
[[noreturn]] void MemoryFailure();

// Small heap records of the text file classes (line records, path lists)
// come through here. Null on failure.
void* AllocateRecord(size_t bytes);

// Test hook for every allocation above: when set, the allocation after `n`
// more successful ones fails (0: the next one fails); -1 turns it off.
void SetHeapAllocFailAfter(int n);
bool HeapAllocShouldFail();

} // namespace qvr
