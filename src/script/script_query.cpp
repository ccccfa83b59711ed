// script/script_query.cpp
//
// The scans step byte by byte rather than by character: every byte they
// look for (NUL, Ctrl-Z, '"', '=', ',') lies below 0x40 and so can never be
// the trail byte of a double-byte character, and '[' is only looked at as
// the first byte of a line.
#include "script/script_query.h"

#include "script/tokenizer.h"
#include "util/ascii.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qvr {

namespace {

constexpr char kEnd = static_cast<char>(kImageEndMarker);

inline bool IsSeparator(char c) {
    return c == '=' || c == ',';
}

const char* NextLineOf(const char* line) {
    if (line == nullptr)
        return nullptr;
    // A Ctrl-Z followed by NUL is taken for the end marker: scanning on from
    // it would leave the image block. Walks never hand out such an address.
    if (line[0] == kEnd && line[1] == '\0')
        return nullptr;
    while (*line != '\0')
        ++line;
    char next = line[1];
    if (next == '\0' || next == kEnd)
        return nullptr;
    return line + 1;
}

} // namespace

namespace {

// The next section header candidate or end marker at or after `p`: the first
// 0x1A byte, or the first '[' whose byte before it is a NUL (the first byte
// of a stored line). `p` is past the image's first byte, so p[-1] exists.
// Byte by byte: the form the shipped 32-bit DLL uses (SSE2 cannot be assumed
// on its machines).
const char* NextCandidateScalar(const char* p) {
    for (;; ++p)
        if (*p == kEnd || (*p == '[' && p[-1] == '\0'))
            return p;
}

#if defined(__SSE2__)
// Sixteen bytes at a time. The loads are aligned (the one at p - 1 ends in
// the same aligned chunk), so none crosses into a page that the image does
// not touch; the chunk that holds the end marker may reach past the block's
// end, but no byte there decides anything.
__attribute__((no_sanitize("address"))) const char* NextCandidateSse2(const char* p) {
    const __m128i end = _mm_set1_epi8(static_cast<char>(kImageEndMarker));
    const __m128i bracket = _mm_set1_epi8('[');
    const __m128i zero = _mm_setzero_si128();
    // Byte by byte up to a 16-byte boundary.
    for (; (reinterpret_cast<uintptr_t>(p) & 15) != 0; ++p)
        if (*p == kEnd || (*p == '[' && p[-1] == '\0'))
            return p;
    for (;; p += 16) {
        __m128i chunk = _mm_load_si128(reinterpret_cast<const __m128i*>(p));
        __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p - 1));
        __m128i hits =
            _mm_or_si128(_mm_cmpeq_epi8(chunk, end), _mm_and_si128(_mm_cmpeq_epi8(chunk, bracket),
                                                                   _mm_cmpeq_epi8(before, zero)));
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
        if (mask != 0)
            return p + __builtin_ctz(mask);
    }
}
#endif

// The scan looks at the first byte of each stored line (the byte after a run
// of NULs) for '[', and stops at a 0x1A anywhere. Rather than walking line
// by line, it searches the image for the two events at once: a 0x1A, or a
// '[' right after a NUL.
template <const char* (*NextCandidate)(const char*)>
DWORD ScanForSection(const char* image, const char* name) {
    if (image == nullptr || name == nullptr)
        return 0;
    const size_t length = std::strlen(name);
    const char* p = image;
    if (*p == kEnd)
        return 0;
    if (*p != '[')
        p = NextCandidate(p + 1);
    for (;;) {
        // p is a header's first byte, or the 0x1A that ends the search.
        if (*p == kEnd)
            return 0;
        const bool match =
            EqualNoCaseAscii(p + 1, name, static_cast<int>(length)) && p[1 + length] == ']';
        if (!match) {
            p = NextCandidate(p + 1);
            continue;
        }
        // Past the header's bytes and all the NULs behind it; a Ctrl-Z among
        // the bytes ends the search as the end marker would.
        for (; *p != '\0'; ++p)
            if (*p == kEnd)
                return 0;
        while (*p == '\0')
            ++p;
        // The first matching header decides: an empty section is not found,
        // even when a later header has the same name.
        if (*p == '[' || *p == kEnd)
            return 0;
        return static_cast<DWORD>(p - image);
    }
}

} // namespace

