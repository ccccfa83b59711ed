// native/win_layer.h: controls of the native portability layer that have no
// Windows counterpart: the ANSI code page it models, the message boxes it
// recorded instead of showing, and its count of live memory blocks.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace qvrnative {

// 1252 (single-byte, Western) or 932 (double-byte, Japanese); other values
// are refused (false). The layer starts with the code page named by the
// QVR_NATIVE_ACP environment variable, or 1252.
bool SetCodePage(UINT codePage);

struct RecordedBox {
    std::string caption;
    std::string text;
    UINT type;
};
// The boxes shown since the last call, oldest first.
std::vector<RecordedBox> TakeMessageBoxes();

// Global and heap blocks allocated and not yet freed.
size_t LiveBlockCount();

} // namespace qvrnative
