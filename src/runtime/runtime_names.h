// runtime/runtime_names.h: the names of the library's own C runtime functions.
// The DLL links no C runtime: the memory and string functions that its code
// (and the compiler) calls are the ones in this folder, under their standard
// names. Test programs have a C runtime of their own, so they link a second
// build of the same code in which every name carries a qvr_ prefix.
#pragma once

#include <stddef.h>

#ifdef QVR_RUNTIME_PREFIXED
#define QVR_RT(name) qvr_##name
extern "C" {
void* qvr_memcpy(void* destination, const void* source, size_t count);
void* qvr_memmove(void* destination, const void* source, size_t count);
void* qvr_memset(void* destination, int value, size_t count);
int qvr_memcmp(const void* a, const void* b, size_t count);
size_t qvr_strlen(const char* text);
size_t qvr_strnlen(const char* text, size_t limit);
char* qvr_strchr(const char* text, int value);
char* qvr_strrchr(const char* text, int value);
char* qvr_strcpy(char* destination, const char* source);
int qvr_strncmp(const char* a, const char* b, size_t count);
char* qvr_strstr(const char* text, const char* pattern);
}
#else
#define QVR_RT(name) name
#include <string.h>
#endif

// Fast paths that read whole aligned 16-byte blocks: such a block never
// crosses a page, so the bytes read past the end of a string are never a
// fault, but AddressSanitizer counts them as overreads.
#if defined(__SSE2__)
#define QVR_RT_SSE2 1
#define QVR_RT_WHOLE_BLOCKS __attribute__((no_sanitize_address))
#else
#define QVR_RT_SSE2 0
#define QVR_RT_WHOLE_BLOCKS
#endif
