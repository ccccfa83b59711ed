// textfile/plain_text_file_test.cpp: the text file defaults and the plain
// text file: loading and splitting, parsing and classifying, line editing,
// the wildcard search and the output image.
#include "support/temp_dir.h"
#include "textfile/line_flags.h"
#include "textfile/plain_text_file.h"
#include "textfile/text_file_probe.h"
#include "util/global_memory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace qvrtest;
using Lines = std::vector<std::string>;

class PlainTextFileTest : public TextFileTest {};

TEST_F(PlainTextFileTest, LoadingSplitsLinesByTheFourRules) {
    struct Row {
        const char* name;
        std::string bytes;
        Lines lines;
        std::string output;
    } rows[] = {
        {"two lines", "A\r\nB", {"A\r\n", "B\r\n"}, "A\r\nB\r\n"},
        {"one ended line", "A\r\n", {"A\r\n"}, "A\r\n"},
        {"empty file", "", {"\r\n"}, "\r\n"},
        {"Ctrl-Z inside",
         "A\r\nB\x1A"
         "C",
         {"A\r\n", "B"},
         "A\r\nB"},
        {"Ctrl-Z last byte", "A\r\n\x1A", {"A\r\n", "\x1A\r\n"}, "A\r\n\x1A\r\n"},
        {"Ctrl-Z then line end", "A\r\n\x1A\r\n", {"A\r\n"}, "A\r\n"},
        {"Ctrl-Z alone", "\x1A", {"\x1A\r\n"}, "\x1A\r\n"},
        {"bare line feeds", "A\nB\n", {"A\nB\n\r\n"}, "A\nB\n\r\n"},
        {"bare carriage return", "A\rB\r\n", {"A\rB\r\n"}, "A\rB\r\n"},
        {"carriage return last", "A\r", {"A\r\r\n"}, "A\r\r\n"},
        {"zero byte cuts its line", std::string("A\0B\r\nC\r\n", 8), {"A", "C\r\n"}, "AC\r\n"},
        {"zero byte in last line", std::string("X\r\nA\0B", 6), {"X\r\n", "A\r\n"}, "X\r\nA\r\n"},
        {"blank lines", "\r\n\r\nA\r\n", {"\r\n", "\r\n", "A\r\n"}, "\r\n\r\nA\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto file = Load<PlainTextFile>(row.bytes);
        ASSERT_TRUE(file);
        EXPECT_EQ(Texts(*file), row.lines);
        for (int i = 0; i < file->GetLineCount(); ++i)
            EXPECT_EQ(file->GetLineFlags(i), 0u) << i; // nothing added, no markers
        EXPECT_EQ(file->GetSize(), row.output.size());
        EXPECT_EQ(Output(*file), row.output);
    }
}

TEST_F(PlainTextFileTest, DataStartingWithCtrlZGivesNoLines) {
    auto file = Load<PlainTextFile>("\x1A"
                                    "ABC\r\n");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->GetLineCount(), 0);
    EXPECT_EQ(file->GetSize(), 0u);
    DWORD size = 0xDEADBEEF;
    EXPECT_EQ(file->CreateOutput(&size), nullptr);
    EXPECT_EQ(size, 0xDEADBEEFu);
    EXPECT_EQ(file->LineExists(0, "abc", 1), -1);
}

TEST_F(PlainTextFileTest, OpenRefusesMissingNamesAndFilesAndKeepsMarkers) {
    PlainTextFile file;
    EXPECT_EQ(file.Open(nullptr, "REM", nullptr, nullptr, nullptr, 0), 0);
    EXPECT_EQ(file.Open("", "REM", nullptr, nullptr, nullptr, 0), 0);
    EXPECT_STREQ(file.GetCommentMarker(0), "");
    EXPECT_EQ(file.Open((dir / "missing.txt").c_str(), "REM", "", ";", nullptr, 1), 0);
    EXPECT_EQ(file.GetLineCount(), 0);

    std::string path = dir / "x.txt";
    WriteBytes(path, "x\r\n");
    PlainTextFile opened;
    EXPECT_EQ(opened.Open(path.c_str(), "REM", "", ";", "::", 7), 1);
    EXPECT_STREQ(opened.GetFileName(), path.c_str());
    EXPECT_STREQ(opened.GetCommentMarker(0), "REM");
    EXPECT_STREQ(opened.GetCommentMarker(1), "");
    EXPECT_STREQ(opened.GetCommentMarker(2), ";");
    EXPECT_STREQ(opened.GetCommentMarker(3), "::");
    EXPECT_EQ(opened.GetAnsiCase(), 7u);
}

