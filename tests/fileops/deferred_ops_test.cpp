// fileops/deferred_ops_test.cpp: operations put off to the next restart, on
// the platform Wine reports to this program (copies run as Windows 95,
// Windows 3.1 and NT 4.0; the plain program as NT 6.x). Tests for another
// platform skip themselves; the restart itself is run by copy_tree_test.
#include "fileops/copy_tree.h"
#include "fileops/fileops_test.h"
#include "frame/platform.h"
#include "support/tree_area.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace qvrtest;

const char* const kHelpers[] = {"_KRBINST.EXE", "_KRBINST.PIF", "_KRBSHEL.EXE"};

bool OnNt() {
    return qvr::IsWindowsNT() != FALSE;
}
bool OnWin95() {
    return !OnNt() && qvr::IsVersion4();
}

class DeferredOpsTest : public RestartTest {
  protected:
    static void MakeHelpers() {
        for (const char* helper : kHelpers)
            WriteBytes(WindowsPath(helper), helper);
    }
    // Whether each helper was renamed to its '~' name.
    static void ExpectRetired(bool retired, const char* helper) {
        std::string renamed = WindowsPath("~" + std::string(helper + 1));
        EXPECT_EQ(FileExists(WindowsPath(helper)), !retired) << helper;
        EXPECT_EQ(ReadBytes(renamed), retired ? helper : "") << helper;
    }
    static std::string Wininit() { return ReadBytes(WindowsPath("WININIT.QVR")); }
    static std::string Batch() { return ReadBytes(WindowsPath("_KRBINST.BAT")); }
};

// The copies really see the platform they are named after; otherwise every
// platform test below would skip.
TEST_F(DeferredOpsTest, ProgramRunsOnItsPlatform) {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    const std::string name = path;
    const bool named95 = name.find("_win95.exe") != std::string::npos;
    const bool named31 = name.find("_win31.exe") != std::string::npos;
    EXPECT_EQ(OnNt() ? 0 : OnWin95() ? 95 : 31, named95 ? 95 : named31 ? 31 : 0) << name;
}

TEST_F(DeferredOpsTest, PathLengthsAndBadPaths) {
    char name[qvr::kWindowsPathSize] = "X.TXT";
    const int exact = static_cast<int>(WindowsPath("X.TXT").size()) + 1;
    EXPECT_FALSE(qvr::MakeWindowsPath(name, exact - 1));
    EXPECT_STREQ(name, "X.TXT");
    EXPECT_TRUE(qvr::MakeWindowsPath(name, exact));
    EXPECT_EQ(name, WindowsPath("X.TXT"));

    const std::string tooLong = "C:\\" + std::string(257, 'x'); // no room for the NUL
    EXPECT_EQ(qvr::ScheduleReplaceAtRestart(nullptr, "C:\\APP\\A.DL^"), 0);
    EXPECT_EQ(qvr::ScheduleReplaceAtRestart("C:\\APP\\A.DLL", tooLong.c_str()), 0);
    EXPECT_EQ(qvr::ScheduleDeleteAtRestartNT(""), 0);
    EXPECT_EQ(qvr::ScheduleDeleteAtRestart(tooLong.c_str()), 0);
    EXPECT_TRUE(PendingOperations().empty());
    EXPECT_FALSE(FileExists(WindowsPath("WININIT.QVR")) || FileExists(WindowsPath("_KRBINST.BAT")));
    EXPECT_EQ(qvr::win95MarkerWritten, 0);
    // One byte shorter still fits.
    EXPECT_NE(qvr::ScheduleDeleteAtRestart(tooLong.substr(0, 259).c_str()), 0);
}

TEST_F(DeferredOpsTest, NtPendingOperations) {
    if (!OnNt())
        GTEST_SKIP() << "Windows NT only";
    MakeHelpers();
    // Directories go through ScheduleDeleteAtRestart on NT: this does nothing.
    EXPECT_EQ(qvr::ScheduleRemoveDirAtRestart("C:\\APP\\DIR", TRUE), 1);
    // The plain NT deletion leaves the helper alone; the first other
    // operation retires it and schedules its deletion. (Replacements: see
    // copy_tree_test.)
    EXPECT_EQ(qvr::ScheduleDeleteAtRestartNT("C:\\APP\\TMP"), 1);
    EXPECT_EQ(qvr::ScheduleDeleteAtRestart("C:\\APP\\OLD.DLL"), 1);
    EXPECT_EQ(PendingOperations(), (std::vector<std::string>{NtPath("C:\\APP\\TMP"), "",
                                                             NtPath(WindowsPath("~KRBINST.EXE")),
                                                             "", NtPath("C:\\APP\\OLD.DLL"), ""}));
    ExpectRetired(true, "_KRBINST.EXE");
    ExpectRetired(false, "_KRBINST.PIF"); // NT needs only the one helper
    ExpectRetired(false, "_KRBSHEL.EXE");
    EXPECT_TRUE(Wininit().empty() && Batch().empty() && !RunOnceValue().present);
}

