// textfile/text_file_test.cpp: the text file classes inside the library: the
// plain text file and the batch, configuration and initialisation file rules.
#include "support/temp_dir.h"
#include "textfile/batch_text_file.h"
#include "textfile/config_text_file.h"
#include "textfile/ini_text_file.h"
#include "textfile/line_flags.h"
#include "textfile/line_list.h"
#include "textfile/plain_text_file.h"
#include "util/global_memory.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using namespace qvrtest;
using Lines = std::vector<std::string>;
using FlagList = std::vector<DWORD>;

using Markers = std::array<const char*, 4>;
// A line as loaded: its text, flags and parsed text.
using LineRow = std::tuple<const char*, DWORD, const char*>;

class TextFileTest : public FileTest {
  protected:
    // Writes the bytes to a fresh file and opens it as a T.
    template <class T> std::unique_ptr<T> Load(const std::string& bytes, Markers m = {}) {
        std::string path = dir / ("f" + std::to_string(++files_) + ".txt");
        WriteBytes(path, bytes);
        auto file = std::make_unique<T>();
        EXPECT_EQ(file->Open(path.c_str(), m[0], m[1], m[2], m[3], 0), 1) << path;
        return file;
    }
    // Loads all rows as one file and checks every line.
    template <class T, size_t N> void CheckLines(const LineRow (&rows)[N], Markers m) {
        std::string bytes;
        for (const auto& row : rows)
            bytes += std::string(std::get<0>(row)) + "\r\n";
        auto file = Load<T>(bytes, m);
        ASSERT_EQ(file->GetLineCount(), static_cast<int>(N));
        char parsed[512];
        for (size_t i = 0; i < N; ++i) {
            EXPECT_EQ(file->GetLineFlags(i), std::get<1>(rows[i])) << std::get<0>(rows[i]);
            ASSERT_EQ(file->GetParsedLineText(i, parsed, 511), parsed);
            EXPECT_STREQ(parsed, std::get<2>(rows[i]));
        }
    }
    static Lines Texts(TextFile& file) {
        Lines out;
        char buffer[512];
        for (int i = 0; i < file.GetLineCount(); ++i)
            out.push_back(file.GetLineText(i, buffer, 511) ? buffer : "<missing>");
        return out;
    }
    static FlagList Flags(TextFile& file) {
        FlagList out;
        for (int i = 0; i < file.GetLineCount(); ++i)
            out.push_back(file.GetLineFlags(i));
        return out;
    }
    // The output image ("<null>" when there is none).
    static std::string Output(TextFile& file) {
        DWORD size = 0xDEADBEEF;
        char* image = file.CreateOutput(&size);
        if (image == nullptr)
            return size == 0xDEADBEEF ? "<null>" : "<null, size changed>";
        std::string out(image, size);
        qvr::FreeGlobalLocked(image);
        return out;
    }

  private:
    int files_ = 0;
};

class LineListDeathTest : public QvrTest {};

TEST_F(LineListDeathTest, ArrayAllocationFailureShowsTheBoxAndEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            EchoMessageBoxes(true);
            LineList list;
            list.Add(nullptr);
            qvr::SetHeapAllocFailAfter(0);
            list.Add(nullptr);
        },
        ::testing::ExitedWithCode(3),
        "BOX Halvorix Install: Memory allocation failure\\nApplication will be terminated\\.");
}

class PlainTextFileTest : public TextFileTest {};

TEST_F(PlainTextFileTest, LoadingSplitsLines) {
    const std::tuple<std::string, Lines, std::string> rows[] = {
        {"A\r\nB", {"A\r\n", "B\r\n"}, "A\r\nB\r\n"},
        {"", {"\r\n"}, "\r\n"},
        {"A\r\nB\x1AZ", {"A\r\n", "B"}, "A\r\nB"},
        {"A\r\n\x1A", {"A\r\n", "\x1A\r\n"}, "A\r\n\x1A\r\n"}, // Ctrl-Z as the last byte
        {"A\r\n\x1A\r\n", {"A\r\n"}, "A\r\n"},
        {"\x1AXYZ\r\n", {}, "<null>"}, // data starting with Ctrl-Z: no lines
        {"A\nB\rC", {"A\nB\rC\r\n"}, "A\nB\rC\r\n"},
        {std::string("A\0B\r\nC\r\n", 8), {"A", "C\r\n"}, "AC\r\n"},
        {std::string("X\r\nA\0B", 6), {"X\r\n", "A\r\n"}, "X\r\nA\r\n"},
    };
    for (const auto& [bytes, lines, output] : rows) {
        auto file = Load<PlainTextFile>(bytes);
        EXPECT_EQ(Texts(*file), lines) << bytes;
        EXPECT_EQ(Output(*file), output);
    }
}

