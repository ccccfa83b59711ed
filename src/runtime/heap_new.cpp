// runtime/heap_new.cpp: the C++ allocation functions for the DLL, which links
// no C++ runtime. The library allocates only with new (std::nothrow), so only
// the non-throwing forms exist; a throwing new would fail to link. Blocks
// come from the process heap, as the installer's own small records do.
#include <windows.h>

#include <new>

namespace std {
const nothrow_t nothrow{};
} // namespace std

namespace {

void* HeapBlock(size_t bytes) {
    // A request for 0 bytes still gives a distinct block.
    return HeapAlloc(GetProcessHeap(), 0, bytes != 0 ? bytes : 1);
}

void FreeHeapBlock(void* block) {
    if (block != nullptr)
        HeapFree(GetProcessHeap(), 0, block);
}

} // namespace

void* operator new(size_t bytes, const std::nothrow_t&) noexcept {
    return HeapBlock(bytes);
}
void* operator new[](size_t bytes, const std::nothrow_t&) noexcept {
    return HeapBlock(bytes);
}
void operator delete(void* block) noexcept {
    FreeHeapBlock(block);
}
void operator delete[](void* block) noexcept {
    FreeHeapBlock(block);
}
void operator delete(void* block, size_t) noexcept {
    FreeHeapBlock(block);
}
void operator delete[](void* block, size_t) noexcept {
    FreeHeapBlock(block);
}
