// fileops/deferred_ops_test.cpp: operations put off to the next restart, on
// the platform Wine reports to this program (copies of it run as Windows 95,
// Windows 3.1 and NT 4.0; the plain program as NT 6.x). Tests for another
// platform skip themselves.
//
// The restart state is shared by every program of the build tree: the
// Windows directory of the prefix ("WININIT.QVR", "_KRBINST.BAT", the
// helpers), the RunOnce key and the pending operations of MoveFileExA. Each
// test saves that state, starts from none of it, and puts it back
// (RestartStateGuard); the copies
// of this program hold a CTest resource lock so that they never overlap.
#include "fileops/deferred_ops.h"
#include "frame/platform.h"
#include "support/restart_state.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using namespace qvrtest;

const char* const kHelpers[] = {"_KRBINST.EXE", "_KRBINST.PIF", "_KRBSHEL.EXE"};

std::string ProgramName() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string name = path;
    return name.substr(name.find_last_of('\\') + 1);
}

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

bool OnNt() {
    return qvr::IsWindowsNT() != FALSE;
}
bool OnWin95() {
    return !OnNt() && qvr::IsVersion4();
}
bool OnOlder() {
    return !OnNt() && !qvr::IsVersion4();
}

class DeferredOpsTest : public FileTest {
  protected:
    std::string windir;
    std::optional<RestartStateGuard> restartState; // only once SetUp got that far

    void SetUp() override {
        char buffer[MAX_PATH];
        UINT n = GetWindowsDirectoryA(buffer, sizeof buffer);
        ASSERT_TRUE(n > 0 && n < sizeof buffer);
        windir = buffer;
        restartState.emplace();
        qvr::ntHelperScheduled = 0;
        qvr::runOnceWritten = 0;
        qvr::wininitHeaderWritten = 0;
        qvr::win95MarkerWritten = 0;
    }
    void TearDown() override {
        restartState.reset();
        FileTest::TearDown();
    }

    std::string Win(const std::string& name) const {
        return windir.back() == '\\' ? windir + name : windir + "\\" + name;
    }
    static std::string Retired(const std::string& helper) { return "~" + helper.substr(1); }
    void MakeHelpers() {
        for (const char* helper : kHelpers)
            WriteBytes(Win(helper), std::string("helper ") + helper);
    }
    // The helper's '_' file is gone and its '~' file holds what it held.
    void ExpectRetired(const char* helper) {
        SCOPED_TRACE(helper);
        EXPECT_FALSE(FileExists(Win(helper)));
        EXPECT_EQ(ReadBytes(Win(Retired(helper))), std::string("helper ") + helper);
    }
    void ExpectNotRetired(const char* helper) {
        SCOPED_TRACE(helper);
        EXPECT_TRUE(FileExists(Win(helper)));
        EXPECT_FALSE(FileExists(Win(Retired(helper))));
    }
    static std::vector<std::string> Pending() { return PendingOperations(); }
    static RestartStateGuard::Value RunOnce() { return RunOnceValue(); }
    std::string Wininit() const { return ReadBytes(Win("WININIT.QVR")); }
    std::string Batch() const { return ReadBytes(Win("_KRBINST.BAT")); }
    bool NothingOutsideNt() const {
        return !FileExists(Win("WININIT.QVR")) && !FileExists(Win("_KRBINST.BAT")) &&
               !RunOnce().present;
    }
};

// The copies of this program really see the platform they are named after;
// otherwise every platform test below would skip and prove nothing.
TEST_F(DeferredOpsTest, ProgramRunsOnItsPlatform) {
    std::string name = ProgramName();
    SCOPED_TRACE(name);
    if (EndsWith(name, "_win95.exe"))
        EXPECT_TRUE(OnWin95());
    else if (EndsWith(name, "_win31.exe"))
        EXPECT_TRUE(OnOlder());
    else
        EXPECT_TRUE(OnNt());
}

// ---- On every platform --------------------------------------------------

TEST_F(DeferredOpsTest, MakeWindowsPathJoinsOrLeavesAlone) {
    char name[qvr::kWindowsPathSize] = "X.TXT";
    ASSERT_TRUE(qvr::MakeWindowsPath(name, sizeof name));
    EXPECT_EQ(std::string(name), Win("X.TXT"));

    // Exactly enough room, and one byte less.
    int exact = static_cast<int>(Win("X.TXT").size()) + 1;
    lstrcpyA(name, "X.TXT");
    EXPECT_TRUE(qvr::MakeWindowsPath(name, exact));
    lstrcpyA(name, "X.TXT");
    EXPECT_FALSE(qvr::MakeWindowsPath(name, exact - 1));
    EXPECT_STREQ(name, "X.TXT");
}

