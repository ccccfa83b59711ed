// fileops/copy_tree_test.cpp: copying, deleting and removing files and trees,
// LZ expansion, and the work put off to the restart when a file is in use.
#include "fileops/copy_tree.h"
#include "fileops/fileops_test.h"
#include "frame/platform.h"
#include "support/exports.h"
#include "support/tree_area.h"

#include <gtest/gtest.h>

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
// {"\??\from", "!\??\to"} for a replacement.
Ops Pending() {
    const std::vector<std::string> all = PendingOperations();
    Ops ops;
    for (size_t i = 0; i + 1 < all.size(); i += 2)
        ops.emplace_back(all[i], all[i + 1]);
    return ops;
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

class CopyTreeTest : public RestartTest {
  protected:
    // The tree operations go through the test areas' guard (support/tree_area.h).
    TwoPathFn copyFile = Exports().QVRCopyFile;
    OnePathFn deleteFile = Exports().QVRDeleteFile;

    void SetUp() override { ASSERT_TRUE(copyFile && deleteFile); }
};

// In use means the open failed with an error code sharing a bit with 0x25.
// (Sharing violations and missing directories: see WorkOnHeldFiles.)
TEST_F(CopyTreeTest, InUseByTheErrorCodeBits) {
    const std::pair<std::string, int> rows[] = {
        {dir / "missing.txt", 0},          // ERROR_FILE_NOT_FOUND
        {dir.path(), 1},                   // a directory: ERROR_ACCESS_DENIED
        {dir / std::string(300, 'x'), 1}}; // ERROR_FILENAME_EXCED_RANGE (0xCE) has bit 4
    for (const auto& [path, expected] : rows)
        EXPECT_EQ(qvr::IsFileInUse(path.c_str()), expected) << path;
}

// (Tree operations with null or empty paths, which stand for the current
// directory: tree_refusal_test.)
TEST_F(CopyTreeTest, BadArgumentsFailWithAReason) {
    const std::string source = dir / "source.bin", d = dir / "d", nope = dir / "nope";
    WriteBytes(source, "data");
    const std::pair<std::function<int()>, DWORD> rows[] = {
        {[&] { return copyFile(nullptr, source.c_str()); }, ERROR_INVALID_PARAMETER},
        {[&] { return copyFile(d.c_str(), nope.c_str()); }, ERROR_FILE_NOT_FOUND},
        {[&] { return copyFile((nope + "\\x").c_str(), source.c_str()); }, ERROR_PATH_NOT_FOUND},
        {[&] { return deleteFile(""); }, ERROR_INVALID_PARAMETER},
        {[&] { return SafeDelTree(source.c_str()); }, 0}}; // 0: any reason, as long as one is left
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
    const std::string temp = dir / "tmp", missing = dir / "gone\\X.DLL";
    const auto [payload, compressed] = LzSample();
    WriteBytes(dir / "NEW.DLL", "new content");
    WriteBytes(target, "old content");
    WriteBytes(longName, "held");
    MakeDirs({root, sub, dumpFrom, dumpTo, temp, temp + "\\inner"});
    WriteBytes(root + "\\free.txt", "free");
    WriteBytes(held, "held");
    WriteBytes(dumpFrom + "\\FOO.DLL_", compressed);
    WriteBytes(dumped, "old content");
    WriteBytes(temp + "\\ro.tmp", "1");
    WriteBytes(temp + "\\inner\\deep.tmp", "2");
    SetFileAttributesA((temp + "\\ro.tmp").c_str(), FILE_ATTRIBUTE_READONLY);
    // The retired restart helper goes with the first replacement, which
    // deletes the target, then renames the temporary to it; a tree goes
    // innermost first; files in use go by their short names.
    Ops expected = {{NtPath(WindowsPath("~KRBINST.EXE")), ""},
                    {NtPath(target), ""},
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
        EXPECT_EQ(SafeDelTree(root.c_str()), 1000);
        if (!compressed.empty()) {
            EXPECT_EQ(SafeDumpDirectory(dumpFrom.c_str(), dumpTo.c_str()), 1000);
            expected.push_back({NtPath(dumped), ""});
            expected.push_back({NtPath(dumpTo + "\\FOO.DL^"), "!" + NtPath(dumped)});
        }
    }
    // The temporary directory's own files by their long names, not those of
    // its subdirectory, then the directory; a path in a missing directory
    // fails the in-use test with ERROR_PATH_NOT_FOUND and is scheduled too.
    EXPECT_NE(SafeRemTempDirNT(temp.c_str()), 0);
    EXPECT_EQ(GetFileAttributesA((temp + "\\ro.tmp").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(deleteFile(missing.c_str()), 1000);
    expected.insert(expected.end(),
                    {{NtPath(temp + "\\ro.tmp"), ""}, {NtPath(temp), ""}, {NtPath(missing), ""}});
    EXPECT_EQ(ReadBytes(target), "old content");
    EXPECT_EQ(ReadBytes(temporary), "new content");
    EXPECT_EQ(Listing(root), (std::set<std::string>{"sub", "sub\\held.dll"}));
    EXPECT_EQ(Pending(), expected);

    ASSERT_TRUE(RunWineRestart());
    EXPECT_EQ(ReadBytes(target), "new content");
    EXPECT_FALSE(FileExists(temporary) || FileExists(longName) ||
                 FileExists(WindowsPath("~KRBINST.EXE")));
    EXPECT_EQ(GetFileAttributesA(root.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Listing(temp), (std::set<std::string>{"inner", "inner\\deep.tmp"}));
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
    EXPECT_EQ(SafeDelTree(root.c_str()), 1);
    GetCurrentDirectoryA(sizeof current, current);
    EXPECT_STREQ(current, saved);
    EXPECT_EQ(GetFileAttributesA(root.c_str()), INVALID_FILE_ATTRIBUTES);

    // A subdirectory that cannot be removed fails the result, but the walk
    // goes on and removes the rest.
    qvr::FileHandle holder = HoldOpen(stuck + "\\in use");
    ASSERT_TRUE(holder);
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(SafeDelTree(stuck.c_str()), 0);
    EXPECT_NE(GetLastError(), 0xDEADBEEFu);
    EXPECT_EQ(Listing(stuck), std::set<std::string>{"in use"});
    holder.reset();

    // The tree being removed is the current directory.
    ASSERT_TRUE(SetCurrentDirectoryA(stuck.c_str()));
    EXPECT_EQ(SafeDelTree(stuck.c_str()), 1);
    SetCurrentDirectoryA(saved);
    EXPECT_EQ(Listing(dir.path()), std::set<std::string>());
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
    WriteBytes(source + "\\~PLAIN.BIN", binary); // copied as is; its own temporary's name
    WriteBytes(source + "\\sub\\DEEP.DL_", classic);
    EXPECT_EQ(SafeDumpDirectory(source.c_str(), destination.c_str()), 1);
    EXPECT_EQ(Listing(destination), (std::set<std::string>{"FOO.DLL", "~PLAIN.BIN", "sub",
                                                           "sub\\DEEP.DLL", "sub\\empty"}));
    EXPECT_EQ(ReadBytes(destination + "\\FOO.DLL"), payload);
    EXPECT_EQ(ReadBytes(destination + "\\sub\\DEEP.DLL"), payload);
    EXPECT_EQ(ReadBytes(destination + "\\~PLAIN.BIN"), binary);
    // Deeper than the 128 bytes of OFSTRUCT's path, through which the LZ
    // functions open files: the files go by their short forms.
    const std::string deep = dir / std::string(150, 'd');
    EXPECT_EQ(SafeDumpDirectory((source + "\\sub").c_str(), deep.c_str()), 1);
    EXPECT_EQ(ReadBytes(deep + "\\DEEP.DLL"), payload);
    // A missing source copies nothing into a new destination.
    EXPECT_EQ(SafeDumpDirectory((dir / "none").c_str(), (dir / "made").c_str()), 1);
    EXPECT_EQ(Listing(dir / "made"), std::set<std::string>());
    EXPECT_TRUE(Pending().empty());
}

} // namespace
