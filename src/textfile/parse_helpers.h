// textfile/parse_helpers.h: small text steps shared by the parsed forms of
// the file-type classes. All of them step byte by byte: they only look for
// blanks, tabs and ASCII punctuation.
#pragma once

#include <windows.h>

namespace qvr {

inline bool IsBlankOrTab(char c) {
    return c == ' ' || c == '\t';
}

// Copies `text` to `out` with every run of blanks and tabs made one blank.
// `out` needs no more room than `text`.
void CopyCollapsingBlanks(LPCSTR text, LPSTR out);
// Copies `text` to `out` with every blank or tab made one blank (runs keep
// their length).
void CopyBlanksAsSpaces(LPCSTR text, LPSTR out);
// 1 when the text begins with "[" and holds a "]" after it.
bool IsBracketHeader(LPCSTR text);

} // namespace qvr