TEST_F(DeferredOpsTest, RetireHelperFileRenamesOnce) {
    WriteBytes(Win("_KRBINST.EXE"), "helper _KRBINST.EXE");
    char name[qvr::kWindowsPathSize] = "_KRBINST.EXE";
    EXPECT_EQ(qvr::RetireHelperFile(name), 1);
    EXPECT_EQ(std::string(name), Win("~KRBINST.EXE"));
    ExpectRetired("_KRBINST.EXE");

    // Nothing left to rename: the '~' path all the same.
    lstrcpyA(name, "_KRBINST.EXE");
    EXPECT_EQ(qvr::RetireHelperFile(name), 0);
    EXPECT_EQ(std::string(name), Win("~KRBINST.EXE"));

    // A '~' file already there is not replaced.
    WriteBytes(Win("_KRBINST.EXE"), "newer");
    lstrcpyA(name, "_KRBINST.EXE");
    EXPECT_EQ(qvr::RetireHelperFile(name), 0);
    EXPECT_EQ(ReadBytes(Win("_KRBINST.EXE")), "newer");
    EXPECT_EQ(ReadBytes(Win("~KRBINST.EXE")), "helper _KRBINST.EXE");
}

TEST_F(DeferredOpsTest, BadPathsScheduleNothing) {
    std::string tooLong = "C:\\" + std::string(257, 'x'); // 260 bytes, no room for the NUL
    std::string longest = "C:\\" + std::string(256, 'x'); // 259 bytes: fits
    struct Row {
        const char* what;
        const char* target;
        const char* replacement;
    } rows[] = {
        {"null target", nullptr, "C:\\APP\\A.DL^"},
        {"empty target", "", "C:\\APP\\A.DL^"},
        {"long target", tooLong.c_str(), "C:\\APP\\A.DL^"},
        {"long replacement", "C:\\APP\\A.DLL", tooLong.c_str()},
        {"long deletion", tooLong.c_str(), nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(qvr::ScheduleReplaceAtRestart(row.target, row.replacement), 0);
        EXPECT_TRUE(Pending().empty());
        EXPECT_FALSE(FileExists(Win("WININIT.QVR")));
        EXPECT_FALSE(FileExists(Win("_KRBINST.BAT")));
        EXPECT_EQ(qvr::win95MarkerWritten, 0);
    }
    EXPECT_EQ(qvr::ScheduleDeleteAtRestartNT(nullptr), 0);
    EXPECT_EQ(qvr::ScheduleDeleteAtRestartNT(""), 0);
    EXPECT_EQ(qvr::ScheduleDeleteAtRestartNT(tooLong.c_str()), 0);
    EXPECT_TRUE(Pending().empty());

    // 259 bytes is still a path.
    EXPECT_NE(qvr::ScheduleDeleteAtRestart(longest.c_str()), 0);
}

// ---- Windows NT ----------------------------------------------------------

class NtDeferredTest : public DeferredOpsTest {
  protected:
    void SetUp() override {
        if (!OnNt())
            GTEST_SKIP() << "Windows NT only";
        DeferredOpsTest::SetUp();
    }
    static std::string Nt(const std::string& path) { return "\\??\\" + path; }
};

TEST_F(NtDeferredTest, ReplacementRegistersHelperDeleteAndRename) {
    MakeHelpers();
    EXPECT_EQ(qvr::ScheduleReplaceAtRestart("C:\\APP\\FOO.DLL", "C:\\APP\\FOO.DL^"), 1);
    std::vector<std::string> expected = {
        Nt(Win("~KRBINST.EXE")), "",                           // the helper, once
        Nt("C:\\APP\\FOO.DLL"),  "",                           // the old file
        Nt("C:\\APP\\FOO.DL^"),  "!" + Nt("C:\\APP\\FOO.DLL"), // the new one takes its name
    };
    EXPECT_EQ(Pending(), expected);
    EXPECT_EQ(qvr::ntHelperScheduled, 1);
    ExpectRetired("_KRBINST.EXE");
    ExpectNotRetired("_KRBINST.PIF"); // NT needs only the one helper
    ExpectNotRetired("_KRBSHEL.EXE");

    // A second replacement and a deletion add only their own entries.
    EXPECT_EQ(qvr::ScheduleReplaceAtRestart("C:\\APP\\BAR.DLL", "C:\\APP\\BAR.DL^"), 1);
    EXPECT_EQ(qvr::ScheduleDeleteAtRestart("C:\\APP\\OLD.DLL"), 1);
    expected.insert(expected.end(), {Nt("C:\\APP\\BAR.DLL"), "", Nt("C:\\APP\\BAR.DL^"),
                                     "!" + Nt("C:\\APP\\BAR.DLL"), Nt("C:\\APP\\OLD.DLL"), ""});
    EXPECT_EQ(Pending(), expected);
    EXPECT_TRUE(NothingOutsideNt());
}

TEST_F(NtDeferredTest, DirectoriesAndPlainDeletions) {
    MakeHelpers();
    // Directories go through ScheduleDeleteAtRestart on NT; this one does nothing.
    EXPECT_EQ(qvr::ScheduleRemoveDirAtRestart("C:\\APP\\DIR", TRUE), 1);
    EXPECT_EQ(qvr::ScheduleRemoveDirAtRestart("C:\\APP\\DIR", FALSE), 1);
    EXPECT_TRUE(Pending().empty());

    // The plain NT deletion leaves the helper alone.
    EXPECT_EQ(qvr::ScheduleDeleteAtRestartNT("C:\\APP\\TMP"), 1);
    EXPECT_EQ(Pending(), (std::vector<std::string>{Nt("C:\\APP\\TMP"), ""}));
    EXPECT_EQ(qvr::ntHelperScheduled, 0);
    ExpectNotRetired("_KRBINST.EXE");
    EXPECT_TRUE(NothingOutsideNt());
}

// The proof that the deferral works: Wine's restart (wineboot -r) carries
// out the pending list, and the replacement takes the target's place.
TEST_F(NtDeferredTest, RestartReplacesTheFile) {
    MakeHelpers();
    std::string target = dir / "FOO.DLL";
    std::string replacement = dir / "FOO.DL^";
    std::string doomed = dir / "OLD.DLL";
    WriteBytes(target, "old content");
    WriteBytes(replacement, "new content");
    WriteBytes(doomed, "to be deleted");
    ASSERT_EQ(qvr::ScheduleReplaceAtRestart(target.c_str(), replacement.c_str()), 1);
    ASSERT_EQ(qvr::ScheduleDeleteAtRestart(doomed.c_str()), 1);
    // Nothing happens before the restart.
    EXPECT_EQ(ReadBytes(target), "old content");
    EXPECT_TRUE(FileExists(replacement));

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    char command[] = "wineboot.exe -r";
    ASSERT_TRUE(CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process))
        << GetLastError();
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    EXPECT_EQ(ReadBytes(target), "new content");
    EXPECT_FALSE(FileExists(replacement));
    EXPECT_FALSE(FileExists(doomed));
    EXPECT_FALSE(FileExists(Win("~KRBINST.EXE"))); // the retired helper went too
    EXPECT_TRUE(Pending().empty());
}