TEST_F(PlainTextFileTest, EditsShowInTheOutput) {
    auto file = Load<PlainTextFile>("a\r\nb\r\nc\r\n", {"REM"});
    EXPECT_EQ(file->AddLineTop("top"), 1); // no line end is added
    EXPECT_EQ(file->AddLineTail("REM tail\r\n"), 1);
    EXPECT_EQ(file->InsertLine("after a\r\n", 1), 1);
    EXPECT_EQ(file->InsertLine("far\r\n", 99), 1);
    EXPECT_EQ(file->SetLineText(3, "REM b\r\n"), 1); // keeps the flags, is not classified
    EXPECT_EQ(file->RemLine(4), 1);
    EXPECT_EQ(file->DeleteLine(1), 1); // stays in the list, leaves the output
    EXPECT_EQ(Flags(*file), (FlagList{LINE_ADDED, LINE_DELETED, LINE_ADDED, 0, LINE_REMARKED,
                                      LINE_ADDED | LINE_COMMENT, LINE_ADDED}));
    EXPECT_EQ(Output(*file), "topafter a\r\nREM b\r\nREM c\r\nREM tail\r\nfar\r\n");

    for (int outside : {-1, 7}) {
        EXPECT_EQ(file->SetLineText(outside, "x"), 0);
        EXPECT_EQ(file->RemLine(outside), 0);
        EXPECT_EQ(file->DeleteLine(outside), 0);
    }
    EXPECT_EQ(file->InsertLine("x", -1), 0);
    EXPECT_EQ(file->AddLineTop(nullptr), 0);
    EXPECT_EQ(file->AddLineTail(""), 0);
    qvr::SetHeapAllocFailAfter(0);
    EXPECT_EQ(file->AddLineTail("lost"), 0);
    EXPECT_EQ(file->GetLineCount(), 7);

    // No output block: null with the size 0; no line left: null, size untouched.
    qvr::SetGlobalAllocFailAfter(0);
    EXPECT_EQ(Output(*file), "<null, size changed>");
    for (int i = 0; i < 7; ++i)
        file->DeleteLine(i);
    EXPECT_EQ(Output(*file), "<null>");
}

TEST_F(PlainTextFileTest, TextIsCutToTheBufferAndTo511Characters) {
    std::string longText;
    for (int i = 0; i < 600; ++i)
        longText += static_cast<char>('A' + i % 26);
    longText.replace(509, 3, "123"); // characters 509 and 510 are read back, 511 is not
    auto file = Load<PlainTextFile>("  Device = HIMEM.SYS\r\n" + longText + "\r\nend", {"REM"});
    char buffer[512];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(file->GetLineText(3, buffer, 10), nullptr); // past the end: untouched
    EXPECT_EQ(buffer[0], 'x');
    EXPECT_EQ(file->GetLineText(-1, buffer, 10), nullptr); // negative: emptied
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(file->GetLineText(0, buffer, 4), buffer);
    EXPECT_EQ(std::string(buffer, 6), std::string("  De\0x", 6));
    EXPECT_EQ(file->GetParsedLineText(0, buffer, 4), buffer); // cut first, then parsed
    EXPECT_STREQ(buffer, "de");
    EXPECT_EQ(file->GetLineText(0, buffer, 0), buffer);
    EXPECT_STREQ(buffer, "");

    ASSERT_EQ(file->AddLineTail((longText + "\r\n").c_str()), 1);
    std::string cut = longText.substr(0, 511);
    EXPECT_EQ(Output(*file), "  Device = HIMEM.SYS\r\n" + cut + "end\r\n" + cut);
    EXPECT_EQ(file->LineExists(0, "*12", 0), 1);
    EXPECT_EQ(file->LineExists(0, "*123", 0), -1);
    EXPECT_EQ(file->RemLine(1), 1);
    EXPECT_EQ(Texts(*file)[1], "REM " + longText.substr(0, 507));
}

