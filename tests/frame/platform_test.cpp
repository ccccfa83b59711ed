// frame/platform_test.cpp: the platform test, run as copies of this program
// to which Wine reports Windows 95, 3.1 and NT 4.0 (by program name).
#include "frame/platform.h"
#include "support/message_boxes.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string ProgramName() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string name = path;
    return name.substr(name.find_last_of('\\') + 1);
}

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(PlatformTest, AnswersMatchTheReportedWindows) {
    std::string name = ProgramName();
    DWORD version = GetVersion();
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info));
    SCOPED_TRACE(name);

    if (EndsWith(name, "_win95.exe")) {
        ASSERT_EQ(info.dwPlatformId, 1u) << "Wine did not report Windows 95";
        EXPECT_FALSE(qvr::IsWindowsNT());
        EXPECT_TRUE(qvr::IsVersion4());
        EXPECT_TRUE(qvr::UsesAnsiPaths());
    } else if (EndsWith(name, "_win31.exe")) {
        ASSERT_EQ(version & 0xFFFF, 0x0A03u) << "Wine did not report Windows 3.10";
        EXPECT_FALSE(qvr::IsWindowsNT());
        EXPECT_FALSE(qvr::IsVersion4());
        EXPECT_FALSE(qvr::UsesAnsiPaths());
    } else if (EndsWith(name, "_nt40.exe")) {
        ASSERT_EQ(info.dwPlatformId, 2u);
        ASSERT_EQ(version & 0xFF, 4u);
        EXPECT_TRUE(qvr::IsWindowsNT());
        EXPECT_TRUE(qvr::IsVersion4());
        EXPECT_TRUE(qvr::UsesAnsiPaths());
    } else {
        // Wine's default: NT 6.x or later.
        EXPECT_TRUE(qvr::IsWindowsNT());
        EXPECT_FALSE(qvr::IsVersion4());
        EXPECT_TRUE(qvr::UsesAnsiPaths());
    }
}

} // namespace