TEST_F(PlainTextFileTest, OpenStopsWhenALineRecordCannotBeMade) {
    std::string path = dir / "three.txt";
    WriteBytes(path, "a\r\nb\r\nc\r\n");
    PlainTextFile file;
    // Each stored line takes its record and then a new array for the list.
    qvr::SetHeapAllocFailAfter(4);
    EXPECT_EQ(file.Open(path.c_str(), nullptr, nullptr, nullptr, nullptr, 0), 0);
    qvr::SetHeapAllocFailAfter(-1);
    EXPECT_EQ(Texts(file), (Lines{"a\r\n", "b\r\n"}));
}

TEST_F(PlainTextFileTest, ParseTextTrimsAndLowerCases) {
    struct Row {
        const char* source;
        int size;
        DWORD ansiCase;
        const char* expected;
    } rows[] = {
        {"  Device=HIMEM.SYS \r\n", 511, 0, "device=himem.sys"},
        {"\t \tFiles = 40\t\r\n", 511, 0, "files = 40"},
        {"x", 511, 0, "x"},
        {"\r", 511, 0, "\r"}, // one character stays as it is
        {" \r\n", 511, 0, ""},
        {"\r\n", 511, 0, ""},
        {"", 511, 0, ""},
        {"AB\xE9", 511, 0, "ab"}, // bytes 0x80-0xFF at the end go too
        {"ABCDEF", 3, 0, "abc"},
        {"   ABCDEF", 3, 0, "abc"},
        {"ABC", 0, 0, ""},
    };
    PlainTextFile file;
    file.Open(nullptr, nullptr, nullptr, nullptr, nullptr, 0); // refused: ansiCase stays 0
    for (const Row& row : rows) {
        SCOPED_TRACE(row.source);
        char out[512];
        std::memset(out, 0xCC, sizeof out);
        EXPECT_EQ(file.ParseText(row.source, out, row.size), 1);
        EXPECT_STREQ(out, row.expected);
    }
}

TEST_F(PlainTextFileTest, AnsiCaseChoosesTheLowerCasing) {
    if (GetACP() != 1252)
        GTEST_SKIP() << "needs code page 1252, have " << GetACP();
    auto ascii = Load<PlainTextFile>("x\r\n", {}, 0);
    auto ansi = Load<PlainTextFile>("x\r\n", {}, 1);
    ASSERT_TRUE(ascii && ansi);
    char out[512];
    ascii->ParseText("\xC9"
                     "COLE",
                     out, 511);
    EXPECT_STREQ(out, "\xC9"
                      "cole");
    ansi->ParseText("\xC9"
                    "COLE",
                    out, 511);
    EXPECT_STREQ(out, "\xE9"
                      "cole");
}

TEST_F(PlainTextFileTest, ClassifyLineFindsCommentMarkers) {
    auto file = Load<PlainTextFile>("   rem hello\r\n"
                                    "REMARK\r\n"
                                    "echo rem\r\n"
                                    "; semi\r\n"
                                    "::label\r\n"
                                    "\r\n",
                                    {"REM", nullptr, ";", "::"});
    ASSERT_TRUE(file);
    EXPECT_EQ(Flags(*file), (std::vector<DWORD>{0x4, 0x4, 0, 0x4, 0x4, 0}));
    EXPECT_EQ(file->ClassifyLine(nullptr), 0u);
    EXPECT_EQ(file->ClassifyLine(""), 0u);

    // Added lines carry LINE_ADDED besides.
    EXPECT_EQ(file->AddLineTail("REM x"), 1);
    EXPECT_EQ(file->AddLineTail("x"), 1);
    EXPECT_EQ(file->GetLineFlags(6), 0x5u);
    EXPECT_EQ(file->GetLineFlags(7), 0x1u);
}

