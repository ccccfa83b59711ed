// frame/frame_test.cpp: platform answers (run as copies to which Wine reports
// Windows 95, 3.1 and NT 4.0), installer-window exports, context nesting.
#include "qvrdll32.h"
#include "script/script_context.h"
#include "frame/platform.h"
#include "support/exports.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

using namespace qvrtest;

TEST(PlatformTest, AnswersMatchTheReportedWindows) {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    const std::string name = path;
    // Program name, version word reported (0: any), NT, version 4, ANSI paths.
    const struct {
        const char* tail;
        DWORD version;
        bool nt, version4, ansiPaths;
    } rows[] = {{"_win95.exe", 0x0004, false, true, true},
                {"_win31.exe", 0x0A03, false, false, false},
                {"_nt40.exe", 0x0004, true, true, true},
                {"", 0, true, false, true}}; // Wine's default: NT 6.x or later
    const auto& row = *std::find_if(std::begin(rows), std::end(rows), [&](const auto& r) {
        return name.find(r.tail) != std::string::npos;
    });
    if (row.version != 0) {
        ASSERT_EQ(GetVersion() & 0xFFFF, row.version) << "Wine did not report " << row.tail;
    }
    EXPECT_EQ(qvr::IsWindowsNT(), row.nt) << name;
    EXPECT_EQ(qvr::IsVersion4(), row.version4) << name;
    EXPECT_EQ(qvr::UsesAnsiPaths(), row.ansiPaths) << name;
}

// The installer's main window.
LRESULT CALLBACK InstallerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == QVR_SELECTED_SIZE_COMMAND) {
        reinterpret_cast<DWORD*>(lParam)[0] = 123456;
        reinterpret_cast<DWORD*>(lParam)[1] = 789;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class FrameTest : public FileTest {};

TEST_F(FrameTest, InstallerWindowExports) {
    auto setWindow = Exports().QVRSetHInstbin;
    auto selectedSize = Exports().QVRGetSelectedSize;
    auto taskEnum = Exports().TaskEnumProc;
    ASSERT_TRUE(setWindow && selectedSize && taskEnum);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = InstallerWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "QvrTestInstallerWindow";
    RegisterClassA(&wc);
    HWND window =
        CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 9, 9, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    setWindow(window);
    DWORD second = 0;
    EXPECT_EQ(selectedSize(&second), 123456u);
    EXPECT_EQ(second, 789u);
    EXPECT_EQ(selectedSize(nullptr), 123456u);
    setWindow(nullptr); // nobody answers: the zeroed reply block comes back
    EXPECT_EQ(selectedSize(&second), 0u);
    EXPECT_EQ(second, 0u);
    LONG_PTR found = 0x7777; // stops at the first window with an instance
    EXPECT_FALSE(taskEnum(window, reinterpret_cast<LPARAM>(&found)));
    EXPECT_EQ(found, reinterpret_cast<LONG_PTR>(wc.hInstance));
    DestroyWindow(window);
}

TEST_F(FrameTest, SaveAndRestoreNestScripts) {
    auto save = Exports().SaveFunctions;
    auto restore = Exports().RestoreFunctions;
    auto infInit = Exports().InfInit;
    ASSERT_TRUE(save && restore && infInit);
    WriteBytes(dir / "a.inf", "[A]\r\n");
    WriteBytes(dir / "b.inf", "[B]\r\n");
    ScriptContext *first = nullptr, *second = nullptr, *now = nullptr;
    FileService *firstService = nullptr, *service = nullptr;
    ASSERT_EQ(infInit((dir / "a.inf").c_str()), 1);
    save(&first, &firstService);
    ASSERT_TRUE(first && firstService);
    ASSERT_EQ(infInit((dir / "b.inf").c_str()), 1);
    save(&second, &service);
    char* secondImage = second->scriptImage;
    // Restoring deletes the record in between, not its image.
    restore(first, firstService);
    save(&now, &service);
    EXPECT_TRUE(now == first && service == firstService);
    EXPECT_STREQ(now->scriptImage, "[A]");
    EXPECT_STREQ(secondImage, "[B]");
    char* firstImage = first->scriptImage;
    restore(nullptr, nullptr);
    save(&now, &service);
    EXPECT_TRUE(now == nullptr && service == nullptr);
    for (char* image : {firstImage, secondImage}) {
        GlobalUnlock(GlobalHandle(image));
        GlobalFree(GlobalHandle(image));
    }
}

} // namespace
