// fileops/path_helpers_test.cpp: joining and splitting paths, network path
// tests and level-by-level directory creation; the DoubleByte tests run in a
// second process whose ANSI code page is 932.
#include "fileops/path_helpers.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using namespace qvrtest;

class PathHelpersTest : public QvrTest {};

// A buffer filled with 0xCC around the text, to show a helper wrote nothing
// beyond the result's terminator.
struct Buffer {
    char bytes[300];
    explicit Buffer(const char* text) {
        std::memset(bytes, 0xCC, sizeof bytes);
        std::memcpy(bytes, text, std::strlen(text) + 1);
    }
    bool UntouchedAfter(size_t length) const {
        for (size_t i = length + 1; i < sizeof bytes; ++i) {
            if (static_cast<unsigned char>(bytes[i]) != 0xCC)
                return false;
        }
        return true;
    }
};

TEST_F(PathHelpersTest, EndLastCharAndCount) {
    struct Row {
        const char* s;
        int end;
        int last;
        int count;
    } rows[] = {{"", 0, 0, 0}, {"a", 1, 0, 1}, {"C:\\", 3, 2, 3}, {"C:\\DIR\\F", 8, 7, 8}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.s);
        EXPECT_EQ(qvr::GetStringEnd(row.s) - row.s, row.end);
        EXPECT_EQ(qvr::GetLastCharPtr(row.s) - row.s, row.last);
        EXPECT_EQ(qvr::CountPathChars(row.s), row.count);
    }
    EXPECT_EQ(qvr::GetStringEnd(static_cast<const char*>(nullptr)), nullptr);
    EXPECT_EQ(qvr::GetLastCharPtr(static_cast<const char*>(nullptr)), nullptr);
    EXPECT_EQ(qvr::CountPathChars(nullptr), 0);
}

TEST_F(PathHelpersTest, AddTrailingBackslashAndAppend) {
    struct Row {
        const char* dst;
        const char* name; // null: AddTrailingBackslash alone
        const char* expected;
    } rows[] = {
        {"C:\\", nullptr, "C:\\"},          {"", nullptr, ""},
        {"C:\\DIR", nullptr, "C:\\DIR\\"},  {"C:", nullptr, "C:\\"},
        {"C:\\APP", "BIN", "C:\\APP\\BIN"}, {"C:\\APP\\", "BIN", "C:\\APP\\BIN"},
        {"C:\\", "BIN", "C:\\BIN"},         {"", "BIN", "BIN"},
        {"C:\\APP", "", "C:\\APP\\"},       {"C:\\APP", "SUB\\FILE.TXT", "C:\\APP\\SUB\\FILE.TXT"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.dst) + " + " + (row.name ? row.name : "(none)"));
        Buffer buffer(row.dst);
        char* result = row.name ? qvr::AppendPathComponent(buffer.bytes, row.name)
                                : qvr::AddTrailingBackslash(buffer.bytes);
        EXPECT_EQ(result, buffer.bytes);
        EXPECT_STREQ(buffer.bytes, row.expected);
        EXPECT_TRUE(buffer.UntouchedAfter(std::strlen(row.expected)));
    }
    EXPECT_EQ(qvr::AddTrailingBackslash(nullptr), nullptr);
    EXPECT_EQ(qvr::AppendPathComponent(nullptr, "X"), nullptr);
    Buffer unchanged("C:\\APP");
    qvr::AppendPathComponent(unchanged.bytes, nullptr);
    EXPECT_STREQ(unchanged.bytes, "C:\\APP");
}