TEST_F(PlainTextFileTest, AddOperationsPlaceTheTextAsGiven) {
    auto file = Load<PlainTextFile>("a\r\nb\r\nc\r\n");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->AddLineTop("top"), 1); // no line end is added
    EXPECT_EQ(file->AddLineTail("tail\r\n"), 1);
    EXPECT_EQ(file->InsertLine("after a\r\n", 1), 1);
    EXPECT_EQ(Texts(*file), (Lines{"top", "a\r\n", "after a\r\n", "b\r\n", "c\r\n", "tail\r\n"}));

    EXPECT_EQ(file->InsertLine("far\r\n", 99), 1);
    EXPECT_EQ(file->GetLineCount(), 7);
    EXPECT_EQ(Texts(*file)[6], "far\r\n");
    EXPECT_EQ(file->InsertLine("end\r\n", 6), 1);
    EXPECT_EQ(Texts(*file)[7], "end\r\n");

    // Refusals change nothing.
    EXPECT_EQ(file->InsertLine("x", -1), 0);
    EXPECT_EQ(file->AddLineTop(nullptr), 0);
    EXPECT_EQ(file->AddLineTail(""), 0);
    EXPECT_EQ(file->InsertLine(nullptr, 0), 0);
    EXPECT_EQ(file->GetLineCount(), 8);

    // No record: 0 and nothing added.
    qvr::SetHeapAllocFailAfter(0);
    EXPECT_EQ(file->AddLineTail("lost"), 0);
    EXPECT_EQ(file->GetLineCount(), 8);
}

TEST_F(PlainTextFileTest, InsertIntoAFileWithoutLinesAppends) {
    auto file = Load<PlainTextFile>("\x1A");
    ASSERT_TRUE(file);
    ASSERT_EQ(file->GetLineCount(), 1); // the Ctrl-Z line
    auto empty = Load<PlainTextFile>("\x1Ax");
    ASSERT_TRUE(empty);
    ASSERT_EQ(empty->GetLineCount(), 0);
    EXPECT_EQ(empty->InsertLine("one\r\n", 0), 1);
    EXPECT_EQ(empty->InsertLine("two\r\n", 5), 1);
    EXPECT_EQ(Texts(*empty), (Lines{"one\r\n", "two\r\n"}));
}

TEST_F(PlainTextFileTest, LineTextReadBackRules) {
    auto file = Load<PlainTextFile>("  Device = HIMEM.SYS\r\nb\r\n");
    ASSERT_TRUE(file);
    char buffer[16];
    std::memset(buffer, 0xCC, sizeof buffer);
    EXPECT_EQ(file->GetLineText(2, buffer, 10), nullptr); // past the end: untouched
    EXPECT_EQ(static_cast<unsigned char>(buffer[0]), 0xCC);
    EXPECT_EQ(file->GetLineText(0, nullptr, 10), nullptr);
    EXPECT_EQ(file->GetParsedLineText(2, buffer, 10), nullptr);
    EXPECT_EQ(static_cast<unsigned char>(buffer[0]), 0xCC);

    EXPECT_EQ(file->GetLineText(-1, buffer, 10), nullptr); // missing: empty string
    EXPECT_STREQ(buffer, "");

    std::memset(buffer, 0xCC, sizeof buffer);
    EXPECT_EQ(file->GetLineText(0, buffer, 4), buffer);
    EXPECT_STREQ(buffer, "  De");
    EXPECT_EQ(static_cast<unsigned char>(buffer[5]), 0xCC);
    EXPECT_EQ(file->GetLineText(0, buffer, 0), buffer);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(file->GetLineText(0, buffer, -5), buffer);
    EXPECT_STREQ(buffer, "");

    // Cut first, then parsed.
    EXPECT_EQ(file->GetParsedLineText(0, buffer, 4), buffer);
    EXPECT_STREQ(buffer, "de");
    char whole[512];
    EXPECT_EQ(file->GetParsedLineText(0, whole, 511), whole);
    EXPECT_STREQ(whole, "device = himem.sys");
    EXPECT_EQ(file->GetLineFlags(2), NO_LINE_FLAGS);
    EXPECT_EQ(file->GetLineFlags(-1), NO_LINE_FLAGS);
    EXPECT_EQ(file->SetLineFlags(2, 1), 0);
}

TEST_F(PlainTextFileTest, SetLineTextKeepsFlags) {
    auto file = Load<PlainTextFile>("rem a\r\nb\r\n", {"rem"});
    ASSERT_TRUE(file);
    EXPECT_EQ(file->SetLineText(1, "rem now\r\n"), 1);
    EXPECT_EQ(file->GetLineFlags(1), 0u); // not classified again
    EXPECT_EQ(file->SetLineText(0, "plain\r\n"), 1);
    EXPECT_EQ(file->GetLineFlags(0), LINE_COMMENT);
    EXPECT_EQ(Texts(*file), (Lines{"plain\r\n", "rem now\r\n"}));
    EXPECT_EQ(file->SetLineText(2, "x"), 0);
    EXPECT_EQ(file->SetLineText(0, nullptr), 0);
    EXPECT_EQ(file->SetLineFlags(0, 0xFFFF), 1);
    EXPECT_EQ(file->GetLineFlags(0), 0xFFFFu);
}

