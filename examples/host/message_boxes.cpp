// message_boxes.cpp: printing and answering the library's message boxes.
#include "message_boxes.h"

#include <windows.h>

#include <cstdio>

namespace host {

namespace {

HHOOK hook;
// The box being answered: a box is activated again whenever focus comes back
// to it, and must be answered once.
HWND answering;

bool IsMessageBox(HWND window) {
    char className[16] = "";
    return GetClassNameA(window, className, sizeof className) != 0 &&
           lstrcmpA(className, "#32770") == 0;
}

// Runs from the box's own modal loop, once its text is set.
VOID CALLBACK PrintAndAnswer(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (answering == nullptr || !IsWindow(answering))
        return;
    char caption[300] = "", text[600] = "";
    GetWindowTextA(answering, caption, sizeof caption);
    GetDlgItemTextA(answering, 0xFFFF, text, sizeof text);
    std::printf("  message box \"%s\": %s  (answered OK)\n", caption, text);
    PostMessageA(answering, WM_COMMAND, IDOK, 0);
}

LRESULT CALLBACK WatchBoxes(int code, WPARAM wParam, LPARAM lParam) {
    HWND window = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_ACTIVATE && window != answering && IsMessageBox(window)) {
        answering = window;
        SetTimer(nullptr, 0, 1, PrintAndAnswer);
    } else if (code == HCBT_DESTROYWND && window == answering) {
        answering = nullptr;
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

} // namespace

void StartMessageBoxAnswerer() {
    if (hook == nullptr)
        hook = SetWindowsHookExA(WH_CBT, WatchBoxes, nullptr, GetCurrentThreadId());
}

} // namespace host
