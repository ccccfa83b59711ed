// textfile/parse_helpers.cpp
#include "textfile/parse_helpers.h"

#include <cstring>

namespace qvr {

namespace {
// What a key of an initialisation file loses: blanks, control bytes and
// bytes from 0x80 up.
bool IsDroppedFromName(char c) {
    return static_cast<signed char>(c) <= 32;
}
} // namespace

LPCSTR NormaliseAssignment(LPCSTR text, AssignmentName rule, LPSTR out, int size) {
    LPCSTR equals = std::strchr(text, '=');
    if (equals == nullptr || size <= 0)
        return text;
    LPCSTR nameEnd = equals;
    if (rule == AssignmentName::TrimEnd) {
        while (nameEnd > text && IsBlankOrTab(nameEnd[-1]))
            --nameEnd;
    }
    int length = 0;
    for (LPCSTR p = text; p < nameEnd && length < size - 1; ++p) {
        if (rule == AssignmentName::TrimEnd || !IsDroppedFromName(*p))
            out[length++] = *p;
    }
    if (length < size - 1)
        out[length++] = '=';
    LPCSTR value = equals + 1;
    while (IsBlankOrTab(*value))
        ++value;
    lstrcpynA(out + length, value, size - length);
    return out;
}

void CopyCollapsingBlanks(LPCSTR text, LPSTR out) {
    int length = 0;
    for (LPCSTR p = text; *p != '\0';) {
        if (IsBlankOrTab(*p)) {
            out[length++] = ' ';
            while (IsBlankOrTab(*p))
                ++p;
        } else {
            out[length++] = *p++;
        }
    }
    out[length] = '\0';
}

void CopyBlanksAsSpaces(LPCSTR text, LPSTR out) {
    int length = 0;
    for (LPCSTR p = text; *p != '\0'; ++p)
        out[length++] = IsBlankOrTab(*p) ? ' ' : *p;
    out[length] = '\0';
}

bool IsBracketHeader(LPCSTR text) {
    return text != nullptr && text[0] == '[' && std::strchr(text + 1, ']') != nullptr;
}

} // namespace qvr
