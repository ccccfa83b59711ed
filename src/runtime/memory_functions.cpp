// runtime/memory_functions.cpp: memcpy, memmove, memset and memcmp for the
// DLL, which links no C runtime. The compiler calls them too (structure
// copies, zeroed arrays), so this file is built with the loop-to-call
// rewriting off: a loop here must never become a call to itself.
#include "runtime/runtime_names.h"

#include <stdint.h>

extern "C" {

// Forward copy. On 32-bit: doublewords, then the last 0 to 3 bytes, the
// fastest string instructions of the 486 and the Pentium. On 64-bit: one
// byte string move, which every processor that runs 64-bit Windows carries
// out in wide blocks.
void* QVR_RT(memcpy)(void* destination, const void* source, size_t count) {
    void* d = destination;
    const void* s = source;
#if defined(__x86_64__)
    __asm__ volatile("rep movsb" : "+D"(d), "+S"(s), "+c"(count) : : "memory");
#elif defined(__i386__)
    size_t words = count >> 2;
    size_t bytes = count & 3;
    __asm__ volatile("rep movsl" : "+D"(d), "+S"(s), "+c"(words) : : "memory");
    __asm__ volatile("rep movsb" : "+D"(d), "+S"(s), "+c"(bytes) : : "memory");
#else
    auto* to = static_cast<unsigned char*>(d);
    auto* from = static_cast<const unsigned char*>(s);
    while (count-- != 0)
        *to++ = *from++;
#endif
    return destination;
}

void* QVR_RT(memmove)(void* destination, const void* source, size_t count) {
    auto* to = static_cast<unsigned char*>(destination);
    auto* from = static_cast<const unsigned char*>(source);
    // A forward copy is safe unless the destination starts inside the source.
    if (to <= from || to >= from + count)
        return QVR_RT(memcpy)(destination, source, count);
    while (count-- != 0)
        to[count] = from[count];
    return destination;
}

void* QVR_RT(memset)(void* destination, int value, size_t count) {
    void* d = destination;
#if defined(__x86_64__)
    __asm__ volatile("rep stosb" : "+D"(d), "+c"(count) : "a"(value) : "memory");
#elif defined(__i386__)
    uint32_t pattern = static_cast<unsigned char>(value) * 0x01010101u;
    size_t words = count >> 2;
    size_t bytes = count & 3;
    __asm__ volatile("rep stosl" : "+D"(d), "+c"(words) : "a"(pattern) : "memory");
    __asm__ volatile("rep stosb" : "+D"(d), "+c"(bytes) : "a"(pattern) : "memory");
#else
    auto* to = static_cast<unsigned char*>(d);
    while (count-- != 0)
        *to++ = static_cast<unsigned char>(value);
#endif
    return destination;
}

int QVR_RT(memcmp)(const void* a, const void* b, size_t count) {
    auto* x = static_cast<const unsigned char*>(a);
    auto* y = static_cast<const unsigned char*>(b);
    for (; count != 0; --count, ++x, ++y) {
        if (*x != *y)
            return *x < *y ? -1 : 1;
    }
    return 0;
}

} // extern "C"