DWORD FindSectionOffsetWith(SectionScan scan, const char* image, const char* name) {
#if defined(__SSE2__)
    if (scan == SectionScan::Sse2)
        return ScanForSection<NextCandidateSse2>(image, name);
#endif
    (void)scan;
    return ScanForSection<NextCandidateScalar>(image, name);
}

DWORD FindSectionOffset(const char* image, const char* name) {
#if defined(__SSE2__)
    return ScanForSection<NextCandidateSse2>(image, name);
#else
    return ScanForSection<NextCandidateScalar>(image, name);
#endif
}

char* FindSection(char* image, const char* name) {
    DWORD offset = FindSectionOffset(image, name);
    return offset == 0 ? nullptr : image + offset;
}

char* NextLine(char* line) {
    return const_cast<char*>(NextLineOf(line));
}

int LineCount(char* line) {
    if (line == nullptr)
        return 0;
    int count = 1;
    for (const char* p = NextLineOf(line); p != nullptr; p = NextLineOf(p))
        ++count;
    return count;
}

// Scans back from `line` (its own byte included) to the nearest NUL and
// takes the byte after it, or the image start when there is no NUL down to
// it. The image's second byte is taken as its first. A header gives null.
// So the address of a line's first byte gives that line, an address inside
// a line the start of that line, and the address of a line's terminating
// NUL the line after it; the line before a line starts at line - 2.
char* PrevLine(char* imageStart, size_t imageSize, char* line) {
    if (imageStart == nullptr || line == nullptr || line < imageStart ||
        static_cast<size_t>(line - imageStart) >= imageSize)
        return nullptr;
    size_t i = static_cast<size_t>(line - imageStart);
    size_t start = 0;
    for (;; --i) {
        if (imageStart[i] == '\0') {
            start = i + 1;
            break;
        }
        if (i == 0)
            break;
    }
    if (start == 1)
        start = 0;
    if (start >= imageSize || imageStart[start] == '[')
        return nullptr;
    return imageStart + start;
}

int ParseField(const char* line, unsigned field, char* text, size_t textSize) {
    if (line == nullptr || text == nullptr)
        return 1;
    text[0] = '\0';

    // The line's first separator outside quotes decides whether it has a key.
    const char* p = line;
    bool quoted = false;
    for (; *p != '\0'; ++p) {
        if (*p == '"')
            quoted = !quoted;
        else if (!quoted && IsSeparator(*p))
            break;
    }

    const char* start;
    if (field == 0) {
        if (*p != '=')
            return 0;
        start = line;
    } else {
        start = *p == '=' ? p + 1 : line;
        // Past field - 1 separators, with one quote flag for all of them.
        quoted = false;
        for (unsigned skip = field - 1; skip > 0; --skip) {
            for (;;) {
                char c = *start;
                if (c == '\0')
                    return 0;
                ++start;
                if (c == '"')
                    quoted = !quoted;
                else if (!quoted && IsSeparator(c))
                    break;
            }
        }
    }

    while (IsBlankOrLineEnd(*start))
        ++start;

    const size_t limit = textSize - 1;
    size_t n = 0;
    quoted = false;
    for (const char* q = start; *q != '\0'; ++q) {
        char c = *q;
        if (c == '"') {
            if (quoted && q[1] == '"') {
                ++q; // "" inside quotes: one literal quote
            } else {
                quoted = !quoted;
                continue;
            }
        } else if (!quoted && IsSeparator(c)) {
            break;
        }
        if (n == limit)
            break;
        text[n++] = c;
    }
    while (n > 0 && IsBlankOrLineEnd(text[n - 1]))
        --n;
    text[n] = '\0';
    return 1;
}