// Files go to WININIT.QVR; directories also to the batch file, a tree whole
// when a file in it is in use. RunOnce starts the shell helper.
TEST_F(DeferredOpsTest, Win95WritesWininitBatchAndRunOnce) {
    if (!OnWin95())
        GTEST_SKIP() << "Windows 95 only";
    MakeHelpers();
    // A '~' helper already there is not replaced; its path is used all the same.
    WriteBytes(WindowsPath("~KRBSHEL.EXE"), "first");
    WriteBytes(WindowsPath("WININIT.QVR"), "C:\\X=C:\\Y\r\n"); // an earlier run's line stays
    WriteBytes(WindowsPath("_KRBINST.BAT"), "rem kept\r\n");
    EXPECT_EQ(qvr::ScheduleReplaceAtRestart("C:\\APP\\FOO.DLL", "C:\\APP\\FOO.DL^"), 1);
    ExpectRetired(true, "_KRBINST.EXE");
    ExpectRetired(true, "_KRBINST.PIF");
    EXPECT_EQ(ReadBytes(WindowsPath("_KRBSHEL.EXE")), "_KRBSHEL.EXE");
    EXPECT_EQ(ReadBytes(WindowsPath("~KRBSHEL.EXE")), "first");
    const RestartStateGuard::Value runOnce = RunOnceValue();
    EXPECT_EQ(runOnce.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(runOnce.data, WindowsPath("~KRBSHEL.EXE") + '\0');

    // Later operations append only their own lines; RunOnce is written once.
    ClearRunOnceValue();
    const std::string root = dir / "tree", held = root + "\\held.dll";
    MakeDirs({root});
    WriteBytes(held, "held");
    EXPECT_EQ(CallTreeOp(qvr::RemoveTempDirAtRestartNT, root.c_str()), 0); // NT only
    {
        qvr::FileHandle holder = HoldOpen(held);
        ASSERT_TRUE(holder);
        EXPECT_EQ(CallTreeOp(qvr::DeleteTree, root.c_str(), ResolvedIn::WindowsDirectory), 1000);
    }
    EXPECT_EQ(CallTreeOp(qvr::TryRemoveDir, root.c_str()), 1000);
    EXPECT_EQ(qvr::ScheduleDeleteAtRestart("C:\\APP\\OLD.DLL"), 1);
    EXPECT_EQ(qvr::ScheduleDeleteAtRestartNT("C:\\APP\\OLD.DLL"), 0);
    EXPECT_FALSE(RunOnceValue().present);
    const std::string r = ShortForm(root);
    EXPECT_EQ(Wininit(), "C:\\X=C:\\Y\r\nNUL=" + WindowsPath("~KRBINST.EXE") +
                             "\r\nC:\\APP\\FOO.DLL=C:\\APP\\FOO.DL^\r\nNUL=" + ShortForm(held) +
                             "\r\nNUL=" + r + "\r\nNUL=" + r + "\r\nNUL=C:\\APP\\OLD.DLL\r\n");
    EXPECT_EQ(Batch(),
              "rem kept\r\nRem  Windows 95\r\nDelTree /Y  " + r + "\r\nRmdir  " + r + "\r\n");
    EXPECT_TRUE(PendingOperations().empty());
}

TEST_F(DeferredOpsTest, OlderWindowsWritesBatchFile) {
    if (OnNt() || OnWin95())
        GTEST_SKIP() << "Windows before 95 only";
    MakeHelpers();
    EXPECT_EQ(qvr::ScheduleReplaceAtRestart("C:\\APP\\FOO.DLL", "C:\\APP\\FOO.DL^"), 1);
    EXPECT_EQ(qvr::ScheduleDeleteAtRestart("C:\\APP\\OLD.DLL"), 1);
    EXPECT_EQ(qvr::ScheduleRemoveDirAtRestart("C:\\APP\\TREE", TRUE), 1);
    EXPECT_EQ(qvr::ScheduleRemoveDirAtRestart("C:\\APP\\EMPTY", FALSE), 1);
    EXPECT_EQ(Batch(), "@echo off\r\nCopy C:\\APP\\FOO.DL^ C:\\APP\\FOO.DLL\r\n"
                       "Del  C:\\APP\\FOO.DL^\r\nDel  C:\\APP\\OLD.DLL\r\n"
                       "DelTree /Y  C:\\APP\\TREE\r\nRmdir  C:\\APP\\EMPTY\r\n");
    for (const char* helper : kHelpers)
        ExpectRetired(true, helper);
    EXPECT_FALSE(FileExists(WindowsPath("WININIT.QVR")) || RunOnceValue().present);
    EXPECT_TRUE(PendingOperations().empty());
}

} // namespace
