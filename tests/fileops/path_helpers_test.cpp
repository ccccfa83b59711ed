// fileops/path_helpers_test.cpp: splitting paths, network paths, directory
// creation with the drive veto, and the directory exports. The DoubleByte
// tests also run with code page 932.
#include "fileops/fileops_test.h"
#include "fileops/path_helpers.h"
#include "support/exports.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

namespace {

using namespace qvrtest;

// The file name part of `path`, written into a buffer of 0xCC bytes, and
// whether the helper wrote past the terminator; also done in place.
void ExpectFileNamePart(const char* path, const char* name) {
    char out[300];
    std::memset(out, 0xCC, sizeof out);
    EXPECT_EQ(qvr::GetFileNamePart(out, path), out);
    EXPECT_STREQ(out, name);
    EXPECT_EQ(static_cast<unsigned char>(out[std::strlen(name) + 1]), 0xCC);
    std::strcpy(out, path);
    EXPECT_STREQ(qvr::GetFileNamePart(out, out), name);
}

class PathHelpersTest : public FileTest {};

TEST_F(PathHelpersTest, FileNamePartAndNetworkPaths) {
    const struct {
        const char* path;
        int separator; // offset of the last separator, -1 for none
        const char* name;
        int unc, serverVolume;
    } rows[] = {{"C:FILE", 1, "FILE", 0, 0},
                {"C:\\DIR\\FILE.TXT", 6, "FILE.TXT", 0, 0},
                {"FILE.TXT", -1, "FILE.TXT", 0, 0},
                {"C:\\DIR\\", 6, "", 0, 0},
                {"\\\\server\\share", 8, "share", 1, 0},
                {"\\\\\\server", 2, "server", 0, 0},
                {"\\\\server\\\\share", 9, "share", 0, 0},
                {"SERVER\\SYS:APPS", 10, "APPS", 0, 1},
                {"SERVER/SYS:", 10, "", 0, 1},
                {"SERVER\\SYS\\APPS:", 15, "", 0, 0},
                {"SERVER\\:APPS", 7, "APPS", 0, 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        const char* separator = qvr::FindLastSeparator(row.path);
        EXPECT_EQ(separator ? separator - row.path : -1, row.separator);
        ExpectFileNamePart(row.path, row.name);
        EXPECT_EQ(qvr::IsUNCPath(row.path), row.unc);
        EXPECT_EQ(qvr::IsServerVolumePath(row.path), row.serverVolume);
        EXPECT_EQ(qvr::IsNetworkPath(row.path), row.unc | row.serverVolume);
    }
    EXPECT_EQ(qvr::FindLastSeparator(static_cast<const char*>(nullptr)), nullptr);
    EXPECT_EQ(qvr::IsNetworkPath(nullptr), 0);
    char joined[32] = "C:\\APP";
    EXPECT_STREQ(qvr::AppendPathComponent(joined, "BIN"), "C:\\APP\\BIN");
    EXPECT_STREQ(qvr::AppendPathComponent(qvr::AddTrailingBackslash(joined), "X"),
                 "C:\\APP\\BIN\\X");
    char empty[8] = "";
    EXPECT_STREQ(qvr::AppendPathComponent(empty, "BIN"), "BIN"); // not "\BIN"
}

// Run by the path_test_cp932 entry, whose Wine process gets code page 932;
// that entry also sets QVR_EXPECT_ACP, so there a wrong code page fails.
class DoubleByteTest : public FileTest {
  protected:
    void SetUp() override {
        const UINT acp = GetACP();
        if (acp == 932)
            return;
        const char* expected = std::getenv("QVR_EXPECT_ACP");
        ASSERT_EQ(expected, nullptr) << "code page " << acp << " instead of " << expected;
        GTEST_SKIP() << "ANSI code page is " << acp << "; run with LC_ALL=ja_JP.UTF-8 for 932";
    }
};

// Shift-JIS characters whose trail byte is 0x5C, the code of '\'.
#define HYOU "\x95\x5C"
#define SO "\x83\x5C"

TEST_F(DoubleByteTest, TrailByteIsNeverASeparator) {
    ASSERT_TRUE(IsDBCSLeadByte(0x95));
    EXPECT_EQ(qvr::CountPathChars("C:\\" HYOU SO), 5);
    EXPECT_EQ(qvr::GetLastCharPtr("AB" HYOU) - "AB" HYOU, 2);
    ExpectFileNamePart(HYOU, HYOU);
    ExpectFileNamePart("C:\\DIR\\" HYOU, HYOU);
    ExpectFileNamePart("C:\\" SO HYOU ".TXT", SO HYOU ".TXT");
    ExpectFileNamePart("C:" HYOU, HYOU);
    char joined[32] = "C:\\" HYOU;
    EXPECT_STREQ(qvr::AddTrailingBackslash(joined), "C:\\" HYOU "\\");
    char appended[32] = "C:\\" SO;
    EXPECT_STREQ(qvr::AppendPathComponent(appended, "A"), "C:\\" SO "\\A");
    // A trail byte followed by a real backslash is not a doubled backslash.
    EXPECT_EQ(qvr::IsUNCPath("\\\\srv\\" HYOU "\\x"), 1);
    EXPECT_EQ(qvr::IsUNCPath("\\\\srv\\" HYOU "\\\\x"), 0);

    EXPECT_EQ(qvr::CreateDirLevels((dir / HYOU "\\" SO "\\" HYOU).c_str()), 0);
    EXPECT_EQ(Listing(dir.path()),
              (std::set<std::string>{HYOU, HYOU "\\" SO, HYOU "\\" SO "\\" HYOU}));
}

// The installer's window as the tests play it: answers WM_COMMAND 507 by
// recording the drive letter it is shown and writing `vetoAnswer` back.
int32_t vetoAnswer, vetoSeenDrive, vetoMessages;

LRESULT CALLBACK VetoProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_COMMAND || wParam != 507)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    ++vetoMessages;
    int32_t* cell = reinterpret_cast<int32_t*>(lParam);
    vetoSeenDrive = *cell;
    *cell = vetoAnswer;
    return 0;
}