int GetKeyValue(const char* section, const char* key, char* value) {
    value[0] = '\0';
    if (section == nullptr || key == nullptr)
        return 0;
    const size_t keyLength = std::strlen(key);

    const char* equals = nullptr;
    for (const char* line = section; line != nullptr; line = NextLineOf(line)) {
        if (!EqualNoCaseAscii(line, key, static_cast<int>(keyLength)))
            continue;
        const char* p = line + keyLength;
        while (IsBlankOrLineEnd(*p))
            ++p;
        if (*p == '=') {
            equals = p;
            break;
        }
    }
    if (equals == nullptr)
        return 0;

    // `key` may share storage with `value` (see LookupKeyPath); it is not read
    // from here on.
    const char* begin = equals + 1;
    const char* end = begin;
    bool quoted = false;
    bool list = false;
    for (; *end != '\0'; ++end) {
        if (*end == '"')
            quoted = !quoted;
        else if (!quoted && IsSeparator(*end))
            list = true;
    }
    if (!list) {
        // A single value loses its blanks and quotes at both ends.
        while (begin < end && (IsBlankOrLineEnd(*begin) || *begin == '"'))
            ++begin;
        while (end > begin && (IsBlankOrLineEnd(end[-1]) || end[-1] == '"'))
            --end;
    }
    const size_t length = static_cast<size_t>(end - begin);
    std::memmove(value, begin, length);
    value[length] = '\0';
    return 1;
}

int GetProfileValue(const char* image, const char* section, const char* key, char* value) {
    if (value == nullptr)
        return 0;
    DWORD offset = FindSectionOffset(image, section);
    if (offset == 0) {
        value[0] = '\0';
        return 0;
    }
    return GetKeyValue(image + offset, key, value);
}

int LookupKeyPath(const char* image, char* keyPath, char* value) {
    if (value == nullptr)
        return 0;
    if (keyPath == nullptr) {
        value[0] = '\0';
        return 0;
    }
    char* dot = std::strrchr(keyPath, '.');
    if (dot == nullptr) {
        value[0] = '\0';
        return 0;
    }
    // The dot becomes the end of the section name for the search; with a
    // separate output buffer it is put back afterwards. When `value` is
    // `keyPath`, the value overwrites the whole buffer instead: only its first
    // byte is written before the key has been matched, and the key lies
    // behind it.
    *dot = '\0';
    DWORD offset = FindSectionOffset(image, keyPath);
    int result = 0;
    if (offset == 0)
        value[0] = '\0';
    else
        result = GetKeyValue(image + offset, dot + 1, value);
    if (value != keyPath)
        *dot = '.';
    return result;
}

char* GetNamedSection(char* keyPath) {
    if (keyPath == nullptr)
        return nullptr;
    // A dot in the first position does not count.
    for (size_t i = std::strlen(keyPath); i > 1; --i)
        if (keyPath[i - 1] == '.')
            return keyPath + i;
    return keyPath;
}

SHORT SearchRowIn(const char* image, const char* section, unsigned field, const char* match,
                  char* work, size_t workSize) {
    if (image == nullptr || section == nullptr || match == nullptr || work == nullptr ||
        workSize == 0)
        return -1;
    // The section name is cut to what the work buffer holds.
    size_t n = 0;
    for (; n + 1 < workSize && section[n] != '\0'; ++n)
        work[n] = section[n];
    work[n] = '\0';

    DWORD offset = FindSectionOffset(image, work);
    if (offset == 0)
        return -1;
    int row = 0;
    for (const char* line = image + offset; line != nullptr; line = NextLineOf(line), ++row) {
        ParseField(line, field, work, workSize);
        if (lstrcmpiA(work, match) == 0)
            return static_cast<SHORT>(static_cast<WORD>(row));
    }
    return -1;
}

SHORT SearchRow(const char* image, const char* section, unsigned field, const char* match) {
    char work[kSearchRowBufferSize];
    return SearchRowIn(image, section, field, match, work, sizeof work);
}

} // namespace qvr
