// machine_test.cpp: the host's stand-in for the restart helper, the reading
// of pending renames and the listing of installed files, in a temporary
// folder that plays the Windows directory.
#include "machine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class MachineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH];
        ASSERT_GT(GetTempPathA(sizeof temp, temp), 0u);
        dir_ = host::Join(temp, "qvr_host_test_" + std::to_string(GetCurrentProcessId()));
        host::RemoveAll(dir_);
        ASSERT_TRUE(CreateDirectoryA(dir_.c_str(), nullptr));
    }
    void TearDown() override { host::RemoveAll(dir_); }

    std::string Path(const std::string& name) const { return host::Join(dir_, name); }
    void Write(const std::string& name, const std::string& text) const {
        ASSERT_TRUE(host::WriteText(Path(name), text)) << name;
    }
    std::string Read(const std::string& name) const {
        std::string text;
        return host::ReadText(Path(name), text) ? text : "(missing)";
    }

    std::string dir_;
};

TEST_F(MachineTest, WininitReplacesAndDeletesThenGoes) {
    Write("APP.EXE", "old");
    Write("APP.EX^", "new");
    Write("OLD.DLL", "gone");
    CreateDirectoryA(Path("TREE").c_str(), nullptr);
    Write("TREE\\F.TXT", "x");
    Write("WININIT.QVR", "NUL=" + Path("OLD.DLL") + "\r\n" + Path("APP.EXE") + "=" +
                             Path("APP.EX^") + "\r\nno equals sign here\r\nNUL=" + Path("TREE") +
                             "\r\nNUL=" + Path("MISSING\\X") + "\r\n");

    std::vector<std::string> done = host::RunRestartHelper(dir_);

    const std::vector<std::string> expected = {
        "delete " + Path("OLD.DLL"), "replace " + Path("APP.EXE") + " by " + Path("APP.EX^"),
        "delete " + Path("TREE"),
        "delete " + Path("MISSING\\X"), // nothing there: nothing left either
    };
    EXPECT_EQ(done, expected);
    EXPECT_EQ(Read("APP.EXE"), "new");
    EXPECT_FALSE(host::Exists(Path("APP.EX^")));
    EXPECT_FALSE(host::Exists(Path("OLD.DLL")));
    EXPECT_FALSE(host::Exists(Path("TREE")));
    EXPECT_FALSE(host::Exists(Path("WININIT.QVR")));
}

TEST_F(MachineTest, BatchCommandsByWord) {
    Write("NEW.DL^", "new");
    Write("NEW.DLL", "old");
    Write("KEEP.TXT", "keep");
    CreateDirectoryA(Path("EMPTY").c_str(), nullptr);
    CreateDirectoryA(Path("TREE").c_str(), nullptr);
    Write("TREE\\F.TXT", "x");
    Write("_KRBINST.BAT", "@echo off\r\n"
                          "Rem  Windows 95\r\n"
                          "copy " +
                              Path("NEW.DL^") + " " + Path("NEW.DLL") +
                              "\r\n"
                              "Del  " +
                              Path("NEW.DL^") +
                              "\r\n"
                              "Delete " +
                              Path("KEEP.TXT") +
                              "\r\n" // not the Del command
                              "Del  " +
                              Path("NOT.THERE") +
                              "\r\n"
                              "Rmdir  " +
                              Path("EMPTY") +
                              "\r\n"
                              "DelTree /Y  " +
                              Path("TREE") + "\r\n");

    std::vector<std::string> done = host::RunRestartHelper(dir_);

    const std::vector<std::string> expected = {
        "copy " + Path("NEW.DL^") + " to " + Path("NEW.DLL"),
        "delete " + Path("NEW.DL^"),
        "delete " + Path("NOT.THERE") + "  (failed)",
        "remove directory " + Path("EMPTY"),
        "delete tree " + Path("TREE"),
    };
    EXPECT_EQ(done, expected);
    EXPECT_EQ(Read("NEW.DLL"), "new");
    EXPECT_EQ(Read("KEEP.TXT"), "keep");
    EXPECT_FALSE(host::Exists(Path("EMPTY")));
    EXPECT_FALSE(host::Exists(Path("TREE")));
    EXPECT_FALSE(host::Exists(Path("_KRBINST.BAT")));
}

TEST_F(MachineTest, NothingToDoWithoutRestartFiles) {
    EXPECT_TRUE(host::RunRestartHelper(dir_).empty());
}

TEST(MachinePendingRenames, PairsOfTheMultiString) {
    using namespace std::string_literals;
    struct Case {
        std::string data;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {""s, {}},
        {"\\??\\C:\\A\0\0\0"s, {"delete \\??\\C:\\A"}},
        {"\\??\\C:\\A\0\0\\??\\C:\\B^\0!\\??\\C:\\B\0\0"s,
         {"delete \\??\\C:\\A", "rename \\??\\C:\\B^ -> !\\??\\C:\\B"}},
        // A source without its destination at the very end is left out.
        {"\\??\\C:\\A\0"s, {}},
    };
    for (size_t row = 0; row < std::size(cases); ++row)
        EXPECT_EQ(host::DescribePendingRenames(cases[row].data), cases[row].lines) << "row " << row;
}

TEST_F(MachineTest, ListFilesSortedFilesBeforeFolders) {
    CreateDirectoryA(Path("SUB").c_str(), nullptr);
    Write("SUB\\C.TXT", "third\r\nmore");
    Write("B.TXT", "second");
    Write("A.TXT", "");
    const std::vector<std::string> expected = {
        "A.TXT  (0 bytes): ",
        "B.TXT  (6 bytes): second",
        "SUB\\C.TXT  (11 bytes): third",
    };
    EXPECT_EQ(host::ListFiles(dir_), expected);
    EXPECT_TRUE(host::ListFiles(Path("NO_SUCH")).empty());
}

} // namespace