// ---- Windows 95 ------------------------------------------------------------

class Win95DeferredTest : public DeferredOpsTest {
  protected:
    void SetUp() override {
        if (!OnWin95())
            GTEST_SKIP() << "Windows 95 only";
        DeferredOpsTest::SetUp();
    }
};

TEST_F(Win95DeferredTest, FirstReplacementWritesEverythingOnce) {
    MakeHelpers();
    WriteBytes(Win("WININIT.QVR"), "C:\\X=C:\\Y\r\n"); // an earlier run's line stays
    EXPECT_EQ(qvr::ScheduleReplaceAtRestart("C:\\APP\\FOO.DLL", "C:\\APP\\FOO.DL^"), 1);

    std::string wininit =
        "C:\\X=C:\\Y\r\nNUL=" + Win("~KRBINST.EXE") + "\r\nC:\\APP\\FOO.DLL=C:\\APP\\FOO.DL^\r\n";
    EXPECT_EQ(Wininit(), wininit);
    EXPECT_EQ(Batch(), "@echo off\r\nRem  Windows 95\r\n");
    for (const char* helper : kHelpers)
        ExpectRetired(helper);
    RestartStateGuard::Value runOnce = RunOnce();
    EXPECT_TRUE(runOnce.present);
    EXPECT_EQ(runOnce.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(runOnce.data, Win("~KRBSHEL.EXE") + '\0');
    EXPECT_TRUE(Pending().empty());

    // The second one appends only its own line.
    ClearRunOnceValue();
    EXPECT_EQ(qvr::ScheduleReplaceAtRestart("C:\\APP\\BAR.DLL", "C:\\APP\\BAR.DL^"), 1);
    EXPECT_EQ(Wininit(), wininit + "C:\\APP\\BAR.DLL=C:\\APP\\BAR.DL^\r\n");
    EXPECT_EQ(Batch(), "@echo off\r\nRem  Windows 95\r\n");
    EXPECT_FALSE(RunOnce().present);
}

TEST_F(Win95DeferredTest, DeletionsAndDirectories) {
    WriteBytes(Win("_KRBINST.BAT"), "rem kept\r\n");
    EXPECT_EQ(qvr::ScheduleDeleteAtRestart("C:\\APP\\OLD.DLL"), 1);
    EXPECT_EQ(qvr::ScheduleRemoveDirAtRestart("C:\\APP\\TREE", TRUE), 1);
    EXPECT_EQ(qvr::ScheduleRemoveDirAtRestart("C:\\APP\\EMPTY", FALSE), 1);
    EXPECT_EQ(Wininit(), "NUL=" + Win("~KRBINST.EXE") +
                             "\r\nNUL=C:\\APP\\OLD.DLL\r\nNUL=C:\\APP\\TREE\r\n"
                             "NUL=C:\\APP\\EMPTY\r\n");
    EXPECT_EQ(Batch(), "rem kept\r\nRem  Windows 95\r\nDelTree /Y  C:\\APP\\TREE\r\n"
                       "Rmdir  C:\\APP\\EMPTY\r\n");
    // No helper files: the renames fail and the '~' names are written anyway.
    EXPECT_EQ(RunOnce().data, Win("~KRBSHEL.EXE") + '\0');

    // The NT-only deletion does nothing here.
    std::string before = Wininit();
    EXPECT_EQ(qvr::ScheduleDeleteAtRestartNT("C:\\APP\\OLD.DLL"), 0);
    EXPECT_EQ(Wininit(), before);
    EXPECT_TRUE(Pending().empty());
}

TEST_F(Win95DeferredTest, WininitInUse) {
    // The file is opened without sharing for one append: while someone else
    // holds it, that append fails. The header flag is set before the write,
    // so the helper's line does not come back with the next append.
    HANDLE held = CreateFileA(Win("WININIT.QVR").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    qvr::Win95DeferredOp* op = qvr::Win95DeferredOp::Make("C:\\A.DLL", "C:\\A.DL^");
    ASSERT_NE(op, nullptr);
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(op->Run(), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    delete op;
    CloseHandle(held);
    EXPECT_EQ(qvr::wininitHeaderWritten, 1);
    EXPECT_EQ(Wininit(), "");

    EXPECT_EQ(qvr::ScheduleReplaceAtRestart("C:\\B.DLL", "C:\\B.DL^"), 1);
    EXPECT_EQ(Wininit(), "C:\\B.DLL=C:\\B.DL^\r\n");
}

// ---- Windows 3.1 and older -------------------------------------------------

class BatchDeferredTest : public DeferredOpsTest {
  protected:
    void SetUp() override {
        if (!OnOlder())
            GTEST_SKIP() << "Windows before 95 only";
        DeferredOpsTest::SetUp();
    }
};

TEST_F(BatchDeferredTest, ReplacementBecomesCopyAndDel) {
    MakeHelpers();
    EXPECT_EQ(qvr::ScheduleReplaceAtRestart("C:\\APP\\FOO.DLL", "C:\\APP\\FOO.DL^"), 1);
    EXPECT_EQ(Batch(), "@echo off\r\nCopy C:\\APP\\FOO.DL^ C:\\APP\\FOO.DLL\r\n"
                       "Del  C:\\APP\\FOO.DL^\r\n");
    for (const char* helper : kHelpers)
        ExpectRetired(helper);
    EXPECT_FALSE(FileExists(Win("WININIT.QVR")));
    EXPECT_FALSE(RunOnce().present);
    EXPECT_TRUE(Pending().empty());
    EXPECT_EQ(qvr::win95MarkerWritten, 0);
}

TEST_F(BatchDeferredTest, DeletionsAndDirectoriesAppend) {
    WriteBytes(Win("_KRBINST.BAT"), "@echo off\r\nrem from before\r\n");
    EXPECT_EQ(qvr::ScheduleDeleteAtRestart("C:\\APP\\OLD.DLL"), 1);
    EXPECT_EQ(qvr::ScheduleRemoveDirAtRestart("C:\\APP\\TREE", TRUE), 1);
    EXPECT_EQ(qvr::ScheduleRemoveDirAtRestart("C:\\APP\\EMPTY", FALSE), 1);
    EXPECT_EQ(qvr::ScheduleDeleteAtRestartNT("C:\\APP\\OLD.DLL"), 0);
    EXPECT_EQ(Batch(), "@echo off\r\nrem from before\r\nDel  C:\\APP\\OLD.DLL\r\n"
                       "DelTree /Y  C:\\APP\\TREE\r\nRmdir  C:\\APP\\EMPTY\r\n");
    EXPECT_FALSE(FileExists(Win("WININIT.QVR")));
    EXPECT_FALSE(RunOnce().present);
}

TEST_F(BatchDeferredTest, BatchFileThatCannotBeWritten) {
    // A directory in the batch file's place: it exists but cannot be opened
    // as a file, and nothing else is touched.
    ASSERT_TRUE(CreateDirectoryA(Win("_KRBINST.BAT").c_str(), nullptr));
    int result = qvr::ScheduleDeleteAtRestart("C:\\APP\\OLD.DLL");
    RemoveDirectoryA(Win("_KRBINST.BAT").c_str());
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(FileExists(Win("WININIT.QVR")));
}

} // namespace