TEST_F(PlainTextFileTest, LineExistsMatchesPiecesOfTheParsedText) {
    auto file = Load<PlainTextFile>("DEVICE=C:\\DOS\\HIMEM.SYS\r\nREM DEVICE=C:\\OLD.SYS\r\n"
                                    "FILES=40\r\n  device = c:\\dos\\emm386.exe\r\na**b\r\n",
                                    {"REM"});
    file->DeleteLine(2); // deleted lines are searched
    const std::tuple<int, const char*, int, int> rows[] = {
        {1, "device", 0, 3},      {1, "rem", 1, 1},     {0, "c:", 0, -1},   {0, "*c:\\dos", 0, 0},
        {0, "devi*vice", 0, -1},  {0, "*", 1, -1},      {0, "a**b", 0, 4},  {0, "**b", 0, -1},
        {0, "f*i*l*e*zzz", 0, 2}, {-3, "device", 0, 0}, {0, nullptr, 0, -1}};
    for (const auto& [first, pattern, includeComments, expected] : rows)
        EXPECT_EQ(file->LineExists(first, pattern, includeComments), expected)
            << (pattern ? pattern : "(null)") << " from " << first;
}

TEST_F(TextFileTest, EachClassParsesAndClassifiesItsLines) {
    const LineRow batch[] = {
        {"@SET   PATH = C:\\DOS", 0xF0, "set path=c:\\dos"},
        {"  SET\tTEMP \t=\t C:\\TEMP  ", 0x80, "set temp=c:\\temp"},
        {"SET A=B = C", 0x80, "set a=b = c"},
        {"@SET PATH=%PATH%;C:\\X", 0xB0, "set path=%path%;c:\\x"},
        {"PATH C:\\DOS;C:\\WINDOWS", 0x50, "path c:\\dos;c:\\windows"},
        {"PATH=C:\\DOS", 0xD0, "path=c:\\dos"},
        {"PATHX=1", 0x80, "pathx=1"},
        {"@REM PATH=C:\\X", LINE_COMMENT, "rem path=c:\\x"},
    };
    CheckLines<BatchTextFile>(batch, {"REM", "::"});
    const LineRow config[] = {
        {"DEVICEHIGH = C:\\DOS\\EMM386.EXE   NOEMS", LINE_ASSIGNMENT,
         "devicehigh=c:\\dos\\emm386.exe noems"},
        {"  [COMMON]", LINE_SECTION | LINE_COMMON, "[common]"},
        {"[common]x", LINE_SECTION | LINE_COMMON, "[common]x"},
        {"[a=b]", LINE_ASSIGNMENT, "[a=b]"},
        {"[menu", 0, "[menu"},
        {"rem [common]", LINE_COMMENT, "rem [common]"},
        {"AB\xE9", 0, "ab"},
        {"REMARK", LINE_COMMENT, "remark"},
        {"::label", LINE_COMMENT, "::label"},
    };
    CheckLines<ConfigTextFile>(config, {"REM", nullptr, nullptr, "::"});
    const LineRow ini[] = {
        {"Device Name = Printer   One", LINE_ASSIGNMENT, "devicename=printer one"},
        {"K\x01\xE9y=V", LINE_ASSIGNMENT, "ky=v"},
        {"x = [not] a header", LINE_ASSIGNMENT, "x=[not] a header"},
        {"  [My\t\tSection] ", LINE_SECTION, "[my  section]"},
        {"[A] trailing   words", LINE_SECTION, "[a] trailing   words"},
        {"[incomplete", 0, "[incomplete"},
        {"; comment = x", LINE_COMMENT, ";comment=x"},
    };
    CheckLines<IniTextFile>(ini, {";"});
}

// Sets COMSPEC for one scope and puts the old value back.
class ComspecScope {
  public:
    explicit ComspecScope(const char* value) {
        DWORD length = GetEnvironmentVariableA("COMSPEC", saved_, sizeof saved_);
        had_ = length > 0 && length < sizeof saved_;
        SetEnvironmentVariableA("COMSPEC", value);
    }
    ~ComspecScope() { SetEnvironmentVariableA("COMSPEC", had_ ? saved_ : nullptr); }

  private:
    char saved_[1024] = {};
    bool had_ = false;
};

class BatchTextFileTest : public TextFileTest {
  protected:
    std::unique_ptr<BatchTextFile> Batch(const std::string& bytes) {
        return Load<BatchTextFile>(bytes, {"REM", "::"});
    }
    ComspecScope plainShell{"C:\\COMMAND.COM"};
};

