// script/query_exports_test.cpp: the query exports through the DLL, on
// images that InfInit and InfInitDiskInf built from files.
#include "support/dll.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using namespace qvrtest;

using InfInitFn = int(WINAPI*)(LPCSTR);
using InfInitDiskInfFn = int(WINAPI*)(LPCSTR, LPCSTR);
using FindSectionFn = char*(WINAPI*)(char*, LPCSTR);
using GetProfileStringFn = int(WINAPI*)(char*, LPCSTR, LPCSTR, char*);
using ParseFieldFn = int(WINAPI*)(char*, WORD, char*);
using LineFn = char*(WINAPI*)(char*);
using LineCountFn = int(WINAPI*)(char*);
using LookupFn = int(WINAPI*)(char*, char*);
using SearchRowFn = SHORT(WINAPI*)(LPCSTR, WORD, LPCSTR);
using ImageFn = char*(WINAPI*)();
using CloseFn = void(WINAPI*)();

const char kScript[] = "; sample\r\n[Setup]\r\nTitle = \"My App\"\r\nDir = C:\\APP\r\n"
                       "\r\n[Files]\r\na.exe, \"b c.exe\"\r\nb.exe, d\r\nc.exe\r\n";
const char kDisks[] = "[Setup]\r\nx=1\r\n[Disk1]\r\nlabel = \"Disk One\"\r\nfile=d1\r\n"
                      "[Disk2]\r\nlabel=two\r\n";

class QueryExportsTest : public FileTest {
  protected:
    InfInitFn infInit = Export<InfInitFn>("_InfInit@4");
    InfInitDiskInfFn infInitDiskInf = Export<InfInitDiskInfFn>("_InfInitDiskInf@8");
    FindSectionFn findSection = Export<FindSectionFn>("_InfFindSection@8");
    GetProfileStringFn getProfileString = Export<GetProfileStringFn>("_InfGetProfileString@16");
    ParseFieldFn parseField = Export<ParseFieldFn>("_InfParseField@12");
    LineFn nextLine = Export<LineFn>("_InfNextLine@4");
    LineFn prevLine = Export<LineFn>("_InfPrevLine@4");
    LineCountFn lineCount = Export<LineCountFn>("_InfLineCount@4");
    LookupFn lookup = Export<LookupFn>("_InfLookup@8");
    LineFn getNamedSection = Export<LineFn>("_InfGetNamedSection@4");
    SearchRowFn searchRow = Export<SearchRowFn>("_InfSearchRow@12");
    ImageFn getScriptPtr = Export<ImageFn>("_InfGetScriptPtr@0");
    ImageFn getDiskInfPtr = Export<ImageFn>("_InfGetDiskInfPtr@0");
    CloseFn close = Export<CloseFn>("_InfClose@0");
    CloseFn closeDiskInf = Export<CloseFn>("_InfCloseDiskInf@0");

    void SetUp() override {
        ASSERT_TRUE(infInit && infInitDiskInf && findSection && getProfileString && parseField &&
                    nextLine && prevLine && lineCount && lookup && getNamedSection && searchRow &&
                    getScriptPtr && getDiskInfPtr && close && closeDiskInf);
        close(); // no context left over from another test
    }
    void TearDown() override {
        close();
        FileTest::TearDown();
    }
    void Load() {
        WriteBytes(dir / "setup.inf", kScript);
        WriteBytes(dir / "disks.inf", kDisks);
        ASSERT_EQ(infInit((dir / "setup.inf").c_str()), 1);
        ASSERT_EQ(infInitDiskInf((dir / "disks.inf").c_str(), "disk"), 1);
    }
};

TEST_F(QueryExportsTest, WithoutContextEverythingIsEmpty) {
    char value[16] = "x";
    char keyPath[] = "Setup.Title";
    EXPECT_EQ(getScriptPtr(), nullptr);
    EXPECT_EQ(getDiskInfPtr(), nullptr);
    EXPECT_EQ(findSection(nullptr, "Setup"), nullptr);
    EXPECT_EQ(getProfileString(nullptr, "Setup", "Title", value), 0);
    EXPECT_STREQ(value, "");
    std::strcpy(value, "x");
    EXPECT_EQ(lookup(keyPath, value), 0);
    EXPECT_STREQ(value, "");
    EXPECT_STREQ(keyPath, "Setup.Title");
    EXPECT_EQ(searchRow("Files", 1, "a.exe"), -1);
    EXPECT_EQ(prevLine(keyPath + 3), nullptr);
    close();
    closeDiskInf();
    EXPECT_EQ(getScriptPtr(), nullptr);
    // The line functions need no context.
    char line[] = "k=v\0";
    EXPECT_EQ(parseField(line, 1, value), 1);
    EXPECT_STREQ(value, "v");
    EXPECT_EQ(lineCount(line), 1);
    EXPECT_EQ(nextLine(line), nullptr);
    EXPECT_EQ(getNamedSection(keyPath), keyPath + 6);
}

