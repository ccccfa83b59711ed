// textfile/parse_helpers.h: small text steps shared by the parsed forms of
// the file-type classes. All of them step byte by byte: they only look for
// blanks, tabs and ASCII punctuation.
#pragma once

#include <windows.h>

#include "util/ascii.h"

namespace qvr {

// What NormaliseAssignment does to the name before the '='.
enum class AssignmentName {
    TrimEnd,         // the blanks and tabs before the '=' go
    DropBlanksInside // blanks, control bytes and bytes from 0x80 up go, inside it too
};

// Rewrites "name = value" as "name=value": the name as `rule` says, the
// value without its leading blanks and tabs. The result goes to `out`
// (`size` bytes, cut to fit) and is returned; a text without '=' is returned
// as it is. The result is never longer than `text`.
LPCSTR NormaliseAssignment(LPCSTR text, AssignmentName rule, LPSTR out, int size);
// Copies `text` to `out` with every run of blanks and tabs made one blank.
// `out` needs no more room than `text`.
void CopyCollapsingBlanks(LPCSTR text, LPSTR out);
// Copies `text` to `out` with every blank or tab made one blank (runs keep
// their length).
void CopyBlanksAsSpaces(LPCSTR text, LPSTR out);
// 1 when the text begins with "[" and holds a "]" after it.
bool IsBracketHeader(LPCSTR text);

} // namespace qvr
