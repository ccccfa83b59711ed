// fileops/tree_refusal_test.cpp: the DLL's tree operations pointed at drive
// and share roots, the Windows and system directories and the current
// directory. Only ever run by cmake/wine-sandbox.sh, in a throwaway prefix
// without a Z: drive or links to the host, where Q: and \\QVRSCRATCH\SHARE
// are scratch folders; as NT, Windows 95 and Windows 3.1.
// Every call passes the test areas' guard first.
#include "fileops/fileops_test.h"
#include "frame/platform.h"
#include "support/tree_area.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace qvrtest;

// Every file under `root` with its contents, and every directory.
std::map<std::string, std::string> Contents(const std::string& root) {
    std::map<std::string, std::string> contents;
    for (const std::string& name : Listing(root))
        contents[name] = ReadBytes(root + "\\" + name);
    return contents;
}

std::string SystemDirectory() {
    char buffer[MAX_PATH] = "";
    GetSystemDirectoryA(buffer, sizeof buffer);
    return buffer;
}

class TreeRefusalTest : public QvrTest {
  protected:
    const std::string windows = WindowsPath(""), system = SystemDirectory();
    const std::string share = "\\\\QVRSCRATCH\\SHARE";
    // Files that a tree operation that refused nothing would delete or
    // schedule: on both scratch places, in C:\, the Windows and the system
    // directory, and the restart helpers, which scheduling renames.
    const std::vector<std::string> markers = {"Q:\\keep.txt",
                                              "Q:\\dir\\in.txt",
                                              "Q:\\held.dll",
                                              share + "\\keep.txt",
                                              "C:\\qvr-marker.txt",
                                              windows + "qvr-marker.txt",
                                              system + "\\qvr-marker.txt",
                                              windows + "_KRBINST.EXE",
                                              windows + "_KRBSHEL.EXE"};

    void SetUp() override {
        ASSERT_TRUE(InSandbox()) << "runs only through cmake/wine-sandbox.sh";
        CreateDirectoryA("Q:\\dir", nullptr);
        CreateDirectoryA("Q:\\empty", nullptr);
        for (const std::string& marker : markers)
            WriteBytes(marker, marker);
        ASSERT_TRUE(FileExists("Q:\\dir\\in.txt") && FileExists(share + "\\keep.txt"));
    }
    void TearDown() override {
        for (const std::string& marker : markers) {
            if (marker.compare(0, 2, "Q:") != 0)
                DeleteFileA(marker.c_str());
        }
        QvrTest::TearDown();
    }
};

// The copies see the Windows they are named after; otherwise the Windows 95
// and 3.1 runs would only repeat the NT one.
TEST(TreeRefusalPlatformTest, RunsOnTheWindowsItIsNamedFor) {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    const std::string name = path;
    const int named = name.find("_win95.exe") != std::string::npos   ? 95
                      : name.find("_win31.exe") != std::string::npos ? 31
                                                                     : 0;
    EXPECT_EQ(qvr::IsWindowsNT() ? 0 : qvr::IsVersion4() ? 95 : 31, named) << name;
}

// Nothing deleted, nothing scheduled, on every platform: a file held open on
// the scratch drive would be scheduled by any operation that went ahead.
TEST_F(TreeRefusalTest, DangerousRootsAreRefusedUntouched) {
    // ".", "\" and ".." name Q:\ for the operations that resolve in the
    // current directory; QVRDelTree resolves them in the Windows directory.
    ASSERT_TRUE(SetCurrentDirectoryA("Q:\\"));
    // One path per way of reaching a root or a protected directory; the
    // spellings of each are tree_guard_test's.
    const std::string roots[] = {"Q:\\",        "Q:",
                                 "Q:\\dir\\..", "\\\\?\\Q:\\",
                                 share,         "\\\\?\\UNC\\QVRSCRATCH\\SHARE\\",
                                 "C:\\",        "\\",
                                 ".",           "..",
                                 windows,       ShortForm(windows),
                                 system,        system + "\\..\\"};
    const std::map<std::string, std::string> scratch = Contents("Q:\\"), shared = Contents(share);
    const RestartSnapshot restart = TakeRestartSnapshot();
    char saved[MAX_PATH];
    GetCurrentDirectoryA(sizeof saved, saved);

    struct Row {
        std::string call;
        std::function<int()> run;
        DWORD error;
    };
    std::vector<Row> rows;
    for (const std::string& root : roots) {
        const char* p = root.c_str();
        rows.push_back(
            {"QVRDelTree(" + root + ")", [p] { return SafeDelTree(p); }, ERROR_ACCESS_DENIED});
        rows.push_back({"QVRTryRemoveDir(" + root + ")", [p] { return SafeTryRemoveDir(p); },
                        ERROR_ACCESS_DENIED});
        rows.push_back({"InstRemTempDirNT(" + root + ")", [p] { return SafeRemTempDirNT(p); },
                        ERROR_ACCESS_DENIED});
    }
    // Null and empty paths stand for the current directory too.
    for (const char* p : {static_cast<const char*>(nullptr), ""}) {
        const std::string shown = p ? "\"\"" : "null";
        rows.push_back(
            {"QVRDelTree(" + shown + ")", [p] { return SafeDelTree(p); }, ERROR_INVALID_PARAMETER});
        rows.push_back({"QVRTryRemoveDir(" + shown + ")", [p] { return SafeTryRemoveDir(p); },
                        ERROR_INVALID_PARAMETER});
        rows.push_back({"InstRemTempDirNT(" + shown + ")", [p] { return SafeRemTempDirNT(p); },
                        ERROR_INVALID_PARAMETER});
        rows.push_back({"QVRDumpDirectory(" + shown + ", Q:\\out)",
                        [p] { return SafeDumpDirectory(p, "Q:\\out"); }, ERROR_INVALID_PARAMETER});
        rows.push_back({"QVRDumpDirectory(Q:\\dir, " + shown + ")",
                        [p] { return SafeDumpDirectory("Q:\\dir", p); }, ERROR_INVALID_PARAMETER});
    }
    rows.push_back({"QVRDumpDirectory(Q:\\, Q:\\copy)",
                    [] { return SafeDumpDirectory("Q:\\", "Q:\\copy"); }, ERROR_INVALID_PARAMETER});
    rows.push_back({"QVRDumpDirectory(., dir\\copy)",
                    [] { return SafeDumpDirectory(".", "dir\\copy"); }, ERROR_INVALID_PARAMETER});

    {
        qvr::FileHandle held = HoldOpen("Q:\\held.dll");
        ASSERT_TRUE(held);
        for (const Row& row : rows) {
            SetLastError(0xDEADBEEF);
            EXPECT_EQ(row.run(), 0) << row.call;
            EXPECT_EQ(GetLastError(), row.error) << row.call;
            char current[MAX_PATH];
            GetCurrentDirectoryA(sizeof current, current);
            EXPECT_STREQ(current, saved) << row.call;
        }
    }
    EXPECT_EQ(Contents("Q:\\"), scratch);
    EXPECT_EQ(Contents(share), shared);
    for (const std::string& marker : markers)
        EXPECT_EQ(ReadBytes(marker), marker);
    EXPECT_EQ(TakeRestartSnapshot(), restart);

    // The same operations still work one level down.
    EXPECT_EQ(SafeTryRemoveDir("Q:\\empty"), 1);
    EXPECT_EQ(SafeDelTree("Q:\\dir"), 1);
    EXPECT_EQ(Listing("Q:\\"), (std::set<std::string>{"held.dll", "keep.txt"}));
}

} // namespace
