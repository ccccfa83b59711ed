// installer_window.cpp: the host's main window procedure.
#include "installer_window.h"

#include "qvrdll32.h"

namespace host {

namespace {

constexpr DWORD kVeto = 8;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<WindowState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_COMMAND && state != nullptr && lParam != 0) {
        if (LOWORD(wParam) == QVR_SELECTED_SIZE_COMMAND) {
            DWORD* reply = reinterpret_cast<DWORD*>(lParam);
            reply[0] = state->selectedSize[0];
            reply[1] = state->selectedSize[1];
            state->messages.push_back("WM_COMMAND 509: answered the selected size");
            return 0;
        }
        if (LOWORD(wParam) == QVR_DRIVE_VETO_COMMAND) {
            DWORD* cell = reinterpret_cast<DWORD*>(lParam);
            char drive = static_cast<char>(*cell);
            bool veto = drive == state->vetoedDrive;
            if (veto)
                *cell = kVeto;
            state->messages.push_back(std::string("WM_COMMAND 507: drive ") + drive + ": " +
                                      (veto ? "vetoed" : "allowed"));
            return 0;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

HWND CreateInstallerWindow(WindowState& state) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "QvrDemoInstaller";
    if (RegisterClassA(&windowClass) == 0)
        return nullptr;
    HWND window = CreateWindowA("QvrDemoInstaller", "Sample installer", WS_OVERLAPPEDWINDOW, 0, 0,
                                320, 200, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window != nullptr)
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
    return window;
}

} // namespace host
