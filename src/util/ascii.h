// util/ascii.h: byte tests and case folding that look at ASCII only. Folding
// maps A-Z onto a-z (or back) and leaves every other byte as it is, so the
// bytes of double-byte characters never change.
#pragma once

namespace qvr {

inline char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

inline char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - ('a' - 'A')) : c;
}

// The first `n` bytes of `a` and `b` are equal with ASCII letters folded; a
// NUL that both hold at the same place ends the comparison (equal). True for
// n <= 0.
inline bool EqualNoCaseAscii(const char* a, const char* b, int n) {
    for (int i = 0; i < n; ++i) {
        char c = LowerAscii(a[i]);
        if (c != LowerAscii(b[i]))
            return false;
        if (c == '\0')
            return true;
    }
    return true;
}

// `text` begins with `prefix`, ASCII letters folded.
inline bool StartsWithNoCaseAscii(const char* text, const char* prefix) {
    for (; *prefix != '\0'; ++text, ++prefix)
        if (LowerAscii(*text) != LowerAscii(*prefix))
            return false;
    return true;
}

// The first place in `text` where the ASCII `needle` starts, letters
// folded; null when there is none. Steps byte by byte.
inline const char* FindNoCaseAscii(const char* text, const char* needle) {
    int length = 0;
    while (needle[length] != '\0')
        ++length;
    for (const char* p = text; *p != '\0'; ++p)
        if (EqualNoCaseAscii(p, needle, length))
            return p;
    return nullptr;
}

inline bool IsBlankOrTab(char c) {
    return c == ' ' || c == '\t';
}

// A blank, a tab or a line end (LF, CR).
inline bool IsBlankOrLineEnd(char c) {
    return IsBlankOrTab(c) || c == '\n' || c == '\r';
}

// A null pointer or an empty string.
inline bool IsEmptyText(const char* text) {
    return text == nullptr || text[0] == '\0';
}

} // namespace qvr