TEST_F(PlainTextFileTest, RemLineCommentsOutWithTheFirstMarker) {
    auto file = Load<PlainTextFile>("PATH C:\\DOS\r\nx\r\n", {"REM", "::"});
    ASSERT_TRUE(file);
    EXPECT_EQ(file->RemLine(0), 1);
    EXPECT_EQ(Texts(*file)[0], "REM PATH C:\\DOS\r\n");
    EXPECT_EQ(file->GetLineFlags(0), LINE_REMARKED);
    EXPECT_EQ(file->RemLine(2), 0);
    EXPECT_EQ(file->RemLine(-1), 0);

    auto noMarker = Load<PlainTextFile>("PATH C:\\DOS\r\n", {nullptr, "::"});
    ASSERT_TRUE(noMarker);
    EXPECT_EQ(noMarker->RemLine(0), 1);
    EXPECT_EQ(Texts(*noMarker)[0], "PATH C:\\DOS\r\n");
    EXPECT_EQ(noMarker->GetLineFlags(0), 0u);

    // The commented-out text is cut to 511 characters.
    std::string longLine(509, 'a');
    auto cut = Load<PlainTextFile>(longLine + "\r\n", {"REM"});
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->RemLine(0), 1);
    EXPECT_EQ(Texts(*cut)[0], "REM " + longLine.substr(0, 507));
}

TEST_F(PlainTextFileTest, DeletedLinesStayButLeaveTheOutput) {
    auto file = Load<PlainTextFile>("first\r\nsecond\r\n");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->DeleteLine(0), 1);
    EXPECT_EQ(file->GetLineCount(), 2);
    EXPECT_EQ(file->GetLineFlags(0), LINE_DELETED);
    EXPECT_EQ(file->GetSize(), 8u);
    EXPECT_EQ(Output(*file), "second\r\n");
    EXPECT_EQ(file->DeleteLine(2), 0);
    EXPECT_EQ(file->DeleteLine(1), 1);
    EXPECT_EQ(file->GetSize(), 0u);
    DWORD size = 0xDEADBEEF;
    EXPECT_EQ(file->CreateOutput(&size), nullptr);
    EXPECT_EQ(size, 0xDEADBEEFu);
}