TEST_F(BatchTextFileTest, PathPiecesAreComparedWhole) {
    auto file = Batch("PATH=C:\\A;;C:\\B; C:\\D;%PATH%;\r\nREM PATH=C:\\COMMENT\r\n"
                      "SET PATH=%Path%;C:\\E\r\nPATH C:\\GONE\r\n");
    file->DeleteLine(3);
    const std::pair<const char*, int> rows[] = {{"C:\\e", 1},  {" c:\\d", 1}, {"c:\\gone", 1},
                                                {"%PATH%", 0}, {"C:\\", 0},   {"C:\\COMMENT", 0},
                                                {nullptr, 0}};
    for (const auto& [directory, expected] : rows)
        EXPECT_EQ(file->PathExists(directory), expected) << directory;
}

TEST_F(BatchTextFileTest, AddPathExtendsAbsolutePathLines) {
    const std::tuple<const char*, LONG, std::string> rows[] = {
        {"PATH=;C:\\DOS\r\n", 2, "PATH=C:\\APP;C:\\DOS\r\n"},
        {"@SET  Path = c:\\dos\r\n", 2, "@SET  Path = C:\\APP;c:\\dos\r\n"},
        {"PATH=", 2, "PATH=C:\\APP;\r\n"},
        {"PATH C:\\DOS\r\nSET PATH=%PATH%;C:\\X\r\nIF EXIST C:\\NUL PATH=C:\\NET\r\n"
         "SET PATH=C:\\WINDOWS\r\n",
         6,
         "PATH C:\\APP;C:\\DOS\r\nSET PATH=%PATH%;C:\\X\r\nIF EXIST C:\\NUL PATH=C:\\NET\r\n"
         "SET PATH=C:\\APP;C:\\WINDOWS\r\n"},
        {"SET PATH=%PATH%;C:\\X\r\n", 1, "SET PATH=%PATH%;C:\\X\r\nset path=C:\\APP;%path%\r\n"},
    };
    for (const auto& [bytes, expectedResult, output] : rows) {
        auto file = Batch(bytes);
        LONG result = -1;
        EXPECT_EQ(file->AddPath("C:\\APP", &result), 1) << bytes;
        EXPECT_EQ(result, expectedResult);
        EXPECT_EQ(Output(*file), output);
    }
    // The extended line replaces the old one, which stays as a deleted line.
    auto file = Batch("PATH=C:\\DOS\r\nECHO done\r\n");
    LONG result = -1;
    EXPECT_EQ(file->AddPath("C:\\APP", &result), 1);
    EXPECT_EQ(Flags(*file), (FlagList{0xD0 | LINE_DELETED, 0x8D1, 0}));
    EXPECT_EQ(file->AddPath("D:\\TOOLS", &result), 1);
    EXPECT_EQ(result, 4);
    EXPECT_EQ(Output(*file), "PATH=D:\\TOOLS;C:\\APP;C:\\DOS\r\nECHO done\r\n");
    result = -1;
    EXPECT_EQ(file->AddPath("c:\\app", &result), 0); // a repeat, in any letter case
    EXPECT_EQ(result, -1);
    auto none = Batch("\x1Axyz");
    EXPECT_EQ(none->AddPath("C:\\APP", &result), 0);
    EXPECT_EQ(none->GetLineCount(), 0);
}

TEST_F(BatchTextFileTest, CheckPathLenReplaysThePathUnderThePlainShell) {
    const std::string v100 = "PATH=" + std::string(100, 'v') + "\r\n", dir10 = std::string(10, 'd'),
                      tooLong = v100 + "SET PATH=%PATH%;" + std::string(20, 'd') + "\r\n";
    const std::pair<std::string, int> rows[] = {
        {v100 + "SET PATH=%PATH%;" + dir10 + "\r\n", 1},
        {tooLong, 0},
        {"PATH=" + std::string(300, 'v') + "\r\n", 1},
        {v100 + "PATH=C:\\DOS\r\nSET PATH=%PATH%;" + dir10 + dir10 + "\r\n", 1},
        {"PATH " + std::string(100, 'v') + "\r\nPATH %PATH%;" + dir10 + "\r\n", 1},
    };
    for (const auto& [bytes, expected] : rows)
        EXPECT_EQ(Batch(bytes)->CheckPathLen(), expected) << bytes;
    ComspecScope shell("C:\\KDOS\\KDOS.COM /E:512"); // an alternative shell: no limit
    EXPECT_EQ(Batch(tooLong)->CheckPathLen(), 1);
}

