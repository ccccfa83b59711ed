// support/message_boxes.cpp
#include "support/message_boxes.h"

#include <windows.h>

#include <mutex>

namespace qvrtest {

namespace {
std::mutex boxesLock;
std::vector<CapturedBox> boxes;
HANDLE watcher;
volatile LONG stopWatching;

// Finds a message box of this process: test programs run side by side on
// one Wine desktop, so FindWindowA alone could take another program's box.
BOOL CALLBACK FindOwnBox(HWND window, LPARAM found) {
    char className[16] = {};
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() || !GetClassNameA(window, className, sizeof className) ||
        lstrcmpA(className, "#32770") != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

DWORD WINAPI WatchBoxes(LPVOID) {
    while (!stopWatching) {
        HWND box = nullptr;
        EnumWindows(FindOwnBox, reinterpret_cast<LPARAM>(&box));
        if (box != nullptr) {
            // The box may still be building: wait until its text is there.
            for (int i = 0; i < 100 && GetDlgItem(box, 0xFFFF) == nullptr; ++i)
                Sleep(10);
            Sleep(20);
            char caption[512] = {};
            char text[1024] = {};
            GetWindowTextA(box, caption, sizeof caption);
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            {
                std::lock_guard<std::mutex> hold(boxesLock);
                boxes.push_back({caption, text});
            }
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            // Wait until that box is gone before looking again.
            for (int i = 0; i < 200 && IsWindow(box); ++i)
                Sleep(10);
        }
        Sleep(20);
    }
    return 0;
}
} // namespace

void StartMessageBoxWatcher() { watcher = CreateThread(nullptr, 0, WatchBoxes, nullptr, 0, nullptr); }

void StopMessageBoxWatcher() {
    if (watcher == nullptr)
        return;
    InterlockedExchange(&stopWatching, 1);
    WaitForSingleObject(watcher, 5000);
    CloseHandle(watcher);
    watcher = nullptr;
}

std::vector<CapturedBox> TakeMessageBoxes() {
    std::lock_guard<std::mutex> hold(boxesLock);
    std::vector<CapturedBox> taken;
    taken.swap(boxes);
    return taken;
}

void QvrTest::TearDown() {
    for (const CapturedBox& box : TakeMessageBoxes())
        ADD_FAILURE() << "unexpected message box \"" << box.caption << "\": " << box.text;
}

} // namespace qvrtest
