// util/global_memory.cpp
#include "util/global_memory.h"

#include "util/fault_injection.h"

namespace qvr {

void* AllocGlobalLocked(SIZE_T bytes) {
    if (ShouldFail(Fault::MovableBlock))
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