TEST_F(PathHelpersTest, FindLastSeparatorAndFileNamePart) {
    struct Row {
        const char* path;
        int separator; // offset, -1 for none
        const char* name;
    } rows[] = {
        {"C:FILE", 1, "FILE"},
        {"C:\\DIR\\FILE.TXT", 6, "FILE.TXT"},
        {"FILE.TXT", -1, "FILE.TXT"},
        {"", -1, ""},
        {"\\", 0, ""},
        {"C:\\DIR\\", 6, ""},
        {"A:B\\C", 3, "C"},
        {"SERVER\\SYS:APPS", 10, "APPS"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        const char* separator = qvr::FindLastSeparator(row.path);
        EXPECT_EQ(separator ? separator - row.path : -1, row.separator);

        Buffer out("");
        EXPECT_EQ(qvr::GetFileNamePart(out.bytes, row.path), out.bytes);
        EXPECT_STREQ(out.bytes, row.name);
        EXPECT_TRUE(out.UntouchedAfter(std::strlen(row.name)));

        Buffer inPlace(row.path);
        qvr::GetFileNamePart(inPlace.bytes, inPlace.bytes);
        EXPECT_STREQ(inPlace.bytes, row.name);
    }
    EXPECT_EQ(qvr::FindLastSeparator(static_cast<const char*>(nullptr)), nullptr);
    Buffer out("junk");
    qvr::GetFileNamePart(out.bytes, nullptr);
    EXPECT_STREQ(out.bytes, "");
    EXPECT_EQ(qvr::GetFileNamePart(nullptr, "C:\\X"), nullptr);
}

TEST_F(PathHelpersTest, NetworkPaths) {
    struct Row {
        const char* path;
        int unc;
        int serverVolume;
    } rows[] = {
        {"\\\\server\\share", 1, 0},
        {"\\\\", 1, 0},
        {"\\\\server", 1, 0},
        {"\\\\\\server", 0, 0},
        {"\\\\server\\\\share", 0, 0},
        {"\\\\server\\share\\\\", 0, 0},
        {"\\server", 0, 0},
        {"C:\\dir", 0, 0},
        {"", 0, 0},
        {"SERVER\\SYS:APPS", 0, 1},
        {"SERVER/SYS:APPS", 0, 1},
        {"SERVER\\SYS:", 0, 1},
        {"SERVER\\SYS\\APPS:", 0, 0},
        {"SERVER\\", 0, 0},
        {"SERVER\\:APPS", 0, 0},
        {"SERVER:SYS\\APPS", 0, 0},
        {"\\\\srv:x\\y", 1, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(qvr::IsUNCPath(row.path), row.unc);
        EXPECT_EQ(qvr::IsServerVolumePath(row.path), row.serverVolume);
        EXPECT_EQ(qvr::IsNetworkPath(row.path), row.unc || row.serverVolume ? 1 : 0);
    }
    EXPECT_EQ(qvr::IsUNCPath(nullptr), 0);
    EXPECT_EQ(qvr::IsServerVolumePath(nullptr), 0);
    EXPECT_EQ(qvr::IsNetworkPath(nullptr), 0);
}

bool DirExists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Number of entries in a directory, "." and ".." not counted.
int CountEntries(const std::string& directory) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((directory + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    int count = 0;
    do {
        if (std::strcmp(data.cFileName, ".") != 0 && std::strcmp(data.cFileName, "..") != 0)
            ++count;
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return count;
}

class CreateDirLevelsTest : public FileTest {};

TEST_F(CreateDirLevelsTest, CreatesEveryMissingLevel) {
    EXPECT_EQ(qvr::CreateDirLevels((dir / "A\\B\\C").c_str()), 0);
    EXPECT_TRUE(DirExists(dir / "A\\B\\C"));
    EXPECT_EQ(CountEntries(dir.path()), 1);
    EXPECT_EQ(CountEntries(dir / "A"), 1);
    // Below an existing level the shortening stops at the first level that
    // can be made.
    EXPECT_EQ(qvr::CreateDirLevels((dir / "A\\X\\Y").c_str()), 0);
    EXPECT_TRUE(DirExists(dir / "A\\X\\Y"));
}

TEST_F(CreateDirLevelsTest, EmptyLevelsFromTrailingOrDoubledBackslashes) {
    EXPECT_EQ(qvr::CreateDirLevels((dir / "P\\Q\\").c_str()), 0);
    EXPECT_TRUE(DirExists(dir / "P\\Q"));
    EXPECT_EQ(qvr::CreateDirLevels((dir / "R\\\\S").c_str()), 0);
    EXPECT_TRUE(DirExists(dir / "R\\S"));
}

TEST_F(CreateDirLevelsTest, FailureCreatesNothing) {
    // A file in the way: every ancestor up to the drive root exists or cannot
    // be made, so nothing is created anywhere.
    WriteBytes(dir / "file.txt", "x");
    EXPECT_EQ(qvr::CreateDirLevels((dir / "file.txt\\X\\Y").c_str()), -1);
    EXPECT_EQ(CountEntries(dir.path()), 1);
    // Only called once creating the path itself failed: an existing ancestor
    // also fails CreateDirectoryA and is shortened past, up to the root.
    EXPECT_EQ(qvr::CreateDirLevels((dir / "file.txt").c_str()), -1);
    EXPECT_EQ(CountEntries(dir.path()), 1);

    // A volume name is never cut at its ':' into a relative directory.
    char saved[MAX_PATH];
    GetCurrentDirectoryA(sizeof saved, saved);
    ASSERT_TRUE(SetCurrentDirectoryA(dir.path().c_str()));
    EXPECT_EQ(qvr::CreateDirLevels("SRV\\SYS:APPS\\X"), -1);
    EXPECT_EQ(qvr::CreateDirLevels("NOSEPARATOR"), -1);
    SetCurrentDirectoryA(saved);
    EXPECT_EQ(CountEntries(dir.path()), 1);

    SetLastError(0xDEADBEEF);
    EXPECT_EQ(qvr::CreateDirLevels(nullptr), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(CreateDirLevelsTest, PathLongerThanWorkBufferIsRefused) {
    std::string path = dir.path();
    while (path.size() < 500)
        path += "\\x";
    path.append(512 - path.size(), 'y'); // one byte too many with the terminator
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(qvr::CreateDirLevels(path.c_str()), -1);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_EQ(CountEntries(dir.path()), 0);
}

// Run by the path_helpers_test_cp932 entry, whose Wine process gets code page
// 932 from LC_ALL=ja_JP.UTF-8 (Wine reads the locale name from the
// environment; the Unix locale need not be generated). That entry also sets
// QVR_EXPECT_ACP, so there a wrong code page fails instead of skipping.
class DoubleByteTest : public FileTest {
  protected:
    void SetUp() override {
        UINT acp = GetACP();
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

    struct Row {
        const char* path;
        int separator;
        const char* name;
    } rows[] = {
        {HYOU, -1, HYOU},
        {"C:\\DIR\\" HYOU, 6, HYOU},
        {"C:\\" SO HYOU ".TXT", 2, SO HYOU ".TXT"},
        {"C:" HYOU, 1, HYOU},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        const char* separator = qvr::FindLastSeparator(row.path);
        EXPECT_EQ(separator ? separator - row.path : -1, row.separator);
        Buffer out("");
        qvr::GetFileNamePart(out.bytes, row.path);
        EXPECT_STREQ(out.bytes, row.name);
    }

    Buffer joined("C:\\" HYOU);
    qvr::AddTrailingBackslash(joined.bytes);
    EXPECT_STREQ(joined.bytes, "C:\\" HYOU "\\");
    Buffer appended("C:\\" SO);
    qvr::AppendPathComponent(appended.bytes, "A");
    EXPECT_STREQ(appended.bytes, "C:\\" SO "\\A");

    // A trail byte followed by a real backslash is not a doubled backslash.
    EXPECT_EQ(qvr::IsUNCPath("\\\\srv\\" HYOU "\\x"), 1);
    EXPECT_EQ(qvr::IsUNCPath("\\\\srv\\" HYOU "\\\\x"), 0);
}

TEST_F(DoubleByteTest, CreateDirLevelsSplitsOnlyAtRealBackslashes) {
    EXPECT_EQ(qvr::CreateDirLevels((dir / HYOU "\\" SO "\\" HYOU).c_str()), 0);
    EXPECT_TRUE(DirExists(dir / HYOU "\\" SO "\\" HYOU));
    // Exactly one level directly below: the trail bytes made no extra levels.
    EXPECT_EQ(CountEntries(dir.path()), 1);
    EXPECT_TRUE(DirExists(dir / HYOU));
    EXPECT_EQ(CountEntries(dir / HYOU), 1);
}

} // namespace
