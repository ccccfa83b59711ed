// native/include/malloc.h: the C library's header plus the Windows C
// runtime's block size query.
#pragma once

#include_next <malloc.h>

#include <cstddef>

inline size_t _msize(void* block) {
    return malloc_usable_size(block);
}