TEST_F(PlainTextFileTest, CreateOutputReportsAFailedBlock) {
    auto file = Load<PlainTextFile>("a\r\n");
    ASSERT_TRUE(file);
    DWORD size = 0xDEADBEEF;
    qvr::SetGlobalAllocFailAfter(0);
    EXPECT_EQ(file->CreateOutput(&size), nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(Output(*file), "a\r\n");
}

TEST_F(PlainTextFileTest, LongLinesAreStoredWholeAndWrittenAsReadBack) {
    // A 600-character line from the file and one added: both are stored
    // whole, read back as 511 characters, and GetSize measures exactly what
    // CreateOutput writes.
    std::string longText;
    for (int i = 0; i < 600; ++i)
        longText += static_cast<char>('a' + i % 26);
    longText.replace(509, 3, "123"); // characters 509 and 510 are read back, 511 is not
    auto file = Load<PlainTextFile>("short\r\n" + longText + "\r\nend");
    ASSERT_TRUE(file);
    ASSERT_EQ(file->AddLineTail((longText + "\r\n").c_str()), 1);
    EXPECT_EQ(std::string(file->Line(1)->GetFullText()), longText + "\r\n");
    EXPECT_EQ(std::string(file->Line(3)->GetFullText()), longText + "\r\n");

    std::string expected =
        "short\r\n" + longText.substr(0, 511) + "end\r\n" + longText.substr(0, 511);
    EXPECT_EQ(file->GetSize(), expected.size());
    EXPECT_EQ(Output(*file), expected);

    // The search sees the first 511 characters of the line.
    EXPECT_EQ(file->LineExists(0, "*12", 0), 1);
    EXPECT_EQ(file->LineExists(0, "*123", 0), -1);
}

TEST_F(PlainTextFileTest, LineExistsMatchesPiecesOfTheParsedText) {
    auto file = Load<PlainTextFile>("DEVICE=C:\\DOS\\HIMEM.SYS\r\n"      // 0
                                    "REM DEVICE=C:\\OLD.SYS\r\n"         // 1 comment
                                    "FILES=40\r\n"                       // 2
                                    "DOS=HIGH,UMB\r\n"                   // 3
                                    "  device = c:\\dos\\emm386.exe\r\n" // 4
                                    "a**b\r\n",                          // 5
                                    {"REM"});
    ASSERT_TRUE(file);
    struct Row {
        int first;
        const char* pattern;
        int include;
        int expected;
    } rows[] = {
        {0, "device", 0, 0},       {1, "device", 0, 4},
        {1, "rem", 1, 1},          {1, "rem", 0, -1},
        {1, "*device", 1, 1},      {0, "DEVICE=C:", 0, 0},
        {0, "c:", 0, -1},                                   // anchored at the start
        {0, "*c:\\dos", 0, 0},                              // anywhere
        {0, "*emm386", 0, 4},      {0, "*old", 0, -1},      // comment lines skipped
        {0, "*old", 1, 1},         {0, "dev*sys", 0, 0},    // second piece after the first
        {0, "dev*exe", 0, 4},      {0, "devi*vice", 0, -1}, // pieces do not overlap
        {0, "files*", 0, 2},      // a trailing single star changes nothing
        {0, "files=40*x", 0, -1}, // nothing left after the first piece
        {0, "dos*high*umb", 0, 3}, {0, "dos*umb*high", 0, -1},
        {0, "*", 0, -1},           {0, "*", 1, -1},
        {0, "a**b", 0, 5},                            // "**" is two literal stars
        {0, "*a**b", 0, 5},        {0, "**b", 0, -1}, // anchored, begins with "*"
        {0, "f*i*l*e*zzz", 0, 2},                     // pieces past the fourth are ignored
        {3, "device", 0, 4},       {5, "device", 0, -1},
        {6, "device", 1, -1}, // first index past the last line
        {-3, "device", 0, 0},      {0, "", 0, -1},
        {0, nullptr, 0, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.pattern ? row.pattern : "(null)") + " from " +
                     std::to_string(row.first));
        EXPECT_EQ(file->LineExists(row.first, row.pattern, row.include), row.expected);
    }

    // Deleted lines are searched; remarked lines only with comments.
    file->DeleteLine(2);
    EXPECT_EQ(file->LineExists(0, "files", 0), 2);
    file->RemLine(3);
    EXPECT_EQ(file->LineExists(0, "*high", 0), -1);
    EXPECT_EQ(file->LineExists(0, "*high", 1), 3);

    // A pattern longer than the buffer is cut, nothing more.
    std::string longPattern = "device" + std::string(700, 'x');
    EXPECT_EQ(file->LineExists(0, longPattern.c_str(), 1), -1);
}

TEST_F(PlainTextFileTest, DefaultsOfTheBaseAndTheSlotsPlainKeeps) {
    TextFile base;
    PlainTextFile plain;
    char buffer[8] = "keep";
    DWORD size = 0xDEADBEEF;
    EXPECT_EQ(base.Open("x", nullptr, nullptr, nullptr, nullptr, 0), 1);
    EXPECT_EQ(base.GetLineCount(), 0);
    EXPECT_EQ(base.AddLineTop("x"), 1);
    EXPECT_EQ(base.AddLineTail("x"), 1);
    EXPECT_EQ(base.InsertLine("x", 0), 1);
    EXPECT_EQ(base.GetLineFlags(0), 0u);
    EXPECT_EQ(base.SetLineFlags(0, 1), 1);
    EXPECT_EQ(base.GetLineText(0, buffer, 4), nullptr);
    EXPECT_EQ(base.GetParsedLineText(0, buffer, 4), nullptr);
    EXPECT_STREQ(buffer, "keep");
    EXPECT_EQ(base.SetLineText(0, "x"), 1);
    EXPECT_EQ(base.RemLine(0), 1);
    EXPECT_EQ(base.DeleteLine(0), 1);
    EXPECT_EQ(base.LineExists(0, "x", 0), 0);
    EXPECT_EQ(base.GetSize(), 0u);
    EXPECT_EQ(base.CreateOutput(&size), nullptr);
    EXPECT_EQ(size, 0xDEADBEEFu);
    EXPECT_EQ(base.BeforeWin("x"), 1);
    EXPECT_EQ(base.ParseText("X", buffer, 4), 1);
    EXPECT_STREQ(buffer, "keep");
    EXPECT_EQ(base.ClassifyLine("x"), 0u);

    // Path and section operations: defaults for both.
    for (TextFile* file : {&base, static_cast<TextFile*>(&plain)}) {
        LONG result = -1;
        EXPECT_EQ(file->AddPath("C:\\APP", &result), 1);
        EXPECT_EQ(result, -1);
        EXPECT_EQ(file->PathExists("C:\\APP"), 1);
        EXPECT_EQ(file->CheckPathLen(), 1);
        EXPECT_EQ(file->AddTopCommon(), 1);
        EXPECT_EQ(file->AddBottomCommon(), 1);
        EXPECT_EQ(file->IsCommonAddedTop(), 1);
        EXPECT_EQ(file->IsCommonAddedBottom(), 1);
        EXPECT_EQ(file->SetSection("boot"), 0);
        EXPECT_EQ(file->ClearSection(), 1);
        EXPECT_EQ(file->CollectPathList(), nullptr);
    }
    EXPECT_EQ(plain.GetLineCount(), 0);
}

