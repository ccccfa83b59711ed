// fileops/tree_guard_test.cpp: what the tree operations refuse, judged
// without calling them on anything dangerous (the refusals themselves run in
// tree_refusal_test, in a throwaway prefix), copies into the source, and the
// test support's own guard in front of tree operations.
#include "fileops/fileops_test.h"
#include "fileops/tree_guard.h"
#include "support/tree_area.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using namespace qvrtest;

TEST(TreeGuardPathTest, RootSpellings) {
    const char* const roots[] = {
        "C:",           "c:.",         "C:\\",   "C:/",        "C:\\.\\",    "C:\\\\",
        "C:.\\.",       "\\",          "/",      "\\.",        "\\\\server", "\\\\server\\share",
        "//srv/share/", "\\\\s\\x\\.", "\\\\\\", "\\\\?\\C:\\"};
    const char* const others[] = {"",       "C:\\x",  "C:x",          "C:..",
                                  ".",      "..",     "\\x",          "\\\\server\\share\\x",
                                  "C:\\.x", "C:\\..", "\\\\s\\x\\..", "x:\\y\\."};
    for (const char* path : roots)
        EXPECT_TRUE(qvr::IsRootSpelling(path)) << path;
    for (const char* path : others)
        EXPECT_FALSE(qvr::IsRootSpelling(path)) << path;
}

TEST(TreeGuardPathTest, DevicePrefixesAndContainment) {
    const struct {
        const char* full;
        const char* plain; // null: not a path the tree operations take
    } prefixes[] = {{"\\\\?\\C:\\x", "C:\\x"},          {"\\\\.\\c:", "c:"},
                    {"\\\\?\\unc\\s\\x", "\\\\s\\x"},   {"\\\\?\\unix\\tmp", nullptr},
                    {"\\\\.\\PhysicalDrive0", nullptr}, {"\\\\s\\x", "\\\\s\\x"}};
    for (const auto& row : prefixes) {
        char plain[qvr::kResolvedPathSize] = "";
        EXPECT_EQ(qvr::StripDevicePrefix(row.full, plain), row.plain != nullptr) << row.full;
        if (row.plain != nullptr) {
            EXPECT_STREQ(plain, row.plain);
        }
    }

    const std::string tooLong(qvr::kResolvedPathSize, 'x');
    const struct {
        const char* outer;
        const char* inner;
        bool contains;
    } rows[] = {{"C:\\WINDOWS", "c:\\windows\\system32", true},
                {"C:\\windows\\", "C:\\WINDOWS", true},
                {"C:\\windows", "C:\\windows2", false},
                {"C:\\windows\\system32", "C:\\windows", false},
                {"\\\\s\\x", "\\\\S\\X\\y", true},
                {"C:\\a", tooLong.c_str(), true}}; // what cannot be compared is held
    for (const auto& row : rows)
        EXPECT_EQ(qvr::PathContains(row.outer, row.inner), row.contains)
            << row.outer << " / " << row.inner;
}

class TreeGuardTest : public FileTest {};

// A directory protected as the Windows directory is, in a folder with a long
// name: every spelling of it and of what holds it is refused.
TEST_F(TreeGuardTest, ProtectedDirectoryInAnySpelling) {
    const std::string parent = dir / "A Long Folder Name", guarded = parent + "\\Windows";
    MakeDirs({parent, guarded, parent + "\\other"});
    const std::string shortParent = ShortForm(parent);
    ASSERT_NE(shortParent, parent); // Wine makes 8.3 names too
    const LPCSTR protectedDirs[] = {guarded.c_str()};
    char saved[MAX_PATH];
    GetCurrentDirectoryA(sizeof saved, saved);
    ASSERT_TRUE(SetCurrentDirectoryA(guarded.c_str()));

    const struct {
        std::string path;
        DWORD error; // 0: allowed
    } rows[] = {{guarded, ERROR_ACCESS_DENIED},
                {parent, ERROR_ACCESS_DENIED},
                {shortParent, ERROR_ACCESS_DENIED},
                {shortParent + "\\WINDOWS\\", ERROR_ACCESS_DENIED},
                {parent + "\\other\\..\\.", ERROR_ACCESS_DENIED},
                {".", ERROR_ACCESS_DENIED}, // the current directory
                {"..", ERROR_ACCESS_DENIED},
                {parent + "\\other", 0},
                {shortParent + "\\other", 0},
                {guarded + "\\sub", 0}, // inside it: a temporary folder, say
                {guarded + "2", 0},
                {"sub", 0},
                {dir / std::string(qvr::kResolvedPathSize, 'x'), ERROR_FILENAME_EXCED_RANGE}};
    for (const auto& row : rows) {
        SetLastError(0xDEADBEEF);
        EXPECT_EQ(qvr::IsAllowedTreeRoot(row.path.c_str(), protectedDirs, 1), row.error == 0)
            << row.path;
        if (row.error != 0) {
            EXPECT_EQ(GetLastError(), row.error) << row.path;
        }
    }
    SetCurrentDirectoryA(saved);
}

// A copy into the source, however spelled, is refused before anything is
// made; a sibling whose name begins with the source's is not inside it.
TEST_F(TreeGuardTest, DumpDirectoryNeverCopiesIntoTheSource) {
    const std::string source = dir / "Long Source Name";
    MakeDirs({source, source + "\\sub"});
    WriteBytes(source + "\\a.txt", "a");
    const std::string shortSource = ShortForm(source);
    const std::string into[] = {source,
                                source + "\\copy",
                                dir / "LONG SOURCE NAME\\.\\copy",
                                source + "\\sub\\..\\sub\\deeper",
                                shortSource + "\\new\\deeper",
                                shortSource + "\\"};
    for (const std::string& destination : into) {
        SetLastError(0xDEADBEEF);
        EXPECT_EQ(SafeDumpDirectory(source.c_str(), destination.c_str()), 0) << destination;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER)) << destination;
    }
    EXPECT_EQ(SafeDumpDirectory(shortSource.c_str(), (source + "\\copy").c_str()), 0);
    EXPECT_EQ(Listing(dir.path()),
              (std::set<std::string>{"Long Source Name", "Long Source Name\\a.txt",
                                     "Long Source Name\\sub"}));

    EXPECT_EQ(SafeDumpDirectory(source.c_str(), (source + " 2").c_str()), 1);
    EXPECT_EQ(Listing(source + " 2"), (std::set<std::string>{"a.txt", "sub"}));
}

// The test support's guard ends the program before the operation is called
// when a path leaves the test areas; the operation here only returns.
TEST(TreeAreaDeathTest, StopsBeforeTheOperation) {
    const auto op = [](const char*) { return 7; };
    TempDir dir;
    EXPECT_EQ(CallTreeOp(op, (dir / "x").c_str()), 7);
    const char* const outside[] = {"Z:\\",  "Z:\\tmp",     "\\\\?\\unix\\tmp",
                                   "C:\\",  "C:\\windows", ".",
                                   nullptr, "..\\..",      "\\\\server\\share"};
    for (const char* path : outside)
        EXPECT_DEATH(CallTreeOp(op, path), "outside the test areas") << (path ? path : "null");
    // Inside %TEMP% by its text, out of it through "..".
    EXPECT_DEATH(CallTreeOp(op, (dir / "..\\..\\..").c_str()), "outside the test areas");
}

} // namespace
