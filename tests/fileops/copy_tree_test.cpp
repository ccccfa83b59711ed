// fileops/copy_tree_test.cpp: copying, deleting and removing files and trees,
// LZ expansion, and what is put off to the restart when a file is in use.
// The plain program runs as Windows NT; a copy runs as Windows 95, where the
// NT-only tests skip themselves and the Windows 95 ones run.
//
// Restart state (pending moves, the Windows directory's restart files, the
// RunOnce value) is shared with the other programs of the build tree: each
// test saves it, starts from none of it and puts it back.
#include "fileops/copy_tree.h"
#include "fileops/deferred_ops.h"
#include "frame/platform.h"
#include "support/dll.h"
#include "support/restart_state.h"
#include "support/temp_dir.h"
#include "util/unique.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace qvrtest;

using TwoPathFn = int(WINAPI*)(LPCSTR, LPCSTR);
using OnePathFn = int(WINAPI*)(LPCSTR);

std::string CurrentDirectory() {
    char path[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof path, path);
    return path;
}

std::string ShortForm(const std::string& path) {
    char buffer[MAX_PATH];
    DWORD n = GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
    return n > 0 && n < sizeof buffer ? std::string(buffer) : path;
}

bool DirExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Every file and directory under `root`, as relative paths.
std::set<std::string> Listing(const std::string& root, const std::string& prefix = "") {
    std::set<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((root + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..")
            continue;
        names.insert(prefix + name);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            for (const std::string& inner : Listing(root + "\\" + name, prefix + name + "\\"))
                names.insert(inner);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return names;
}

// Opens `path` without sharing, as another program using the file would.
qvr::FileHandle HoldOpen(const std::string& path) {
    return qvr::FileHandle(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
}

class CopyTreeTest : public FileTest {
  protected:
    TwoPathFn copyFile = Export<TwoPathFn>("_QVRCopyFile@8");
    OnePathFn deleteFile = Export<OnePathFn>("_QVRDeleteFile@4");
    OnePathFn delTree = Export<OnePathFn>("_QVRDelTree@4");
    TwoPathFn dumpDirectory = Export<TwoPathFn>("_QVRDumpDirectory@8");
    OnePathFn remTempDirNt = Export<OnePathFn>("_InstRemTempDirNT@4");
    OnePathFn tryRemoveDir = Export<OnePathFn>("_QVRTryRemoveDir@4");

    std::optional<RestartStateGuard> restartState;
    std::string savedCurrent = CurrentDirectory();

    void SetUp() override {
        ASSERT_TRUE(copyFile && deleteFile && delTree && dumpDirectory && remTempDirNt &&
                    tryRemoveDir);
        restartState.emplace();
        qvr::ntHelperScheduled = 0;
        qvr::runOnceWritten = 0;
        qvr::wininitHeaderWritten = 0;
        qvr::win95MarkerWritten = 0;
    }
    void TearDown() override {
        restartState.reset();
        EXPECT_EQ(CurrentDirectory(), savedCurrent);
        SetCurrentDirectoryA(savedCurrent.c_str());
        FileTest::TearDown();
    }

    // The pending operations without the restart helper's deletion.
    static std::vector<std::string> PendingWithoutHelper() {
        std::vector<std::string> all = PendingOperations();
        std::vector<std::string> out;
        for (size_t i = 0; i + 1 < all.size(); i += 2) {
            if (all[i] == NtPath(WindowsPath("~KRBINST.EXE")))
                continue;
            out.push_back(all[i]);
            out.push_back(all[i + 1]);
        }
        return out;
    }
};

class NtCopyTreeTest : public CopyTreeTest {
  protected:
    void SetUp() override {
        if (!qvr::IsWindowsNT())
            GTEST_SKIP() << "Windows NT only";
        CopyTreeTest::SetUp();
    }
};

// The once-per-process flags that these tests reset are the test program's
// own: the Windows 95 tests call the internal functions, not the DLL.
class Win95CopyTreeTest : public CopyTreeTest {
  protected:
    void SetUp() override {
        if (qvr::IsWindowsNT() || !qvr::IsVersion4())
            GTEST_SKIP() << "Windows 95 only";
        CopyTreeTest::SetUp();
    }
};

// The copy named for Windows 95 really runs as Windows 95; otherwise its
// platform tests would all skip and prove nothing.
TEST_F(CopyTreeTest, ProgramRunsOnItsPlatform) {
    char program[MAX_PATH];
    GetModuleFileNameA(nullptr, program, sizeof program);
    const bool named95 = std::string(program).find("_win95.exe") != std::string::npos;
    EXPECT_EQ(!qvr::IsWindowsNT() && qvr::IsVersion4(), named95) << program;
}

// ---- The in-use test -------------------------------------------------------

TEST_F(CopyTreeTest, InUseByTheErrorCodeBits) {
    std::string closed = dir / "closed.txt";
    std::string held = dir / "held.txt";
    std::string readOnly = dir / "readonly.txt";
    WriteBytes(closed, "a");
    WriteBytes(held, "b");
    WriteBytes(readOnly, "c");
    ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    qvr::FileHandle holder = HoldOpen(held);
    ASSERT_TRUE(holder);

    // Windows refuses to open a read-only file for writing; Wine running as
    // root opens it. The answer follows what the platform does.
    const bool readOnlyOpens = qvr::FileHandle(CreateFileA(readOnly.c_str(), GENERIC_WRITE, 0,
                                                           nullptr, OPEN_EXISTING, 0, nullptr))
                                   .valid();
    const struct {
        std::string path;
        int expected;
    } rows[] = {
        {closed, 0},
        {dir / "missing.txt", 0},          // ERROR_FILE_NOT_FOUND: no bit of 0x25
        {dir / "no\\such\\file.txt", 1},   // ERROR_PATH_NOT_FOUND (3) shares bit 0x01
        {held, 1},                         // ERROR_SHARING_VIOLATION
        {dir.path(), 1},                   // a directory: ERROR_ACCESS_DENIED
        {readOnly, readOnlyOpens ? 0 : 1}, // access denied on Windows
        {dir / std::string(300, 'x'), 1},  // ERROR_FILENAME_EXCED_RANGE (0xCE) has bit 4
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(qvr::IsFileInUse(row.path.c_str()), row.expected);
    }
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// ---- Copy and delete ---------------------------------------------------------

TEST_F(CopyTreeTest, CopyAndDeleteWithoutAnythingInUse) {
    std::string source = dir / "source.bin";
    std::string content("new\0content\r\n", 13);
    WriteBytes(source, content);
    WriteBytes(dir / "existing.bin", "old");
    WriteBytes(dir / "doomed.bin", "x");

    struct Row {
        const char* what;
        std::function<int(const std::string&)> call;
        std::string path;
        int expected;
        DWORD error; // checked when the result is 0
        bool existsAfter;
    };
    auto copyTo = [&](const std::string& p) { return copyFile(p.c_str(), source.c_str()); };
    auto remove = [&](const std::string& p) { return deleteFile(p.c_str()); };
    const Row rows[] = {
        {"copy to a new name", copyTo, dir / "fresh.bin", 1, 0, true},
        {"copy over an existing file", copyTo, dir / "existing.bin", 1, 0, true},
        {"copy into a missing directory", copyTo, dir / "none\\x.bin", 0, ERROR_PATH_NOT_FOUND,
         false},
        {"delete a file", remove, dir / "doomed.bin", 1, 0, false},
        {"delete a missing file", remove, dir / "missing.bin", 0, ERROR_FILE_NOT_FOUND, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SetLastError(0xDEADBEEF);
        EXPECT_EQ(row.call(row.path), row.expected);
        if (row.expected == 0) {
            EXPECT_EQ(GetLastError(), row.error);
        }
        EXPECT_EQ(FileExists(row.path), row.existsAfter);
        if (row.existsAfter) {
            EXPECT_EQ(ReadBytes(row.path), content);
        }
    }
    // Nothing appeared besides what the rows made, no '^' temporary.
    EXPECT_EQ(Listing(dir.path()),
              (std::set<std::string>{"source.bin", "fresh.bin", "existing.bin"}));
    EXPECT_TRUE(PendingOperations().empty());
}

TEST_F(CopyTreeTest, NullEmptyAndMissingArguments) {
    std::string source = dir / "source.bin";
    WriteBytes(source, "data");
    const std::string d = dir / "d";
    const std::string nope = dir / "nope";
    // error 0: any reason will do, as long as one is left.
    const struct {
        const char* what;
        std::function<int()> call;
        DWORD error;
    } rows[] = {
        {"copy to null", [&] { return copyFile(nullptr, source.c_str()); },
         ERROR_INVALID_PARAMETER},
        {"copy to empty", [&] { return copyFile("", source.c_str()); }, ERROR_INVALID_PARAMETER},
        {"copy from null", [&] { return copyFile(d.c_str(), nullptr); }, ERROR_INVALID_PARAMETER},
        {"copy from empty", [&] { return copyFile(d.c_str(), ""); }, ERROR_INVALID_PARAMETER},
        {"copy from missing", [&] { return copyFile(d.c_str(), nope.c_str()); },
         ERROR_FILE_NOT_FOUND},
        {"delete null", [&] { return deleteFile(nullptr); }, ERROR_INVALID_PARAMETER},
        {"delete empty", [&] { return deleteFile(""); }, ERROR_INVALID_PARAMETER},
        {"deltree null", [&] { return delTree(nullptr); }, ERROR_INVALID_PARAMETER},
        {"deltree empty", [&] { return delTree(""); }, ERROR_INVALID_PARAMETER},
        {"deltree missing", [&] { return delTree(nope.c_str()); }, 0},
        {"deltree of a file", [&] { return delTree(source.c_str()); }, 0},
        {"dump from null", [&] { return dumpDirectory(nullptr, d.c_str()); },
         ERROR_INVALID_PARAMETER},
        {"dump from empty", [&] { return dumpDirectory("", d.c_str()); }, ERROR_INVALID_PARAMETER},
        {"dump to empty", [&] { return dumpDirectory(dir.path().c_str(), ""); },
         ERROR_INVALID_PARAMETER},
        {"temp dir empty", [&] { return remTempDirNt(""); }, ERROR_INVALID_PARAMETER},
        {"try remove null", [&] { return tryRemoveDir(nullptr); }, ERROR_INVALID_PARAMETER},
        {"try remove empty", [&] { return tryRemoveDir(""); }, ERROR_INVALID_PARAMETER},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        SetLastError(0xDEADBEEF);
        EXPECT_EQ(row.call(), 0);
        if (row.error != 0) {
            EXPECT_EQ(GetLastError(), row.error);
        } else {
            EXPECT_NE(GetLastError(), 0xDEADBEEFu);
        }
    }
    EXPECT_TRUE(FileExists(source)) << "deltree of a file must not delete it";
    EXPECT_EQ(Listing(dir.path()), (std::set<std::string>{"source.bin"}));
    EXPECT_TRUE(PendingOperations().empty());
}

// A destination of 260 characters is one past what Windows' ANSI file
// functions take (Wine takes it): the copy does what the platform's copy
// does, and nothing else is created or scheduled.
TEST_F(CopyTreeTest, DestinationOf260Characters) {
    std::string source = dir / "source.bin";
    WriteBytes(source, "data");
    std::string destination = dir.path() + "\\";
    destination += std::string(260 - destination.size(), 'n');
    ASSERT_EQ(destination.size(), 260u);
    std::string probe = destination;
    probe.back() = 'p';
    const bool platformCopies = CopyFileA(source.c_str(), probe.c_str(), FALSE) != FALSE;
    DeleteFileA(probe.c_str());

    EXPECT_EQ(copyFile(destination.c_str(), source.c_str()), platformCopies ? 1 : 0);
    std::set<std::string> expected = {"source.bin"};
    if (platformCopies)
        expected.insert(destination.substr(dir.path().size() + 1));
    EXPECT_EQ(Listing(dir.path()), expected);
    EXPECT_EQ(deleteFile(destination.c_str()), platformCopies ? 1 : 0);
    EXPECT_EQ(delTree(destination.c_str()), 0);
    EXPECT_EQ(Listing(dir.path()), (std::set<std::string>{"source.bin"}));
    EXPECT_TRUE(PendingOperations().empty());
}

// Copying over a file that is held open puts the copy beside it under the
// '^' name and registers the replacement; Wine's restart carries it out.
TEST_F(NtCopyTreeTest, CopyOverHeldFileWaitsForTheRestart) {
    std::string source = dir / "NEW.DLL";
    std::string destination = dir / "FOO.DLL";
    std::string temporary = dir / "FOO.DL^";
    WriteBytes(source, "new content");
    WriteBytes(destination, "old content");
    {
        qvr::FileHandle holder = HoldOpen(destination);
        ASSERT_TRUE(holder);
        EXPECT_EQ(copyFile(destination.c_str(), source.c_str()), 1000);
        EXPECT_EQ(ReadBytes(temporary), "new content");
    }
    EXPECT_EQ(ReadBytes(destination), "old content");
    // Delete the target, then rename the temporary to it, as the caller
    // spelled both.
    EXPECT_EQ(PendingWithoutHelper(),
              (std::vector<std::string>{NtPath(destination), "", NtPath(temporary),
                                        "!" + NtPath(destination)}));

    ASSERT_TRUE(RunWineRestart());
    EXPECT_EQ(ReadBytes(destination), "new content");
    EXPECT_FALSE(FileExists(temporary));
    EXPECT_TRUE(PendingOperations().empty());
}

// A read-only destination counts as in use where the platform refuses to
// open it for writing; where it does not (Wine as root), it is copied over
// at once like any other file.
TEST_F(NtCopyTreeTest, CopyOverReadOnlyFile) {
    std::string source = dir / "NEW.DLL";
    std::string destination = dir / "RO.DLL";
    WriteBytes(source, "new content");
    WriteBytes(destination, "old content");
    ASSERT_TRUE(SetFileAttributesA(destination.c_str(), FILE_ATTRIBUTE_READONLY));
    const bool inUse = qvr::IsFileInUse(destination.c_str()) != 0;
    const int result = copyFile(destination.c_str(), source.c_str());
    if (inUse) {
        EXPECT_EQ(result, 1000);
        EXPECT_EQ(ReadBytes(destination), "old content");
        EXPECT_EQ(ReadBytes(dir / "RO.DL^"), "new content");
    } else {
        // CopyFileA itself decides whether a read-only target is replaced.
        EXPECT_TRUE(result == 1 || result == 0) << result;
        EXPECT_EQ(ReadBytes(destination), result == 1 ? "new content" : "old content");
        EXPECT_FALSE(FileExists(dir / "RO.DL^"));
    }
    SetFileAttributesA(destination.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(NtCopyTreeTest, DeleteHeldFileSchedulesItsShortForm) {
    std::string path = dir / "A Long Name.dll";
    WriteBytes(path, "held");
    {
        qvr::FileHandle holder = HoldOpen(path);
        ASSERT_TRUE(holder);
        EXPECT_EQ(deleteFile(path.c_str()), 1000);
    }
    EXPECT_EQ(ReadBytes(path), "held");
    // A path in a missing directory fails the in-use test's open with
    // ERROR_PATH_NOT_FOUND, which counts as in use: it is scheduled too.
    std::string missing = dir / "gone\\FILE.DLL";
    EXPECT_EQ(deleteFile(missing.c_str()), 1000);
    EXPECT_EQ(PendingWithoutHelper(),
              (std::vector<std::string>{NtPath(ShortForm(path)), "", NtPath(missing), ""}));
}

// ---- Trees -------------------------------------------------------------------

TEST_F(CopyTreeTest, DelTreeRemovesEverything) {
    std::string root = dir / "tree";
    ASSERT_TRUE(CreateDirectoryA(root.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((root + "\\sub").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((root + "\\sub\\deeper").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((root + "\\empty dir").c_str(), nullptr));
    WriteBytes(root + "\\a.txt", "a");
    WriteBytes(root + "\\Long File Name.text", "b");
    WriteBytes(root + "\\sub\\ro.txt", "c");
    WriteBytes(root + "\\sub\\deeper\\hidden.sys", "d");
    SetFileAttributesA((root + "\\sub\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA((root + "\\sub\\deeper\\hidden.sys").c_str(),
                       FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    SetFileAttributesA((root + "\\sub").c_str(), FILE_ATTRIBUTE_READONLY);
    WriteBytes(dir / "beside.txt", "outside the tree");

    SetLastError(0xDEADBEEF);
    EXPECT_EQ(delTree(root.c_str()), 1);
    EXPECT_FALSE(DirExists(root));
    EXPECT_EQ(Listing(dir.path()), (std::set<std::string>{"beside.txt"}));
    EXPECT_TRUE(PendingOperations().empty());
}

// A subdirectory that cannot be removed (held open without sharing) gives 0
// from below; the walk goes on and removes the rest, and the root, which is
// not empty, stays: the result is 0.
TEST_F(CopyTreeTest, DelTreeWithSubdirectoryThatStays) {
    std::string root = dir / "tree";
    std::string stuck = root + "\\stuck";
    ASSERT_TRUE(CreateDirectoryA(root.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(stuck.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((root + "\\other").c_str(), nullptr));
    WriteBytes(root + "\\a.txt", "a");
    WriteBytes(root + "\\other\\b.txt", "b");
    qvr::FileHandle holder(CreateFileA(stuck.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    ASSERT_TRUE(holder);
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(delTree(root.c_str()), 0);
    EXPECT_NE(GetLastError(), 0xDEADBEEFu);
    EXPECT_EQ(Listing(root), (std::set<std::string>{"stuck"}));
    EXPECT_TRUE(PendingOperations().empty());
}

// The tree being removed is the current directory: it is left for the
// Windows directory during the walk, so the removal works; coming back then
// is impossible, and the current directory stays where the walk stood.
TEST_F(CopyTreeTest, DelTreeOfTheCurrentDirectory) {
    std::string root = dir / "here";
    ASSERT_TRUE(CreateDirectoryA(root.c_str(), nullptr));
    WriteBytes(root + "\\f.txt", "f");
    ASSERT_TRUE(SetCurrentDirectoryA(root.c_str()));
    EXPECT_EQ(delTree(root.c_str()), 1);
    EXPECT_FALSE(DirExists(root));
    SetCurrentDirectoryA(savedCurrent.c_str());
}

TEST_F(NtCopyTreeTest, DelTreeWithHeldFileSchedulesFileAndDirectories) {
    std::string root = dir / "tree";
    std::string sub = root + "\\sub";
    std::string held = sub + "\\held.dll";
    ASSERT_TRUE(CreateDirectoryA(root.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    WriteBytes(root + "\\free.txt", "free");
    WriteBytes(sub + "\\other.txt", "other");
    WriteBytes(held, "held");
    {
        qvr::FileHandle holder = HoldOpen(held);
        ASSERT_TRUE(holder);
        EXPECT_EQ(delTree(root.c_str()), 1000);
    }
    EXPECT_EQ(Listing(root), (std::set<std::string>{"sub", "sub\\held.dll"}));
    // The file, then its directory, then the root, innermost first.
    EXPECT_EQ(PendingWithoutHelper(),
              (std::vector<std::string>{NtPath(ShortForm(held)), "", NtPath(ShortForm(sub)), "",
                                        NtPath(ShortForm(root)), ""}));

    ASSERT_TRUE(RunWineRestart());
    EXPECT_FALSE(DirExists(root));
    EXPECT_TRUE(PendingOperations().empty());
}

TEST_F(NtCopyTreeTest, TryRemoveDir) {
    std::string empty = dir / "empty";
    std::string full = dir / "full";
    ASSERT_TRUE(CreateDirectoryA(empty.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(full.c_str(), nullptr));
    WriteBytes(full + "\\f.txt", "f");
    EXPECT_EQ(tryRemoveDir(empty.c_str()), 1);
    EXPECT_FALSE(DirExists(empty));
    EXPECT_TRUE(PendingOperations().empty());
    EXPECT_EQ(tryRemoveDir(full.c_str()), 1000);
    EXPECT_TRUE(FileExists(full + "\\f.txt"));
    EXPECT_EQ(PendingWithoutHelper(), (std::vector<std::string>{NtPath(ShortForm(full)), ""}));
}

TEST_F(NtCopyTreeTest, RemTempDirSchedulesTheFlatDirectory) {
    std::string temp = dir / "tmp";
    ASSERT_TRUE(CreateDirectoryA(temp.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((temp + "\\inner").c_str(), nullptr));
    WriteBytes(temp + "\\one.tmp", "1");
    WriteBytes(temp + "\\two.tmp", "2");
    WriteBytes(temp + "\\inner\\deep.tmp", "3");
    SetFileAttributesA((temp + "\\two.tmp").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_NE(remTempDirNt(temp.c_str()), 0);
    // Read-only is gone (Wine reports FILE_ATTRIBUTE_NORMAL back as archive).
    EXPECT_EQ(GetFileAttributesA((temp + "\\two.tmp").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    // Files in search order, then the directory; no helper, nothing inside
    // the subdirectory.
    std::vector<std::string> pending = PendingOperations();
    ASSERT_EQ(pending.size(), 6u);
    std::set<std::string> files = {pending[0], pending[2]};
    EXPECT_EQ(files,
              (std::set<std::string>{NtPath(temp + "\\one.tmp"), NtPath(temp + "\\two.tmp")}));
    EXPECT_EQ(pending[4], NtPath(temp));
    EXPECT_EQ(pending[1] + pending[3] + pending[5], "");
    EXPECT_TRUE(FileExists(temp + "\\one.tmp"));
}

// On Windows 95 the same work goes to "WININIT.QVR" and "_KRBINST.BAT",
// directories as whole trees from a tree removal and as single directories
// from QVRTryRemoveDir; the NT-only temporary directory removal does nothing.
TEST_F(Win95CopyTreeTest, InUseWorkGoesToWininitAndBatch) {
    const std::string wininit = WindowsPath("WININIT.QVR");
    const std::string batch = WindowsPath("_KRBINST.BAT");
    std::string temp = dir / "tmp";
    ASSERT_TRUE(CreateDirectoryA(temp.c_str(), nullptr));
    WriteBytes(temp + "\\one.tmp", "1");
    EXPECT_EQ(qvr::RemoveTempDirAtRestartNT(temp.c_str()), 0);
    EXPECT_FALSE(FileExists(wininit));
    EXPECT_FALSE(FileExists(batch));

    std::string destination = dir / "FOO.DLL";
    WriteBytes(dir / "NEW.DLL", "new content");
    WriteBytes(destination, "old content");
    std::string root = dir / "tree";
    std::string held = root + "\\held.dll";
    ASSERT_TRUE(CreateDirectoryA(root.c_str(), nullptr));
    WriteBytes(held, "held");
    {
        qvr::FileHandle holdDestination = HoldOpen(destination);
        qvr::FileHandle holdInTree = HoldOpen(held);
        ASSERT_TRUE(holdDestination && holdInTree);
        EXPECT_EQ(qvr::CopyFileOrDefer(destination.c_str(), (dir / "NEW.DLL").c_str()), 1000);
        EXPECT_EQ(qvr::DeleteTree(root.c_str()), 1000);
    }
    EXPECT_EQ(ReadBytes(destination), "old content");
    EXPECT_EQ(ReadBytes(dir / "FOO.DL^"), "new content");
    EXPECT_EQ(qvr::TryRemoveDir(root.c_str()), 1000);

    EXPECT_EQ(ReadBytes(wininit), "NUL=" + WindowsPath("~KRBINST.EXE") + "\r\n" + destination +
                                      "=" + dir / "FOO.DL^" + "\r\nNUL=" + ShortForm(held) +
                                      "\r\nNUL=" + ShortForm(root) + "\r\nNUL=" + ShortForm(root) +
                                      "\r\n");
    EXPECT_EQ(ReadBytes(batch), "@echo off\r\nRem  Windows 95\r\nDelTree /Y  " + ShortForm(root) +
                                    "\r\nRmdir  " + ShortForm(root) + "\r\n");
    EXPECT_TRUE(PendingOperations().empty());
}

// ---- Copying a tree with expansion -------------------------------------------

class DumpDirectoryTest : public CopyTreeTest {
  protected:
    std::string payload, compressed;

    void SetUp() override {
        CopyTreeTest::SetUp();
        char program[MAX_PATH];
        GetModuleFileNameA(nullptr, program, sizeof program);
        std::string data = program;
        data = data.substr(0, data.find_last_of('\\')) + "\\lzdata\\";
        if (!FileExists(data + "PAYLOAD.TXT_"))
            GTEST_SKIP() << "no compressed sample files (mscompress missing at build time)";
        payload = ReadBytes(data + "PAYLOAD.TXT");
        compressed = ReadBytes(data + "PAYLOAD.TXT_");
        ASSERT_EQ(compressed.substr(0, 4), "SZDD");
        ASSERT_NE(compressed, payload);
    }
    // The sample in the classic form, whose header names the character that
    // the '_' replaced.
    std::string Classic(char replaced) const {
        std::string data = compressed;
        data[9] = replaced;
        return data;
    }
};

TEST_F(DumpDirectoryTest, ExpandsTreeUnderExpandedNames) {
    std::string source = dir / "src";
    std::string destination = dir / "dst";
    std::string binary;
    for (int i = 0; i < 256; ++i)
        binary += static_cast<char>(i);
    binary += "SZDD but not really";
    ASSERT_TRUE(CreateDirectoryA(source.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((source + "\\sub").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((source + "\\sub\\empty").c_str(), nullptr));
    WriteBytes(source + "\\FOO.DLL_", compressed);
    WriteBytes(source + "\\BAR.DL_", Classic('L'));
    WriteBytes(source + "\\PLAIN.BIN", binary);
    WriteBytes(source + "\\~TILDE.TXT", "tilde");
    WriteBytes(source + "\\sub\\DEEP.TX_", Classic('T'));
    WriteBytes(source + "\\sub\\Long Name.txt", "long");
    SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_READONLY);
    const DWORD sourceAttributes = GetFileAttributesA(source.c_str());

    EXPECT_EQ(dumpDirectory(source.c_str(), destination.c_str()), 1);

    // The source directory's attributes are not touched.
    EXPECT_EQ(GetFileAttributesA(source.c_str()), sourceAttributes);
    SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(Listing(destination),
              (std::set<std::string>{"FOO.DLL", "BAR.DLL", "PLAIN.BIN", "~TILDE.TXT", "sub",
                                     "sub\\DEEP.TXT", "sub\\Long Name.txt", "sub\\empty"}));
    EXPECT_EQ(ReadBytes(destination + "\\FOO.DLL"), payload);
    EXPECT_EQ(ReadBytes(destination + "\\BAR.DLL"), payload);
    EXPECT_EQ(ReadBytes(destination + "\\sub\\DEEP.TXT"), payload);
    EXPECT_EQ(ReadBytes(destination + "\\PLAIN.BIN"), binary);
    EXPECT_EQ(ReadBytes(destination + "\\~TILDE.TXT"), "tilde");
    EXPECT_EQ(ReadBytes(destination + "\\sub\\Long Name.txt"), "long");
    EXPECT_TRUE(PendingOperations().empty());
}

TEST_F(DumpDirectoryTest, MissingSourceAndMissingDestinationParent) {
    std::string destination = dir / "made";
    EXPECT_EQ(dumpDirectory((dir / "none").c_str(), destination.c_str()), 1);
    EXPECT_TRUE(DirExists(destination));

    std::string source = dir / "src";
    ASSERT_TRUE(CreateDirectoryA(source.c_str(), nullptr));
    WriteBytes(source + "\\FOO.DLL_", compressed);
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(dumpDirectory(source.c_str(), (dir / "no\\parent").c_str()), 0);
    EXPECT_NE(GetLastError(), 0xDEADBEEFu);
    EXPECT_EQ(Listing(dir.path()), (std::set<std::string>{"made", "src", "src\\FOO.DLL_"}));
}

// A source file that cannot be read (held open without sharing) fails the
// copy; no temporary is left in the destination.
TEST_F(DumpDirectoryTest, UnreadableSourceFails) {
    std::string source = dir / "src";
    std::string destination = dir / "dst";
    ASSERT_TRUE(CreateDirectoryA(source.c_str(), nullptr));
    WriteBytes(source + "\\FOO.DLL_", compressed);
    qvr::FileHandle holder = HoldOpen(source + "\\FOO.DLL_");
    ASSERT_TRUE(holder);
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(dumpDirectory(source.c_str(), destination.c_str()), 0);
    EXPECT_NE(GetLastError(), 0xDEADBEEFu);
    EXPECT_TRUE(DirExists(destination));
    EXPECT_EQ(Listing(destination), std::set<std::string>());
}

TEST_F(DumpDirectoryTest, HeldDestinationIsReplacedAtRestart) {
    if (!qvr::IsWindowsNT())
        GTEST_SKIP() << "Windows NT only";
    std::string source = dir / "src";
    std::string destination = dir / "dst";
    ASSERT_TRUE(CreateDirectoryA(source.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(destination.c_str(), nullptr));
    WriteBytes(source + "\\FOO.DLL_", compressed);
    WriteBytes(destination + "\\FOO.DLL", "old content");
    {
        qvr::FileHandle holder = HoldOpen(destination + "\\FOO.DLL");
        ASSERT_TRUE(holder);
        EXPECT_EQ(dumpDirectory(source.c_str(), destination.c_str()), 1000);
    }
    EXPECT_EQ(Listing(destination), (std::set<std::string>{"FOO.DLL", "FOO.DL^"}));
    EXPECT_EQ(ReadBytes(destination + "\\FOO.DL^"), payload);

    ASSERT_TRUE(RunWineRestart());
    EXPECT_EQ(Listing(destination), (std::set<std::string>{"FOO.DLL"}));
    EXPECT_EQ(ReadBytes(destination + "\\FOO.DLL"), payload);
}

// A destination deeper than the 128 bytes of OFSTRUCT's path, through which
// the LZ functions open files (Wine, like Windows, refuses a longer one): the
// files go by their short forms, and the copy works.
TEST_F(DumpDirectoryTest, DestinationPathLongerThanOfstruct) {
    std::string source = dir / "src";
    ASSERT_TRUE(CreateDirectoryA(source.c_str(), nullptr));
    WriteBytes(source + "\\FOO.DLL_", compressed);
    std::string destination = dir / std::string(150, 'd');
    ASSERT_GT(destination.size(), 128u);

    EXPECT_EQ(dumpDirectory(source.c_str(), destination.c_str()), 1);
    EXPECT_EQ(Listing(destination), (std::set<std::string>{"FOO.DLL"}));
    EXPECT_EQ(ReadBytes(destination + "\\FOO.DLL"), payload);
}

} // namespace