TEST_F(BatchTextFileTest, NewLinesGoBeforeTheWindowsLine) {
    for (const char* text : {"win /3", "C:\\WINDOWS\\WIN.COM", "DARWIN D:WIN.EXE"})
        EXPECT_EQ(qvr::IsWinCommand(text), 1) << text;
    for (const char* text : {"WINDOWS", "WIN.INI", "WIN.CO", "@WIN"})
        EXPECT_EQ(qvr::IsWinCommand(text), 0) << text;
    EXPECT_EQ(qvr::IsWinCommand(nullptr), 0);
    // Only the first 255 characters are looked at.
    EXPECT_EQ(qvr::IsWinCommand((std::string(252, ' ') + "WIN").c_str()), 1);
    EXPECT_EQ(qvr::IsWinCommand((std::string(255, ' ') + "WIN").c_str()), 0);

    // A deleted Windows line still counts.
    const std::pair<const char*, Lines> files[] = {
        {"WIN\r\nECHO x\r\n", {"X\r\n", "WIN\r\n", "ECHO x\r\n"}},
        {"ECHO a\r\nWIN\r\n", {"ECHO a\r\n", "X\r\n", "WIN\r\n"}},
        {"ECHO a\r\n", {"ECHO a\r\n", "X\r\n"}}};
    for (const auto& [bytes, lines] : files) {
        auto file = Batch(bytes);
        file->DeleteLine(1);
        EXPECT_EQ(file->BeforeWin("X\r\n"), 1);
        EXPECT_EQ(Texts(*file), lines);
    }
}

class ConfigTextFileTest : public TextFileTest {};

TEST_F(ConfigTextFileTest, CommonHeadersAreAddedAtTopAndBottom) {
    auto file = Load<ConfigTextFile>("[COMMON]\r\nFILES=40\r\n");
    EXPECT_EQ(file->IsCommonAddedTop(), 0);
    EXPECT_EQ(file->AddTopCommon(), 1);
    EXPECT_EQ(file->IsCommonAddedBottom(), 0);
    EXPECT_EQ(file->AddBottomCommon(), 1);
    EXPECT_EQ(file->AddBottomCommon(), 1);
    EXPECT_EQ(Flags(*file), (FlagList{0x501, 0x500, 0x80, 0x501, 0x501}));
    EXPECT_EQ(file->DeleteLine(0), 1);
    EXPECT_EQ(file->IsCommonAddedTop(), 1);
    EXPECT_EQ(Output(*file), "[COMMON]\r\nFILES=40\r\n[common]\r\n[common]\r\n");
}

// Header line, first and last body line, and the found switch.
using Window = std::vector<int>;
const char kBootDrivers[] = "[boot]\r\na=1\r\n[drivers]\r\nb=2\r\n";

class IniTextFileTest : public TextFileTest {
  protected:
    std::unique_ptr<IniTextFile> Ini(const std::string& bytes) {
        return Load<IniTextFile>(bytes, {";"});
    }
    static Window WindowOf(const IniTextFile& file) {
        return {file.GetSectionLine(), file.GetSectionFirst(), file.GetSectionLast(),
                file.GetSectionFound()};
    }
};

TEST_F(IniTextFileTest, SetSectionFindsHeaderAndBody) {
    const std::string tooLong(IniTextFile::kMaxSectionName + 1, 'n');
    const std::tuple<const char*, const char*, int, Window> rows[] = {
        {kBootDrivers, "dri*", 2, {2, 3, 3, 1}},
        {kBootDrivers, "boo", -1, {-1, -1, -1, 0}},
        {"; [boot]\r\n[Boot]\r\n", "boot", 1, {1, -1, -1, 1}},
    };
    for (const auto& [bytes, name, result, window] : rows) {
        auto file = Ini(bytes);
        EXPECT_EQ(file->SetSection(name), result) << bytes << " / " << name;
        EXPECT_EQ(WindowOf(*file), window) << bytes << " / " << name;
    }
    // Bad names are refused and keep the choice; the longest name is taken.
    auto file = Ini(kBootDrivers);
    ASSERT_EQ(file->SetSection("drivers"), 2);
    for (const char* bad : {static_cast<const char*>(nullptr), "", tooLong.c_str()}) {
        EXPECT_EQ(file->SetSection(bad), -1);
        EXPECT_EQ(WindowOf(*file), (Window{2, 3, 3, 1}));
        EXPECT_STREQ(file->GetSectionName(), "drivers");
    }
    EXPECT_EQ(file->SetSection(tooLong.c_str() + 1), -1);
    EXPECT_STREQ(file->GetSectionName(), tooLong.c_str() + 1);
}

} // namespace
