// textfile/config_text_file_test.cpp: configuration file lines (directives,
// block headers, the common block) and the added "[common]" headers.
#include "support/temp_dir.h"
#include "textfile/config_text_file.h"
#include "textfile/line_flags.h"
#include "textfile/line_list.h"
#include "textfile/text_file_probe.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace qvrtest;
using Lines = std::vector<std::string>;

class ConfigTextFileTest : public TextFileTest {
  protected:
    std::unique_ptr<Probe<ConfigTextFile>> Config(const std::string& bytes) {
        return Load<ConfigTextFile>(bytes, {"REM", ";"});
    }
};

TEST_F(ConfigTextFileTest, LinesAreClassifiedAndParsed) {
    struct Row {
        const char* text;
        DWORD flags;
        const char* parsed;
    } rows[] = {
        {"FILES = 40\r\n", LINE_ASSIGNMENT, "files=40"},
        {"DEVICEHIGH = C:\\DOS\\EMM386.EXE   NOEMS\r\n", LINE_ASSIGNMENT,
         "devicehigh=c:\\dos\\emm386.exe noems"},
        {"\tBUFFERS\t=\t20 ,  0\r\n", LINE_ASSIGNMENT, "buffers=20 , 0"},
        {"[menu]\r\n", LINE_SECTION, "[menu]"},
        {"  [COMMON]\r\n", LINE_SECTION | LINE_COMMON, "[common]"},
        {"[common] ; shared\r\n", LINE_SECTION | LINE_COMMON, "[common] ; shared"},
        {"[common]x\r\n", LINE_SECTION | LINE_COMMON, "[common]x"}, // 8 characters count
        {"[commonx]\r\n", LINE_SECTION, "[commonx]"},
        {"[ common]\r\n", LINE_SECTION, "[ common]"},
        {"[Normal   Boot]\r\n", LINE_SECTION, "[normal boot]"},
        {"menuitem=win, Windows\r\n", LINE_ASSIGNMENT, "menuitem=win, windows"},
        {"[a=b]\r\n", LINE_ASSIGNMENT, "[a=b]"}, // an "=" makes it a directive
        {"[menu\r\n", 0, "[menu"},
        {"menu]\r\n", 0, "menu]"},
        {"[]\r\n", LINE_SECTION, "[]"},
        {"rem [common]\r\n", LINE_COMMENT, "rem [common]"},
        {"; FILES=30\r\n", LINE_COMMENT, "; files=30"},
        {"\r\n", 0, ""},
    };
    std::string bytes;
    for (const Row& row : rows)
        bytes += row.text;
    auto file = Config(bytes);
    ASSERT_TRUE(file);
    ASSERT_EQ(file->GetLineCount(), static_cast<int>(std::size(rows)));
    char parsed[512];
    for (int i = 0; i < file->GetLineCount(); ++i) {
        SCOPED_TRACE(rows[i].text);
        EXPECT_EQ(file->GetLineFlags(i), rows[i].flags);
        ASSERT_NE(file->GetParsedLineText(i, parsed, 511), nullptr);
        EXPECT_STREQ(parsed, rows[i].parsed);
    }
    EXPECT_EQ(file->ClassifyLine(nullptr), 0u);
    EXPECT_EQ(file->ClassifyLine(""), 0u);
    // Added lines are classified the same way.
    ASSERT_EQ(file->AddLineTail("[COMMON]\r\n"), 1);
    EXPECT_EQ(file->GetLineFlags(file->GetLineCount() - 1),
              LINE_SECTION | LINE_COMMON | LINE_ADDED);
}

TEST_F(ConfigTextFileTest, ParseTextKeepsToItsLimit) {
    ConfigTextFile file;
    char out[8];
    std::memset(out, 'x', sizeof out);
    // The limit cuts first; the normalised form is never longer.
    EXPECT_EQ(file.ParseText("A   =   B C", out, 5), 1);
    EXPECT_STREQ(out, "a=");
    EXPECT_EQ(out[7], 'x');
    char same[] = "  X = Y  ";
    EXPECT_EQ(file.ParseText(same, same, 511), 1); // in place
    EXPECT_STREQ(same, "x=y");
}

TEST_F(ConfigTextFileTest, CommonHeaderAtTopAndBottom) {
    // A file of no lines: the data starts with a Ctrl-Z that is not its last byte.
    auto empty = Config("\x1A\x1A");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->IsCommonAddedTop(), 0);
    EXPECT_EQ(empty->AddTopCommon(), 1);
    EXPECT_EQ(Texts(*empty), Lines{"[common]\r\n"});
    EXPECT_EQ(Flags(*empty), std::vector<DWORD>{0x501});
    EXPECT_EQ(empty->IsCommonAddedTop(), 1);
    EXPECT_EQ(empty->IsCommonAddedBottom(), 0);

    auto file = Config("[COMMON]\r\nFILES=40\r\n[menu]\r\nmenuitem=a\r\n");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->IsCommonAddedTop(), 0); // the file's own header does not count
    EXPECT_EQ(file->IsCommonAddedBottom(), 0);
    EXPECT_EQ(file->AddTopCommon(), 1);
    EXPECT_EQ(file->AddBottomCommon(), 1);
    EXPECT_EQ(file->AddBottomCommon(), 1); // no check for one already there
    EXPECT_EQ(Flags(*file), (std::vector<DWORD>{0x501, 0x500, 0x80, 0x100, 0x80, 0x501, 0x501}));
    EXPECT_EQ(file->IsCommonAddedBottom(), 1);
    EXPECT_EQ(Output(*file), "[common]\r\n[COMMON]\r\nFILES=40\r\n[menu]\r\nmenuitem=a\r\n"
                             "[common]\r\n[common]\r\n");

    // Deleting the added header leaves it out but keeps the answer.
    EXPECT_EQ(file->DeleteLine(0), 1);
    EXPECT_EQ(file->IsCommonAddedTop(), 1);
    EXPECT_EQ(Output(*file).substr(0, 10), "[COMMON]\r\n");
}

TEST_F(ConfigTextFileTest, CommonHeaderWithoutMemoryChangesNothing) {
    auto file = Config("FILES=40\r\n");
    ASSERT_TRUE(file);
    for (bool top : {true, false}) {
        SCOPED_TRACE(top ? "top" : "bottom");
        qvr::SetHeapAllocFailAfter(0);
        EXPECT_EQ(top ? file->AddTopCommon() : file->AddBottomCommon(), 0);
        qvr::SetHeapAllocFailAfter(-1);
        EXPECT_EQ(Texts(*file), Lines{"FILES=40\r\n"});
        EXPECT_EQ(file->IsCommonAddedTop(), 0);
        EXPECT_EQ(file->IsCommonAddedBottom(), 0);
    }
}

} // namespace