// A file type that overrides the operations others are built on.
class Overriding : public PlainTextFile {
  public:
    int tailCalls = 0;
    int setFlagCalls = 0;
    DWORD ClassifyLine(LPCSTR) override { return 0x1000; }
    int ParseText(LPCSTR, LPSTR destination, int) override {
        lstrcpyA(destination, "same");
        return 1;
    }
    int AddLineTail(LPCSTR text) override {
        ++tailCalls;
        return PlainTextFile::AddLineTail(text);
    }
    DWORD GetLineFlags(int index) override {
        return index == 0 ? LINE_DELETED : PlainTextFile::GetLineFlags(index);
    }
    int SetLineFlags(int index, DWORD flags) override {
        ++setFlagCalls;
        return PlainTextFile::SetLineFlags(index, flags);
    }
    LPSTR GetLineText(int index, LPSTR buffer, int size) override {
        if (PlainTextFile::GetLineText(index, buffer, size) == nullptr)
            return nullptr;
        lstrcpyA(buffer, "XY");
        return buffer;
    }
};

TEST_F(PlainTextFileTest, OperationsCallEachOtherThroughTheVirtualTable) {
    std::string path = dir / "o.txt";
    WriteBytes(path, "a\r\nb\r\nc\r\n");
    Overriding file;
    ASSERT_EQ(file.Open(path.c_str(), nullptr, nullptr, nullptr, nullptr, 0), 1);
    EXPECT_EQ(file.PlainTextFile::GetLineFlags(1), 0x1000u); // Open classifies
    EXPECT_EQ(file.BeforeWin("w\r\n"), 1);                   // through AddLineTail
    EXPECT_EQ(file.tailCalls, 1);
    EXPECT_EQ(file.PlainTextFile::GetLineFlags(3), 0x1001u);
    EXPECT_EQ(file.DeleteLine(2), 1); // through GetLineFlags and SetLineFlags
    EXPECT_EQ(file.setFlagCalls, 1);
    // Line 0 reads as deleted, line 2 is; lines 1 and 3 read back as "XY".
    EXPECT_EQ(file.GetSize(), 4u);
    EXPECT_EQ(Output(file), "XYXY");
    EXPECT_EQ(file.LineExists(0, "same", 0), 0); // the parsed text of every line
}

TEST_F(PlainTextFileTest, RepeatedUseLeaksNothing) {
    std::string path = dir / "r.txt";
    WriteBytes(path, "REM x\r\nDEVICE=A.SYS\r\nFILES=40\r\n");
    auto cycle = [&path]() {
        TextFile* file = new PlainTextFile();
        file->Open(path.c_str(), "REM", nullptr, nullptr, nullptr, 0);
        file->AddLineTop("top\r\n");
        file->InsertLine("mid\r\n", 1);
        file->RemLine(2);
        file->DeleteLine(3);
        file->LineExists(0, "*a*sys", 1);
        DWORD size = 0;
        char* image = file->CreateOutput(&size);
        qvr::FreeGlobalLocked(image);
        delete file;
    };
    cycle();
    size_t before = CountHeapBlocks();
    for (int i = 0; i < 100; ++i)
        cycle();
    EXPECT_LE(CountHeapBlocks(), before + 5);
}

} // namespace
