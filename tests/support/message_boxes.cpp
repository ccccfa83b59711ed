// support/message_boxes.cpp
#include "support/message_boxes.h"

#include <windows.h>

#include <cstdio>

namespace qvrtest {

namespace {
std::vector<CapturedBox> boxes;
HHOOK hook;
// The box last recorded: a box is activated again whenever focus comes back
// to it, and must be recorded once.
HWND recorded;
bool echo;

bool IsMessageBox(HWND window) {
    char className[16] = {};
    return GetClassNameA(window, className, sizeof className) != 0 &&
           lstrcmpA(className, "#32770") == 0;
}

// Runs from the box's own modal loop, once the box is fully built.
VOID CALLBACK ReadAndClose(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (recorded == nullptr || !IsWindow(recorded))
        return;
    char caption[512] = {};
    char text[1024] = {};
    GetWindowTextA(recorded, caption, sizeof caption);
    GetDlgItemTextA(recorded, 0xFFFF, text, sizeof text);
    boxes.push_back({caption, text});
    if (echo) {
        std::fprintf(stderr, "BOX %s: %s\n", caption, text);
        std::fflush(stderr);
    }
    PostMessageA(recorded, WM_COMMAND, IDOK, 0);
}

LRESULT CALLBACK WatchBoxes(int code, WPARAM wParam, LPARAM lParam) {
    HWND window = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_ACTIVATE && window != recorded && IsMessageBox(window)) {
        // The box may be activated before its text is set: read it from a
        // timer, which the box's modal loop dispatches.
        recorded = window;
        SetTimer(nullptr, 0, 1, ReadAndClose);
    } else if (code == HCBT_DESTROYWND && window == recorded) {
        recorded = nullptr;
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}
} // namespace

void StartMessageBoxWatcher() {
    if (hook == nullptr)
        hook = SetWindowsHookExA(WH_CBT, WatchBoxes, nullptr, GetCurrentThreadId());
}

void StopMessageBoxWatcher() {
    if (hook == nullptr)
        return;
    UnhookWindowsHookEx(hook);
    hook = nullptr;
}

void EchoMessageBoxes(bool on) {
    echo = on;
}

std::vector<CapturedBox> TakeMessageBoxes() {
    std::vector<CapturedBox> taken;
    taken.swap(boxes);
    return taken;
}

void QvrTest::TearDown() {
    for (const CapturedBox& box : TakeMessageBoxes())
        ADD_FAILURE() << "unexpected message box \"" << box.caption << "\": " << box.text;
}

} // namespace qvrtest
