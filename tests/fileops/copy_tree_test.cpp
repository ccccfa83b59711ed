// fileops/copy_tree_test.cpp: copying, deleting and removing files and trees,
// LZ expansion, and the work put off to the restart when a file is in use.
// The plain program runs as Windows NT, a copy as Windows 95.
#include "fileops/copy_tree.h"
#include "fileops/deferred_ops.h"
#include "frame/platform.h"
#include "support/dll.h"
#include "support/restart_state.h"
#include "support/temp_dir.h"
#include "util/unique.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace qvrtest;

using TwoPathFn = int(WINAPI*)(LPCSTR, LPCSTR);
using OnePathFn = int(WINAPI*)(LPCSTR);
using Ops = std::vector<std::pair<std::string, std::string>>;

// The pending operations as {"\??\path", ""} for a deletion and
// {"\??\from", "!\??\to"} for a replacement, without the deletion of the
// restart helper, which the library schedules once per process.
Ops Pending(bool* withHelper = nullptr) {
    const std::vector<std::string> all = PendingOperations();
    Ops ops;
    for (size_t i = 0; i + 1 < all.size(); i += 2)
        ops.emplace_back(all[i], all[i + 1]);
    const auto helper = std::find(
        ops.begin(), ops.end(), std::make_pair(NtPath(WindowsPath("~KRBINST.EXE")), std::string()));
    if (withHelper != nullptr)
        *withHelper = helper != ops.end();
    if (helper != ops.end())
        ops.erase(helper);
    return ops;
}

std::string ShortForm(const std::string& path) {
    char buffer[MAX_PATH];
    DWORD n = GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
    return n > 0 && n < sizeof buffer ? std::string(buffer) : path;
}

void MakeDirs(std::initializer_list<std::string> paths) {
    for (const std::string& path : paths)
        ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
}

// Every file and directory under `root`, as relative paths.
std::set<std::string> Listing(const std::string& root, const std::string& prefix = "") {
    std::set<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((root + "\\*").c_str(), &data);
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &data)) {
        const std::string name = data.cFileName;
        if (name == "." || name == "..")
            continue;
        names.insert(prefix + name);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            names.merge(Listing(root + "\\" + name, prefix + name + "\\"));
    }
    FindClose(find);
    return names;
}

