// installer_window.h: the host's main window, as the library sees the
// installer's: it answers WM_COMMAND 509 (the size the user selected) and
// 507 (may the library use this drive?).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace host {

struct WindowState {
    DWORD selectedSize[2] = {0, 0};    // reply to 509: bytes selected, bytes needed
    char vetoedDrive = 0;              // 507 is answered with 8 for this drive letter
    std::vector<std::string> messages; // what the library asked, for the report
};

// Creates the (invisible) main window; null on failure.
HWND CreateInstallerWindow(WindowState& state);

} // namespace host
