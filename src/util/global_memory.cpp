// util/global_memory.cpp
#include "util/global_memory.h"

namespace qvr {

namespace {
int failAfter = -1; // test hook, see SetGlobalAllocFailAfter
}

void SetGlobalAllocFailAfter(int n) { failAfter = n; }

bool GlobalAllocShouldFail() {
    if (failAfter < 0)
        return false;
    if (failAfter == 0) {
        failAfter = -1;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return true;
    }
    --failAfter;
    return false;
}

void* AllocGlobalLocked(SIZE_T bytes) {
    if (GlobalAllocShouldFail())
        return nullptr;
    HGLOBAL block = GlobalAlloc(kMovableZeroed, bytes);
    if (block == nullptr)
        return nullptr;
    void* p = GlobalLock(block);
    if (p == nullptr)
        GlobalFree(block);
    return p;
}

void FreeGlobalLocked(const void* p) {
    if (p == nullptr)
        return;
    HGLOBAL block = GlobalHandle(p);
    if (block == nullptr)
        return;
    GlobalUnlock(block);
    GlobalFree(block);
}

} // namespace qvr