// Opens a file or directory without sharing, as another program using it would.
qvr::FileHandle HoldOpen(const std::string& path) {
    return qvr::FileHandle(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// The sample the build compresses beside the program (lzdata\), as
// {expanded, compressed}; empty when mscompress was missing.
std::pair<std::string, std::string> LzSample() {
    char program[MAX_PATH];
    GetModuleFileNameA(nullptr, program, sizeof program);
    std::string path = program;
    path = path.substr(0, path.find_last_of('\\')) + "\\lzdata\\PAYLOAD.TXT";
    return {ReadBytes(path), ReadBytes(path + "_")};
}

class CopyTreeTest : public FileTest {
  protected:
    TwoPathFn copyFile = Export<TwoPathFn>("_QVRCopyFile@8");
    OnePathFn deleteFile = Export<OnePathFn>("_QVRDeleteFile@4");
    OnePathFn delTree = Export<OnePathFn>("_QVRDelTree@4");
    TwoPathFn dumpDirectory = Export<TwoPathFn>("_QVRDumpDirectory@8");
    OnePathFn remTempDirNt = Export<OnePathFn>("_InstRemTempDirNT@4");
    OnePathFn tryRemoveDir = Export<OnePathFn>("_QVRTryRemoveDir@4");
    RestartStateGuard restartState;

    void SetUp() override {
        ASSERT_TRUE(copyFile && deleteFile && delTree && dumpDirectory && remTempDirNt &&
                    tryRemoveDir);
        qvr::ntHelperScheduled = qvr::runOnceWritten = 0;
        qvr::wininitHeaderWritten = qvr::win95MarkerWritten = 0;
    }
};

TEST_F(CopyTreeTest, InUseByTheErrorCodeBits) {
    const std::string held = dir / "held.txt", readOnly = dir / "readonly.txt";
    WriteBytes(held, "b");
    WriteBytes(readOnly, "c");
    ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    qvr::FileHandle holder = HoldOpen(held);
    ASSERT_TRUE(holder);
    // Windows refuses to open a read-only file for writing; Wine as root opens it.
    const bool readOnlyOpens = qvr::FileHandle(CreateFileA(readOnly.c_str(), GENERIC_WRITE, 0,
                                                           nullptr, OPEN_EXISTING, 0, nullptr))
                                   .valid();
    const std::pair<std::string, int> rows[] = {
        {dir / "missing.txt", 0},          // ERROR_FILE_NOT_FOUND: no bit of 0x25
        {dir / "no\\such\\file.txt", 1},   // ERROR_PATH_NOT_FOUND
        {held, 1},                         // ERROR_SHARING_VIOLATION
        {dir.path(), 1},                   // a directory: ERROR_ACCESS_DENIED
        {readOnly, readOnlyOpens ? 0 : 1}, // ERROR_ACCESS_DENIED where refused
        {dir / std::string(300, 'x'), 1}}; // ERROR_FILENAME_EXCED_RANGE (0xCE) has bit 4
    for (const auto& [path, expected] : rows)
        EXPECT_EQ(qvr::IsFileInUse(path.c_str()), expected) << path;
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(CopyTreeTest, CopyAndDeleteWithoutAnythingInUse) {
    const std::string source = dir / "source.bin", existing = dir / "existing.bin";
    const std::string content("new\0content\r\n", 13);
    WriteBytes(source, content);
    WriteBytes(existing, "old");
    EXPECT_EQ(copyFile(existing.c_str(), source.c_str()), 1);
    EXPECT_EQ(ReadBytes(existing), content);
    EXPECT_EQ(deleteFile(existing.c_str()), 1);
    // One past the 259 characters that Windows' ANSI calls take; Wine takes it.
    std::string longest = dir.path() + "\\";
    longest += std::string(260 - longest.size(), 'n');
    const bool platformCopies = CopyFileA(source.c_str(), longest.c_str(), FALSE) != FALSE;
    DeleteFileA(longest.c_str());
    EXPECT_EQ(copyFile(longest.c_str(), source.c_str()), platformCopies ? 1 : 0);
    EXPECT_EQ(deleteFile(longest.c_str()), platformCopies ? 1 : 0);
    // No '^' temporary, nothing scheduled.
    EXPECT_EQ(Listing(dir.path()), std::set<std::string>{"source.bin"});
    EXPECT_TRUE(Pending().empty());
}

TEST_F(CopyTreeTest, BadArgumentsFailWithAReason) {
    const std::string source = dir / "source.bin", d = dir / "d", nope = dir / "nope";
    WriteBytes(source, "data");
    const std::pair<std::function<int()>, DWORD> rows[] = {
        {[&] { return copyFile(nullptr, source.c_str()); }, ERROR_INVALID_PARAMETER},
        {[&] { return copyFile(d.c_str(), nope.c_str()); }, ERROR_FILE_NOT_FOUND},
        {[&] { return copyFile((nope + "\\x").c_str(), source.c_str()); }, ERROR_PATH_NOT_FOUND},
        {[&] { return deleteFile(""); }, ERROR_INVALID_PARAMETER},
        {[&] { return delTree(nullptr); }, ERROR_INVALID_PARAMETER},
        {[&] { return delTree(source.c_str()); }, 0}, // 0: any reason, as long as one is left
        {[&] { return dumpDirectory(d.c_str(), nullptr); }, ERROR_INVALID_PARAMETER},
        {[&] { return remTempDirNt(""); }, ERROR_INVALID_PARAMETER},
        {[&] { return tryRemoveDir(""); }, ERROR_INVALID_PARAMETER}};
    for (size_t row = 0; row < std::size(rows); ++row) {
        SetLastError(0xDEADBEEF);
        EXPECT_EQ(rows[row].first(), 0) << row;
        EXPECT_EQ(GetLastError(), rows[row].second ? rows[row].second : GetLastError()) << row;
        EXPECT_NE(GetLastError(), 0xDEADBEEFu) << row;
    }
    EXPECT_EQ(Listing(dir.path()), std::set<std::string>{"source.bin"});
    EXPECT_TRUE(Pending().empty());
}

// Every operation meets something it cannot do now, and one restart carries
// out what can be done then.
TEST_F(CopyTreeTest, WorkOnHeldFilesIsDoneAtTheRestart) {
    if (!qvr::IsWindowsNT())
        GTEST_SKIP() << "Windows NT only";
    WriteBytes(WindowsPath("_KRBINST.EXE"), "helper");
    const std::string target = dir / "FOO.DLL", temporary = dir / "FOO.DL^";
    const std::string longName = dir / "A Long Name.dll";
    const std::string root = dir / "tree", sub = root + "\\sub", held = sub + "\\held.dll";
    const std::string dumpFrom = dir / "src", dumpTo = dir / "dst", dumped = dumpTo + "\\FOO.DLL";
    const std::string temp = dir / "tmp", full = dir / "full", missing = dir / "gone\\X.DLL";
    const auto [payload, compressed] = LzSample();
    WriteBytes(dir / "NEW.DLL", "new content");
    WriteBytes(target, "old content");
    WriteBytes(longName, "held");
    MakeDirs({root, sub, dumpFrom, dumpTo, temp, temp + "\\inner", full});
    WriteBytes(root + "\\free.txt", "free");
    WriteBytes(held, "held");
    WriteBytes(dumpFrom + "\\FOO.DLL_", compressed);
    WriteBytes(dumped, "old content");
    WriteBytes(temp + "\\ro.tmp", "1");
    WriteBytes(temp + "\\inner\\deep.tmp", "2");
    WriteBytes(full + "\\f.txt", "f");
    SetFileAttributesA((temp + "\\ro.tmp").c_str(), FILE_ATTRIBUTE_READONLY);
    // A replacement deletes the target, then renames the temporary to it; a
    // tree goes innermost first; files in use go by their short names.
    Ops expected = {{NtPath(target), ""},
                    {NtPath(temporary), "!" + NtPath(target)},
                    {NtPath(ShortForm(longName)), ""},
                    {NtPath(ShortForm(held)), ""},
                    {NtPath(ShortForm(sub)), ""},
                    {NtPath(ShortForm(root)), ""}};
    {
        qvr::FileHandle holders[] = {HoldOpen(target), HoldOpen(longName), HoldOpen(held),
                                     HoldOpen(dumped)};
        for (const auto& holder : holders)
            ASSERT_TRUE(holder);
        EXPECT_EQ(copyFile(target.c_str(), (dir / "NEW.DLL").c_str()), 1000);
        EXPECT_EQ(deleteFile(longName.c_str()), 1000);
        EXPECT_EQ(delTree(root.c_str()), 1000);
        if (!compressed.empty()) {
            EXPECT_EQ(dumpDirectory(dumpFrom.c_str(), dumpTo.c_str()), 1000);
            expected.push_back({NtPath(dumped), ""});
            expected.push_back({NtPath(dumpTo + "\\FOO.DL^"), "!" + NtPath(dumped)});
        }
    }
    // The temporary directory's own files by their long names, not those of
    // its subdirectory, then the directory; a path in a missing directory
    // fails the in-use test with ERROR_PATH_NOT_FOUND and is scheduled too.
    EXPECT_NE(remTempDirNt(temp.c_str()), 0);
    EXPECT_EQ(GetFileAttributesA((temp + "\\ro.tmp").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(tryRemoveDir(full.c_str()), 1000);
    EXPECT_EQ(deleteFile(missing.c_str()), 1000);
    expected.insert(expected.end(), {{NtPath(temp + "\\ro.tmp"), ""},
                                     {NtPath(temp), ""},
                                     {NtPath(ShortForm(full)), ""},
                                     {NtPath(missing), ""}});
    EXPECT_EQ(ReadBytes(target), "old content");
    EXPECT_EQ(ReadBytes(temporary), "new content");
    EXPECT_EQ(Listing(root), (std::set<std::string>{"sub", "sub\\held.dll"}));
    bool withHelper = false;
    EXPECT_EQ(Pending(&withHelper), expected);

    ASSERT_TRUE(RunWineRestart());
    EXPECT_EQ(ReadBytes(target), "new content");
    EXPECT_FALSE(FileExists(temporary) || FileExists(longName));
    EXPECT_EQ(GetFileAttributesA(root.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Listing(temp), (std::set<std::string>{"inner", "inner\\deep.tmp"}));
    // The retired helper goes too, when this test was the first to retire it.
    EXPECT_EQ(FileExists(WindowsPath("~KRBINST.EXE")), !withHelper);
    if (!compressed.empty()) {
        EXPECT_EQ(Listing(dumpTo), std::set<std::string>{"FOO.DLL"});
        EXPECT_EQ(ReadBytes(dumped), payload);
    }
    EXPECT_TRUE(Pending().empty());
}

TEST_F(CopyTreeTest, DelTree) {
    const std::string root = dir / "tree", stuck = dir / "stuck";
    MakeDirs({root, root + "\\sub", root + "\\sub\\deeper", stuck, stuck + "\\in use",
              stuck + "\\other"});
    WriteBytes(root + "\\sub\\ro.txt", "c");
    WriteBytes(root + "\\sub\\deeper\\hidden.sys", "d");
    WriteBytes(stuck + "\\other\\b.txt", "b");
    SetFileAttributesA((root + "\\sub\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA((root + "\\sub\\deeper\\hidden.sys").c_str(),
                       FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    SetFileAttributesA((root + "\\sub").c_str(), FILE_ATTRIBUTE_READONLY);
    char saved[MAX_PATH], current[MAX_PATH];
    GetCurrentDirectoryA(sizeof saved, saved);
    EXPECT_EQ(delTree(root.c_str()), 1);
    GetCurrentDirectoryA(sizeof current, current);
    EXPECT_STREQ(current, saved);
    EXPECT_EQ(GetFileAttributesA(root.c_str()), INVALID_FILE_ATTRIBUTES);

    // A subdirectory that cannot be removed fails the result, but the walk
    // goes on and removes the rest.
    qvr::FileHandle holder = HoldOpen(stuck + "\\in use");
    ASSERT_TRUE(holder);
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(delTree(stuck.c_str()), 0);
    EXPECT_NE(GetLastError(), 0xDEADBEEFu);
    EXPECT_EQ(Listing(stuck), std::set<std::string>{"in use"});
    holder.reset();

    // The tree being removed is the current directory.
    ASSERT_TRUE(SetCurrentDirectoryA(stuck.c_str()));
    EXPECT_EQ(delTree(stuck.c_str()), 1);
    SetCurrentDirectoryA(saved);
    EXPECT_EQ(Listing(dir.path()), std::set<std::string>());
    EXPECT_TRUE(Pending().empty());
}

// On Windows 95 a tree goes to "DelTree /Y" and a directory to "Rmdir", both
// also as "NUL=" lines of WININIT.QVR; the NT-only temporary directory removal
// does nothing.
TEST_F(CopyTreeTest, Win95RemovesDirectoriesThroughTheBatchFile) {
    if (qvr::IsWindowsNT() || !qvr::IsVersion4())
        GTEST_SKIP() << "Windows 95 only";
    const std::string root = dir / "tree", held = root + "\\held.dll";
    MakeDirs({root});
    WriteBytes(held, "held");
    EXPECT_EQ(remTempDirNt(root.c_str()), 0);
    {
        qvr::FileHandle holder = HoldOpen(held);
        ASSERT_TRUE(holder);
        EXPECT_EQ(qvr::DeleteTree(root.c_str()), 1000);
    }
    EXPECT_EQ(qvr::TryRemoveDir(root.c_str()), 1000);
    const std::string r = ShortForm(root);
    EXPECT_EQ(ReadBytes(WindowsPath("WININIT.QVR")), "NUL=" + WindowsPath("~KRBINST.EXE") +
                                                         "\r\nNUL=" + ShortForm(held) +
                                                         "\r\nNUL=" + r + "\r\nNUL=" + r + "\r\n");
    EXPECT_EQ(ReadBytes(WindowsPath("_KRBINST.BAT")),
              "@echo off\r\nRem  Windows 95\r\nDelTree /Y  " + r + "\r\nRmdir  " + r + "\r\n");
    EXPECT_TRUE(Pending().empty());
}

TEST_F(CopyTreeTest, DumpDirectoryExpandsUnderExpandedNames) {
    const auto [payload, compressed] = LzSample();
    if (compressed.empty())
        GTEST_SKIP() << "no compressed sample (mscompress missing at build time)";
    // The classic form, whose header names the character that '_' replaced.
    std::string classic = compressed;
    classic[9] = 'L';
    const std::string source = dir / "src", destination = dir / "dst";
    const std::string binary("SZDD but not really\0\xFF", 21);
    MakeDirs({source, source + "\\sub", source + "\\sub\\empty"});
    WriteBytes(source + "\\FOO.DLL_", compressed);
    WriteBytes(source + "\\PLAIN.BIN", binary);
    WriteBytes(source + "\\~TILDE.TXT", "tilde"); // its own temporary's name
    WriteBytes(source + "\\sub\\DEEP.DL_", classic);
    EXPECT_EQ(dumpDirectory(source.c_str(), destination.c_str()), 1);
    EXPECT_EQ(Listing(destination), (std::set<std::string>{"FOO.DLL", "PLAIN.BIN", "~TILDE.TXT",
                                                           "sub", "sub\\DEEP.DLL", "sub\\empty"}));
    EXPECT_EQ(ReadBytes(destination + "\\FOO.DLL"), payload);
    EXPECT_EQ(ReadBytes(destination + "\\sub\\DEEP.DLL"), payload);
    EXPECT_EQ(ReadBytes(destination + "\\PLAIN.BIN"), binary);
    EXPECT_EQ(ReadBytes(destination + "\\~TILDE.TXT"), "tilde");
    // Deeper than the 128 bytes of OFSTRUCT's path, through which the LZ
    // functions open files: the files go by their short forms.
    const std::string deep = dir / std::string(150, 'd');
    EXPECT_EQ(dumpDirectory((source + "\\sub").c_str(), deep.c_str()), 1);
    EXPECT_EQ(ReadBytes(deep + "\\DEEP.DLL"), payload);
    // A missing source copies nothing into a new destination.
    EXPECT_EQ(dumpDirectory((dir / "none").c_str(), (dir / "made").c_str()), 1);
    EXPECT_EQ(Listing(dir / "made"), std::set<std::string>());
    EXPECT_TRUE(Pending().empty());
}

} // namespace
