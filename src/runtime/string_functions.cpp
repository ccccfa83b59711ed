// runtime/string_functions.cpp: the C string functions the library calls,
// for the DLL, which links no C runtime. strlen and strchr run in every parse
// and line edit: on 64-bit they test sixteen bytes at a time with SSE2, on
// 32-bit strlen tests four (the processors of 32-bit Windows 95 and NT 4.0
// have no SSE2).
#include "runtime/runtime_names.h"

#include <stdint.h>

#if QVR_RT_SSE2
#include <emmintrin.h>
#endif

namespace {

#if QVR_RT_SSE2
// Bit i set where byte i of the aligned block at `block` is zero or `c`.
QVR_RT_WHOLE_BLOCKS inline unsigned ZeroOrByteMask(const __m128i* block, __m128i c) {
    __m128i bytes = _mm_load_si128(block);
    __m128i hits =
        _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_setzero_si128()), _mm_cmpeq_epi8(bytes, c));
    return static_cast<unsigned>(_mm_movemask_epi8(hits));
}

// The first byte from `text` on that is zero or `c` (`c` may be zero).
QVR_RT_WHOLE_BLOCKS const char* FindZeroOrByte(const char* text, char c) {
    auto address = reinterpret_cast<uintptr_t>(text);
    auto* block = reinterpret_cast<const __m128i*>(address & ~static_cast<uintptr_t>(15));
    __m128i wanted = _mm_set1_epi8(c);
    // The bits of the bytes before `text` are shifted out.
    unsigned mask = ZeroOrByteMask(block, wanted) >> (address & 15);
    if (mask != 0)
        return text + __builtin_ctz(mask);
    for (;;) {
        mask = ZeroOrByteMask(++block, wanted);
        if (mask != 0)
            return reinterpret_cast<const char*>(block) + __builtin_ctz(mask);
    }
}
#else
typedef uint32_t __attribute__((may_alias)) AliasedWord;

// The terminating zero of `text`, four bytes at a time once aligned: a word
// holds a zero byte exactly when (w - 0x01010101) & ~w & 0x80808080 is set.
QVR_RT_WHOLE_BLOCKS const char* FindZero(const char* text) {
    const char* p = text;
    while ((reinterpret_cast<uintptr_t>(p) & 3) != 0) {
        if (*p == '\0')
            return p;
        ++p;
    }
    auto* word = reinterpret_cast<const AliasedWord*>(p);
    while (((*word - 0x01010101u) & ~*word & 0x80808080u) == 0)
        ++word;
    p = reinterpret_cast<const char*>(word);
    while (*p != '\0')
        ++p;
    return p;
}
#endif

} // namespace

extern "C" {

size_t QVR_RT(strlen)(const char* text) {
#if QVR_RT_SSE2
    return static_cast<size_t>(FindZeroOrByte(text, '\0') - text);
#else
    return static_cast<size_t>(FindZero(text) - text);
#endif
}

size_t QVR_RT(strnlen)(const char* text, size_t limit) {
    size_t length = 0;
    while (length < limit && text[length] != '\0')
        ++length;
    return length;
}

char* QVR_RT(strchr)(const char* text, int value) {
    char c = static_cast<char>(value);
#if QVR_RT_SSE2
    const char* p = FindZeroOrByte(text, c);
#else
    const char* p = text;
    while (*p != c && *p != '\0')
        ++p;
#endif
    return *p == c ? const_cast<char*>(p) : nullptr;
}

char* QVR_RT(strrchr)(const char* text, int value) {
    char c = static_cast<char>(value);
    const char* found = nullptr;
    for (;; ++text) {
        if (*text == c)
            found = text;
        if (*text == '\0')
            return const_cast<char*>(found);
    }
}

char* QVR_RT(strcpy)(char* destination, const char* source) {
    QVR_RT(memcpy)(destination, source, QVR_RT(strlen)(source) + 1);
    return destination;
}

int QVR_RT(strncmp)(const char* a, const char* b, size_t count) {
    for (; count != 0; --count, ++a, ++b) {
        auto x = static_cast<unsigned char>(*a);
        auto y = static_cast<unsigned char>(*b);
        if (x != y)
            return x < y ? -1 : 1;
        if (x == '\0')
            break;
    }
    return 0;
}

char* QVR_RT(strstr)(const char* text, const char* pattern) {
    if (pattern[0] == '\0')
        return const_cast<char*>(text);
    size_t length = QVR_RT(strlen)(pattern);
    for (const char* p = QVR_RT(strchr)(text, pattern[0]); p != nullptr;
         p = QVR_RT(strchr)(p + 1, pattern[0])) {
        if (QVR_RT(strncmp)(p, pattern, length) == 0)
            return const_cast<char*>(p);
    }
    return nullptr;
}

} // extern "C"
