// textfile/library_string.h: strings of the library's own string table.
#pragma once

#include <windows.h>

namespace qvr {

// Loads string `id` into `buffer`, or into sharedTextBuffer when `buffer` is
// null. LoadStringA is always told 511 characters fit: a caller's buffer
// must hold at least 512 bytes. Gives the buffer that was filled (an empty
// string when the id is not in the table).
LPSTR LoadLibraryString(UINT id, LPSTR buffer);

} // namespace qvr
