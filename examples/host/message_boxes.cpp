// message_boxes.cpp: printing and answering the library's message boxes.
#include "message_boxes.h"

#include <windows.h>

#include <cstdio>

namespace host {

namespace {

BOOL CALLBACK AnswerBox(HWND window, LPARAM) {
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (lstrcmpA(className, "#32770") != 0 || process != GetCurrentProcessId() ||
        !IsWindowEnabled(window))
        return TRUE;
    char caption[300] = "", text[600] = "";
    GetWindowTextA(window, caption, sizeof caption);
    GetDlgItemTextA(window, 0xFFFF, text, sizeof text);
    std::printf("  message box \"%s\": %s  (answered OK)\n", caption, text);
    // Disabled at once so that the next look does not report it again.
    EnableWindow(window, FALSE);
    PostMessageA(window, WM_COMMAND, IDOK, 0);
    return TRUE;
}

DWORD WINAPI Watch(LPVOID) {
    for (;;) {
        EnumWindows(AnswerBox, 0);
        Sleep(50);
    }
}

} // namespace

void StartMessageBoxAnswerer() {
    HANDLE thread = CreateThread(nullptr, 0, Watch, nullptr, 0, nullptr);
    if (thread != nullptr)
        CloseHandle(thread);
}

} // namespace host