TEST_F(PathHelpersTest, CreateDirResultsAndDriveVeto) {
    auto createDir = Exports().QVRCreateDir;
    ASSERT_NE(createDir, nullptr);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = VetoProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "QvrVetoWindow";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA("QvrVetoWindow", "installer", 0, 0, 0, 10, 10, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    char saved[MAX_PATH];
    GetCurrentDirectoryA(sizeof saved, saved);
    ASSERT_TRUE(SetCurrentDirectoryA(dir.path().c_str()));
    WriteBytes(dir / "file", "x");
    // One byte too many for the 512-byte work buffers with the terminator.
    std::string tooLong = dir.path();
    while (tooLong.size() < 500)
        tooLong += "\\x";
    tooLong.append(512 - tooLong.size(), 'y');
    const struct {
        std::string path;
        int32_t answer; // -1: no window
        int result;
        int32_t drive;                       // letter the window is shown, 0 for no question
    } rows[] = {{dir / "A\\B\\C", -1, 0, 0}, // level by level
                {dir / "A\\B\\C", -1, 0, 0}, // exists already
                {dir / "A\\X\\Y\\", -1, 0, 0},
                {dir / "R\\\\S", -1, 0, 0},
                {dir / "file\\SUB", -1, 2, 0},
                {"", 8, 2, 0},
                {"C:\\", 0, 3, 'C'},
                {"c" + (dir / "VETOED").substr(1), 8, 1, 'C'},
                {dir / "SEVEN", 7, 0, 'C'},
                {"C:\\", 8, 1, 'C'},
                {"relative", 8, 0, 'R'}, // a veto does not count without a drive in the path
                // Never asked about a network path, nor cut into a relative
                // directory at its volume's ':'.
                {"SRV\\SYS:APPS\\X", 8, 2, 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path.substr(0, 80));
        vetoAnswer = row.answer;
        vetoSeenDrive = vetoMessages = 0;
        EXPECT_EQ(createDir(row.answer < 0 ? nullptr : window, row.path.c_str()), row.result);
        EXPECT_EQ(vetoMessages, row.drive ? 1 : 0);
        EXPECT_EQ(vetoSeenDrive, row.drive);
    }
    EXPECT_EQ(createDir(nullptr, tooLong.c_str()), 2);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_EQ(Listing(dir.path()),
              (std::set<std::string>{"A", "A\\B", "A\\B\\C", "A\\X", "A\\X\\Y", "R", "R\\S",
                                     "SEVEN", "file", "relative"}));
    DestroyWindow(window);
    SetCurrentDirectoryA(saved);
}

// The directory test keeps the reason of a failure (that it goes back to the
// current directory shows in CreateDir's relative row); a buffer too small
// for an answer is left empty.
TEST_F(PathHelpersTest, DirectoryExportsKeepStateAndRefuseSmallBuffers) {
    auto isValidDir = Exports().QVRIsValidDir;
    auto currentDir = Exports().QVRGetCurrentDirectory;
    auto shortName = Exports().QVRGetNonLFNName;
    ASSERT_TRUE(isValidDir && currentDir && shortName);
    SetLastError(0);
    EXPECT_EQ(isValidDir((dir / "missing").c_str()), FALSE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    char buffer[MAX_PATH];
    for (int which = 0; which < 2; ++which) {
        std::memset(buffer, 0xCC, sizeof buffer);
        EXPECT_EQ(which ? shortName(dir.path().c_str(), buffer, 4) : currentDir(0, buffer, 4), 1);
        EXPECT_EQ(buffer[0], '\0');
        EXPECT_EQ(static_cast<unsigned char>(buffer[4]), 0xCC);
    }
}

} // namespace
