// util/global_memory.h: locked movable global blocks. The library keeps such
// blocks locked for their whole life and hands out the locked pointer; the
// pointer alone is enough to release the block again.
#pragma once

#include <windows.h>
#include <cstddef>

namespace qvr {

// GMEM_MOVEABLE | GMEM_ZEROINIT, the flags of every block the library makes.
constexpr UINT kMovableZeroed = GMEM_MOVEABLE | GMEM_ZEROINIT;

// Allocates `bytes` zero-filled bytes of movable global memory and locks them.
// Returns the locked pointer, or null when the allocation or the lock fails
// (nothing is left allocated then).
void* AllocGlobalLocked(SIZE_T bytes);

// Unlocks and frees the block whose locked pointer is `p`. Null does nothing.
void FreeGlobalLocked(const void* p);

} // namespace qvr
