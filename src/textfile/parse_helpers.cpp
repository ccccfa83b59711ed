// textfile/parse_helpers.cpp
#include "textfile/parse_helpers.h"

#include <cstring>

namespace qvr {

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