TEST_F(QueryExportsTest, ScriptQueries) {
    Load();
    char* script = getScriptPtr();
    ASSERT_NE(script, nullptr);
    EXPECT_EQ(std::string(script, 8), std::string("[Setup]\0", 8));

    char value[64];
    EXPECT_EQ(getProfileString(nullptr, "SETUP", "title", value), 1);
    EXPECT_STREQ(value, "My App");
    char keyPath[] = "Setup.Dir";
    EXPECT_EQ(lookup(keyPath, value), 1);
    EXPECT_STREQ(value, "C:\\APP");
    EXPECT_STREQ(keyPath, "Setup.Dir");
    EXPECT_EQ(lookup(keyPath, keyPath), 1);
    EXPECT_STREQ(keyPath, "C:\\APP");

    char* files = findSection(nullptr, "Files");
    ASSERT_NE(files, nullptr);
    EXPECT_EQ(findSection(script, "Files"), files);
    EXPECT_EQ(lineCount(files), 3);
    char* second = nextLine(files);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(parseField(second, 2, value), 1);
    EXPECT_STREQ(value, "d");
    EXPECT_EQ(parseField(files, 2, value), 1);
    EXPECT_STREQ(value, "b c.exe");
    EXPECT_EQ(nextLine(nextLine(second)), nullptr);

    // One line back is the line whose last byte is two below this one.
    EXPECT_EQ(prevLine(second - 2), files);
    EXPECT_EQ(prevLine(second), second);
    EXPECT_EQ(prevLine(files - 2), nullptr); // the header

    EXPECT_EQ(searchRow("Files", 1, "C.EXE"), 2);
    EXPECT_EQ(searchRow("Files", 2, ""), 2);
    EXPECT_EQ(searchRow("Files", 1, "e.exe"), -1);
    EXPECT_EQ(searchRow("Disk1", 1, "d1"), -1); // only the script is searched
}

TEST_F(QueryExportsTest, DiskInfQueriesAndRelease) {
    Load();
    char* script = getScriptPtr();
    char* disks = getDiskInfPtr();
    ASSERT_NE(disks, nullptr);
    char value[64];
    EXPECT_EQ(getProfileString(disks, "Disk1", "label", value), 1);
    EXPECT_STREQ(value, "Disk One");
    EXPECT_EQ(getProfileString(disks, "Setup", "x", value), 0); // not selected
    EXPECT_EQ(getProfileString(nullptr, "Disk1", "label", value), 0);
    char* disk1 = findSection(disks, "disk1");
    ASSERT_NE(disk1, nullptr);
    EXPECT_EQ(lineCount(disk1), 2);
    char* file = nextLine(disk1);
    EXPECT_EQ(prevLine(file - 2), disk1);
    // The disks.inf image starts with its header: nothing before it.
    EXPECT_EQ(prevLine(disks + 2), nullptr);

    closeDiskInf();
    EXPECT_EQ(getDiskInfPtr(), nullptr);
    EXPECT_EQ(getScriptPtr(), script);
    EXPECT_NE(findSection(nullptr, "Setup"), nullptr);
    closeDiskInf();

    close();
    EXPECT_EQ(getScriptPtr(), nullptr);
    EXPECT_EQ(findSection(nullptr, "Setup"), nullptr);
    close(); // twice in a row: nothing to do
    EXPECT_EQ(getScriptPtr(), nullptr);
}

TEST_F(QueryExportsTest, LoadQueryCloseLeaksNothing) {
    WriteBytes(dir / "setup.inf", kScript);
    WriteBytes(dir / "disks.inf", kDisks);
    auto cycle = [&] {
        ASSERT_EQ(infInit((dir / "setup.inf").c_str()), 1);
        ASSERT_EQ(infInitDiskInf((dir / "disks.inf").c_str(), "Disk"), 1);
        char value[64];
        ASSERT_EQ(getProfileString(nullptr, "Setup", "Title", value), 1);
        ASSERT_EQ(searchRow("Files", 1, "c.exe"), 2);
        closeDiskInf();
        close();
    };
    for (int i = 0; i < 5; ++i)
        cycle();
    size_t before = CountHeapBlocks();
    for (int i = 0; i < 50; ++i)
        cycle();
    EXPECT_LE(CountHeapBlocks(), before + 5); // not one block per cycle
}

} // namespace
