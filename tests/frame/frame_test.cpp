// frame/frame_test.cpp: entry point, installer-window exports, script
// context nesting and the window enumeration callback.
#include "frame/module_state.h"
#include "support/dll.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

using namespace qvrtest;

using SetHInstbinFn = void(WINAPI*)(HWND);
using GetSelectedSizeFn = DWORD(WINAPI*)(DWORD*);
using SaveFunctionsFn = void(WINAPI*)(ScriptContext**, FileService**);
using RestoreFunctionsFn = void(WINAPI*)(ScriptContext*, FileService*);
using TaskEnumProcFn = BOOL(WINAPI*)(HWND, LPARAM);
using InfInitFn = int(WINAPI*)(LPCSTR);

// A stand-in for the installer's main window: answers WM_COMMAND 509 by
// filling the two-word reply block, and counts the requests.
int sizeRequests;
LRESULT CALLBACK InstallerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == 509) {
        ++sizeRequests;
        DWORD* reply = reinterpret_cast<DWORD*>(lParam);
        reply[0] = 123456;
        reply[1] = 789;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeWindow(HINSTANCE instance) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = InstallerWindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "QvrTestInstallerWindow";
        registered = RegisterClassA(&wc) != 0;
    }
    return CreateWindowA("QvrTestInstallerWindow", "installer", WS_OVERLAPPEDWINDOW, 0, 0, 100,
                         100, nullptr, nullptr, instance, nullptr);
}

class FrameTest : public FileTest {};

TEST_F(FrameTest, LaterEntryCallsChangeNothing) {
    HINSTANCE first = qvr::moduleInstance;
    ASSERT_EQ(qvr::initialised, 1u);
    TextFile* object = reinterpret_cast<TextFile*>(0x1234);
    qvr::textFileTable[2] = {3, object};
    qvr::EntryPoint(reinterpret_cast<HINSTANCE>(0x5678)); // a thread attach, say
    EXPECT_EQ(qvr::moduleInstance, first);
    EXPECT_EQ(qvr::textFileTable[2].handle, 3u);
    EXPECT_EQ(qvr::textFileTable[2].object, object);
    qvr::ClearTextFileTable();
}

TEST_F(FrameTest, DllLoadsAndExportsFrameFunctions) {
    ASSERT_NE(Dll(), nullptr) << "qvrdll32.dll did not load, error " << GetLastError();
    EXPECT_NE(Export<SetHInstbinFn>("_QVRSetHInstbin@4"), nullptr);
    EXPECT_NE(Export<GetSelectedSizeFn>("_QVRGetSelectedSize@4"), nullptr);
    EXPECT_NE(Export<SaveFunctionsFn>("_SaveFunctions@8"), nullptr);
    EXPECT_NE(Export<RestoreFunctionsFn>("_RestoreFunctions@8"), nullptr);
    EXPECT_NE(Export<TaskEnumProcFn>("?TaskEnumProc@@YGHPAUHWND__@@J@Z"), nullptr);
    // Loading again (another LoadLibrary, thread attaches) keeps the module.
    EXPECT_EQ(LoadLibraryA("qvrdll32.dll"), Dll());
    FreeLibrary(Dll());
}

TEST_F(FrameTest, SelectedSizeAsksTheInstallerWindow) {
    auto setWindow = Export<SetHInstbinFn>("_QVRSetHInstbin@4");
    auto selectedSize = Export<GetSelectedSizeFn>("_QVRGetSelectedSize@4");
    ASSERT_TRUE(setWindow && selectedSize);
    HWND window = MakeWindow(GetModuleHandleA(nullptr));
    ASSERT_NE(window, nullptr);
    setWindow(window);

    sizeRequests = 0;
    DWORD second = 0xDEADBEEF;
    EXPECT_EQ(selectedSize(&second), 123456u);
    EXPECT_EQ(second, 789u);
    EXPECT_EQ(selectedSize(nullptr), 123456u); // still asks, still answers
    EXPECT_EQ(sizeRequests, 2);

    // Without a window nothing answers: the zeroed reply block comes back.
    setWindow(nullptr);
    second = 0xDEADBEEF;
    EXPECT_EQ(selectedSize(&second), 0u);
    EXPECT_EQ(second, 0u);
    DestroyWindow(window);
}

