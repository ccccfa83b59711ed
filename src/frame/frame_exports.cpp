// frame/frame_exports.cpp: the small exports that serve the installer window.
#include "frame/module_state.h"
#include "qvrdll32.h"

using namespace qvr;

// Remembers the installer's main window (asked for sizes and drive vetoes).
extern "C" void WINAPI QVRSetHInstbin(HWND window) noexcept { installerWindow = window; }

// Asks the installer window for the selected size; the second word of its
// reply goes to *second when given. The reply block starts zeroed, so a
// window that does not answer (or no window at all) gives 0 and 0.
extern "C" DWORD WINAPI QVRGetSelectedSize(DWORD* second) noexcept {
    DWORD reply[2] = {0, 0};
    SendMessageA(installerWindow, WM_COMMAND, QVR_SELECTED_SIZE_COMMAND,
                 reinterpret_cast<LPARAM>(reply));
    if (second != nullptr)
        *second = reply[1];
    return reply[0];
}

// Window enumeration callback: stops at the first window that has an
// instance handle and stores that handle in the cell at `found` (nowhere when
// `found` is 0).
extern "C" BOOL WINAPI TaskEnumProc(HWND window, LPARAM found) noexcept {
    // GetWindowLongA(GWL_HINSTANCE) in the 32-bit DLL; the pointer-sized form
    // is the only one that works in a 64-bit process.
    LONG_PTR instance = GetWindowLongPtrA(window, GWLP_HINSTANCE);
    if (instance == 0)
        return TRUE;
    if (found != 0)
        *reinterpret_cast<LONG_PTR*>(found) = instance;
    return FALSE;
}