TEST_F(FrameTest, SaveAndRestoreNestScripts) {
    auto save = Export<SaveFunctionsFn>("_SaveFunctions@8");
    auto restore = Export<RestoreFunctionsFn>("_RestoreFunctions@8");
    auto infInit = Export<InfInitFn>("_InfInit@4");
    ASSERT_TRUE(save && restore && infInit);
    WriteBytes(dir / "a.inf", "[A]\r\nx=1\r\n");
    WriteBytes(dir / "b.inf", "[B]\r\ny=2\r\n");

    ASSERT_EQ(infInit((dir / "a.inf").c_str()), 1);
    ScriptContext* first = nullptr;
    FileService* firstService = nullptr;
    save(&first, &firstService);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(firstService, nullptr);
    ASSERT_NE(first->scriptImage, nullptr);
    EXPECT_STREQ(first->scriptImage, "[A]");

    ASSERT_EQ(infInit((dir / "b.inf").c_str()), 1);
    ScriptContext* second = nullptr;
    FileService* secondService = nullptr;
    save(&second, &secondService);
    ASSERT_NE(second, first);
    EXPECT_STREQ(second->scriptImage, "[B]");
    char* secondImage = second->scriptImage;

    // Restoring deletes the record in between (not its image) and brings the
    // first script back.
    restore(first, firstService);
    ScriptContext* now = nullptr;
    FileService* nowService = nullptr;
    save(&now, &nowService);
    EXPECT_EQ(now, first);
    EXPECT_EQ(nowService, firstService);
    EXPECT_STREQ(now->scriptImage, "[A]");
    EXPECT_STREQ(secondImage, "[B]"); // the image of the deleted record lives on
    GlobalUnlock(GlobalHandle(secondImage));
    GlobalFree(GlobalHandle(secondImage));

    // Restoring null leaves no script at all.
    char* firstImage = first->scriptImage;
    restore(nullptr, nullptr);
    save(&now, &nowService);
    EXPECT_EQ(now, nullptr);
    EXPECT_EQ(nowService, nullptr);
    GlobalUnlock(GlobalHandle(firstImage));
    GlobalFree(GlobalHandle(firstImage));
}

TEST_F(FrameTest, TaskEnumProcStopsAtFirstWindowWithInstance) {
    auto taskEnum = Export<TaskEnumProcFn>("?TaskEnumProc@@YGHPAUHWND__@@J@Z");
    ASSERT_NE(taskEnum, nullptr);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HWND withInstance = MakeWindow(instance);
    ASSERT_NE(withInstance, nullptr);

    LONG_PTR found = 0x7777;
    EXPECT_FALSE(taskEnum(withInstance, reinterpret_cast<LPARAM>(&found)));
    EXPECT_EQ(found, reinterpret_cast<LONG_PTR>(instance));

    // A window without an instance handle lets the enumeration go on. Wine
    // may fill in an instance for such a window; the probe decides.
    HWND withoutInstance = MakeWindow(nullptr);
    if (GetWindowLongPtrA(withoutInstance, GWLP_HINSTANCE) == 0) {
        found = 0x7777;
        EXPECT_TRUE(taskEnum(withoutInstance, reinterpret_cast<LPARAM>(&found)));
        EXPECT_EQ(found, 0x7777);
    }

    // Through the platform's enumeration: stops with some instance handle.
    found = 0;
    EnumWindows(reinterpret_cast<WNDENUMPROC>(taskEnum), reinterpret_cast<LPARAM>(&found));
    EXPECT_NE(found, 0);
    DestroyWindow(withInstance);
    DestroyWindow(withoutInstance);
}

} // namespace
