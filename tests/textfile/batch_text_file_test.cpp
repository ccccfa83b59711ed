// textfile/batch_text_file_test.cpp: the start-up batch file rules (PATH
// lines, putting a directory on the path, the 127-character check, the
// Windows line), the string loader and IsShellKdos.
#include "frame/module_state.h"
#include "support/dll.h"
#include "support/temp_dir.h"
#include "textfile/batch_text_file.h"
#include "textfile/library_string.h"
#include "textfile/line_flags.h"
#include "textfile/text_file_probe.h"
#include "util/global_memory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace qvrtest;
using Lines = std::vector<std::string>;

// Sets COMSPEC for one test and puts the old value back.
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

const char kAutoexec[] = "@ECHO OFF\r\n"                   // 0
                         "REM Start-up file\r\n"           // 1
                         "PROMPT $p$g\r\n"                 // 2
                         "LOADHIGH C:\\DOS\\MOUSE.COM\r\n" // 3
                         "PATH C:\\DOS;C:\\WINDOWS\r\n"    // 4
                         "SET TEMP=C:\\TEMP\r\n"           // 5
                         "SET PATH=%PATH%;C:\\UTIL\r\n"    // 6
                         "C:\\WINDOWS\\WIN.COM\r\n"        // 7
                         "\x1A";                           // 8: Ctrl-Z as the last byte

class BatchTextFileTest : public TextFileTest {
  protected:
    std::unique_ptr<Probe<BatchTextFile>> Batch(const std::string& bytes) {
        return Load<BatchTextFile>(bytes, {"REM", "::"});
    }
    ComspecScope plainShell{"C:\\COMMAND.COM"};
};

TEST_F(BatchTextFileTest, KeywordsComeFromTheStringTable) {
    BatchTextFile file;
    EXPECT_STREQ(qvr::pathWord, "path ");
    EXPECT_STREQ(qvr::setPathWord, "set path=");
    EXPECT_STREQ(qvr::pathReference, "%path%");
    EXPECT_STREQ(qvr::pathAssign, "path=");

    char buffer[512];
    EXPECT_EQ(qvr::LoadLibraryString(1291, buffer), buffer);
    EXPECT_STREQ(buffer, "%path%");
    EXPECT_EQ(qvr::LoadLibraryString(605, nullptr), qvr::sharedTextBuffer);
    EXPECT_STREQ(qvr::sharedTextBuffer, "ZDOS.COM");
    EXPECT_STREQ(qvr::LoadLibraryString(4321, buffer), ""); // not in the table
}

TEST_F(BatchTextFileTest, ParseTextNormalisesAssignmentsAndBlanks) {
    struct Row {
        const char* source;
        const char* expected;
    } rows[] = {
        {"@SET   PATH = C:\\DOS", "set path=c:\\dos"},
        {"  SET\tTEMP \t=\t C:\\TEMP  \r\n", "set temp=c:\\temp"},
        {"ECHO   a  \t b\r\n", "echo a b"},
        {"@@ECHO", "@echo"},
        {"@", ""},
        {"A = ", "a="},
        {"= x", "=x"},
        {"SET A=B = C", "set a=b = c"},
        {"", ""},
    };
    auto file = Batch("x\r\n");
    ASSERT_TRUE(file);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.source);
        char out[512];
        EXPECT_EQ(file->ParseText(row.source, out, 511), 1);
        EXPECT_STREQ(out, row.expected);
    }
}

TEST_F(BatchTextFileTest, ClassifyLineRecognisesPathLines) {
    struct Row {
        const char* text;
        DWORD flags;
    } rows[] = {
        {"@SET PATH=%PATH%;C:\\X", 0xB0},
        {"PATH C:\\DOS;C:\\WINDOWS", 0x50},
        {"PATH=C:\\DOS", 0xD0},
        {"path = %path%;c:\\x", 0x90},
        {"  Set  Path = C:\\DOS\r\n", 0xF0},
        {"SET PATH=%Path%;C:\\X\r\n", 0xB0},
        {"path", 0},
        {"path;", 0},
        {"PATHX=1", 0x80},
        {"rem path=x", 0x4},
        {"@REM PATH=C:\\X", 0x4}, // the "@" goes before the markers are compared
        {"REM PATH C:\\DOS", 0x4},
        {":: SET PATH=C:\\X", 0x4},
        {"SET TEMP=C:\\TEMP", 0x80},
        {"LOADHIGH C:\\DOS\\MOUSE.COM", 0},
        {"", 0},
    };
    auto file = Batch("x\r\n");
    ASSERT_TRUE(file);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(file->ClassifyLine(row.text), row.flags);
    }
    EXPECT_EQ(file->ClassifyLine(nullptr), 0u);
}

TEST_F(BatchTextFileTest, RealStartupFileLoadsWithItsFlags) {
    auto file = Batch(kAutoexec);
    ASSERT_TRUE(file);
    EXPECT_EQ(Flags(*file), (std::vector<DWORD>{0, 0x4, 0, 0, 0x50, 0x80, 0xB0, 0, 0}));
    EXPECT_EQ(Texts(*file)[8], "\x1A\r\n");
    EXPECT_EQ(Output(*file), std::string(kAutoexec) + "\r\n");
}

TEST_F(BatchTextFileTest, SearchSeesTheBatchParse) {
    auto file = Batch("@ECHO OFF\r\n"
                      "@SET   PATH = %PATH%;C:\\X\r\n"
                      "@REM SET PATH=C:\\OLD\r\n");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->LineExists(0, "set path=*c:\\x", 0), 1);
    EXPECT_EQ(file->LineExists(0, "echo off", 0), 0);
    EXPECT_EQ(file->LineExists(0, "*c:\\old", 0), -1);
    EXPECT_EQ(file->LineExists(0, "rem set path=c:", 1), 2);
}

TEST_F(BatchTextFileTest, PathListHoldsThePiecesAsTheyAre) {
    auto file = Batch("PATH=C:\\A;;C:\\B; C:\\D;%PATH%;\r\n"
                      "REM PATH=C:\\COMMENT\r\n"
                      "SET PATH=%Path%;C:\\E\r\n"
                      "PATH C:\\GONE\r\n"
                      "SET X=1\r\n");
    ASSERT_TRUE(file);
    file->DeleteLine(3); // deleted PATH lines count as well
    LineList* list = file->CollectPathList();
    ASSERT_NE(list, nullptr);
    std::vector<std::string> pieces;
    for (int i = 0; i < list->GetCount(); ++i)
        pieces.push_back(static_cast<const char*>(list->GetAt(i)));
    qvr::FreePathList(list);
    EXPECT_EQ(pieces,
              (std::vector<std::string>{"c:\\a", "", "c:\\b", " c:\\d", "c:\\e", "c:\\gone"}));

    struct Row {
        const char* directory;
        int expected;
    } rows[] = {{"C:\\A", 1},       {"c:\\b", 1},    {"C:\\D", 0},  {" c:\\d", 1},
                {"C:\\E", 1},       {"c:\\gone", 1}, {"%PATH%", 0}, {"%path%", 0},
                {"C:\\COMMENT", 0}, {"C:\\", 0},     {nullptr, 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.directory ? row.directory : "(null)");
        EXPECT_EQ(file->PathExists(row.directory), row.expected);
    }

    auto noPath = Batch("SET TEMP=C:\\TEMP\r\nECHO PATH\r\n");
    ASSERT_TRUE(noPath);
    EXPECT_EQ(noPath->CollectPathList(), nullptr);
    EXPECT_EQ(noPath->PathExists("c:\\temp"), 0);
    auto onlyReference = Batch("SET PATH=%PATH%\r\n");
    ASSERT_TRUE(onlyReference);
    EXPECT_EQ(onlyReference->CollectPathList(), nullptr);
}

TEST_F(BatchTextFileTest, PathListFailsWithTheHeap) {
    auto file = Batch("PATH=C:\\A;C:\\B\r\n");
    ASSERT_TRUE(file);
    // The list record, the first string, the second string (allocation 2 is
    // the list's array, whose failure would end the process).
    for (int failAt : {0, 1, 3}) {
        SCOPED_TRACE(failAt);
        qvr::SetHeapAllocFailAfter(failAt);
        EXPECT_EQ(file->CollectPathList(), nullptr);
        qvr::SetHeapAllocFailAfter(-1);
    }
}

TEST_F(BatchTextFileTest, AddPathExtendsAnAbsolutePathLine) {
    auto file = Batch("PATH=C:\\DOS\r\nECHO done\r\n");
    ASSERT_TRUE(file);
    LONG result = -1;
    EXPECT_EQ(file->AddPath("C:\\APP", &result), 1);
    EXPECT_EQ(result, 3);
    EXPECT_EQ(Texts(*file),
              (Lines{"PATH=C:\\DOS\r\n", "PATH=C:\\APP;C:\\DOS\r\n", "ECHO done\r\n"}));
    EXPECT_EQ(file->GetLineFlags(0), 0xD0u | LINE_DELETED);
    EXPECT_EQ(file->GetLineFlags(1), 0x8D1u);
    EXPECT_EQ(Output(*file), "PATH=C:\\APP;C:\\DOS\r\nECHO done\r\n");

    // Again, in any letter case: nothing changes, the result word neither.
    result = -1;
    EXPECT_EQ(file->AddPath("c:\\app", &result), 0);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(file->GetLineCount(), 3);

    // A second directory goes on the added line (LINE_ADDED), not the old one.
    EXPECT_EQ(file->AddPath("D:\\TOOLS", &result), 1);
    EXPECT_EQ(result, 4);
    EXPECT_EQ(Output(*file), "PATH=D:\\TOOLS;C:\\APP;C:\\DOS\r\nECHO done\r\n");
}

TEST_F(BatchTextFileTest, AddPathValueForms) {
    struct Row {
        const char* line;
        const char* extended;
    } rows[] = {
        {"PATH=;C:\\DOS\r\n", "PATH=C:\\APP;C:\\DOS\r\n"},
        {"PATH C:\\DOS\r\n", "PATH C:\\APP;C:\\DOS\r\n"},
        {"  path   c:\\dos\r\n", "  path   C:\\APP;c:\\dos\r\n"},
        {"SET PATH = C:\\DOS\r\n", "SET PATH = C:\\APP;C:\\DOS\r\n"},
        {"@PATH C:\\DOS\r\n", "@PATH C:\\APP;C:\\DOS\r\n"},
        {"PATH=\r\n", "PATH=C:\\APP;\r\n"},
        {"PATH=C:\\DOS", "PATH=C:\\APP;C:\\DOS\r\n"}, // the last line got its CR LF at loading
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        auto file = Batch(row.line);
        ASSERT_TRUE(file);
        LONG result = -1;
        EXPECT_EQ(file->AddPath("C:\\APP", &result), 1);
        EXPECT_EQ(result, 2);
        EXPECT_EQ(Texts(*file)[1], row.extended);
    }
}

TEST_F(BatchTextFileTest, AddPathExtendsEveryAbsoluteLineAndOnlyThose) {
    auto file = Batch("PATH C:\\DOS\r\n"
                      "SET PATH=%PATH%;C:\\X\r\n"
                      "IF EXIST C:\\NET\\NUL PATH=C:\\NET\r\n" // not a PATH line
                      "SET PATH=C:\\WINDOWS\r\n");
    ASSERT_TRUE(file);
    LONG result = -1;
    EXPECT_EQ(file->AddPath("C:\\APP", &result), 1);
    EXPECT_EQ(result, 6);
    EXPECT_EQ(Output(*file), "PATH C:\\APP;C:\\DOS\r\n"
                             "SET PATH=%PATH%;C:\\X\r\n"
                             "IF EXIST C:\\NET\\NUL PATH=C:\\NET\r\n"
                             "SET PATH=C:\\APP;C:\\WINDOWS\r\n");
    EXPECT_EQ(Flags(*file), (std::vector<DWORD>{0x58, 0x851, 0xB0, 0x80, 0xF8, 0x8F1}));
}

TEST_F(BatchTextFileTest, AddPathAppendsWhenNoLineCanTakeIt) {
    auto file = Batch("SET PATH=%PATH%;C:\\X\r\nPATH %PATH%;C:\\Y\r\n");
    ASSERT_TRUE(file);
    LONG result = -1;
    EXPECT_EQ(file->AddPath("C:\\App", &result), 1);
    EXPECT_EQ(result, 2);
    EXPECT_EQ(Texts(*file)[2], "set path=C:\\App;%path%\r\n");
    EXPECT_EQ(file->GetLineFlags(2), 0xB1u);
    EXPECT_EQ(file->PathExists("c:\\app"), 1);

    // A file without lines is left alone.
    auto empty = Batch("\x1A");
    auto none = Load<BatchTextFile>("\x1Axyz");
    ASSERT_TRUE(empty && none);
    result = 5;
    EXPECT_EQ(none->AddPath("C:\\APP", &result), 0);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(none->GetLineCount(), 0);
    result = 5;
    EXPECT_EQ(none->AddPath(nullptr, &result), 0);
    EXPECT_EQ(result, 5);

    // A file with no PATH line at all gets the appended line.
    EXPECT_EQ(empty->AddPath("C:\\APP", &result), 1);
    EXPECT_EQ(result, 1);
}

TEST_F(BatchTextFileTest, AddPathFallsBackToAppendingWhenTheInsertionFails) {
    auto file = Batch("PATH=C:\\DOS\r\n");
    ASSERT_TRUE(file);
    // PathExists first takes the list record, one string and one array;
    // the insertion's line record is the fourth allocation.
    qvr::SetHeapAllocFailAfter(3);
    LONG result = -1;
    EXPECT_EQ(file->AddPath("C:\\APP", &result), 1);
    qvr::SetHeapAllocFailAfter(-1);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(Texts(*file), (Lines{"PATH=C:\\DOS\r\n", "set path=C:\\APP;%path%\r\n"}));
    EXPECT_EQ(file->GetLineFlags(0), 0xD0u); // left as it was
}

TEST_F(BatchTextFileTest, CheckPathLenReplaysThePath) {
    std::string value100(100, 'v');
    std::string dir10 = "C:\\" + std::string(7, 'd');
    std::string dir20 = "C:\\" + std::string(17, 'd');
    auto fits = Batch("PATH=" + value100 + "\r\nSET PATH=%PATH%;" + dir10 + "\r\n");
    auto tooLong = Batch("PATH=" + value100 + "\r\nSET PATH=%PATH%;" + dir20 + "\r\n");
    auto alone = Batch("PATH=" + std::string(300, 'v') + "\r\n");
    // An absolute line starts again from nothing.
    auto restarted =
        Batch("PATH=" + value100 + "\r\nPATH=C:\\DOS\r\nSET PATH=%PATH%;" + dir20 + "\r\n");
    // "%path%" in front: what comes before it counts with the old value.
    auto prefixed =
        Batch("PATH=" + value100 + "\r\nSET PATH=" + std::string(20, 'p') + ";%PATH%\r\n");
    // Without "=", the value starts after the keyword.
    auto keyword = Batch("PATH " + value100 + "\r\nPATH %PATH%;" + dir10 + "\r\n");
    ASSERT_TRUE(fits && tooLong && alone && restarted && prefixed && keyword);
    EXPECT_EQ(fits->CheckPathLen(), 1);
    EXPECT_EQ(tooLong->CheckPathLen(), 0);
    EXPECT_EQ(alone->CheckPathLen(), 1);
    EXPECT_EQ(restarted->CheckPathLen(), 1);
    EXPECT_EQ(prefixed->CheckPathLen(), 0);
    EXPECT_EQ(keyword->CheckPathLen(), 1);
    EXPECT_EQ(Batch(kAutoexec)->CheckPathLen(), 1);

    // Deleted PATH lines still take part; comments without LINE_PATH do not.
    tooLong->DeleteLine(1);
    EXPECT_EQ(tooLong->CheckPathLen(), 0);
    tooLong->SetLineFlags(1, LINE_COMMENT);
    EXPECT_EQ(tooLong->CheckPathLen(), 1);

    // Under an alternative shell there is no limit.
    ComspecScope shell("C:\\KDOS\\KDOS.COM");
    auto again = Batch("PATH=" + value100 + "\r\nSET PATH=%PATH%;" + dir20 + "\r\n");
    ASSERT_TRUE(again);
    EXPECT_EQ(again->CheckPathLen(), 1);
}

TEST_F(BatchTextFileTest, IsWinCommandFindsTheWordWin) {
    struct Row {
        const char* text;
        int expected;
    } rows[] = {
        {"WIN", 1},
        {"win /3", 1},
        {"C:\\WINDOWS\\WIN.COM", 1},
        {"loadhigh win", 1},
        {"WIN.EXE", 1},
        {"c:\\windows\\win.bat\r\n", 1},
        {"C:/WIN", 1},
        {"D:WIN", 1},
        {"WIN\r\n", 1},
        {"DARWIN WIN", 1},
        {"WINDOWS", 0},
        {"WIN.INI", 0},
        {"WIN.CO", 0},
        {"SET WINDIR=C:\\WINDOWS", 0},
        {"@WIN", 0},
        {"XWIN", 0},
        {"WINWIN", 0},
        {"", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(qvr::IsWinCommand(row.text), row.expected);
    }
    EXPECT_EQ(qvr::IsWinCommand(nullptr), 0);
    // Only the first 255 characters are looked at.
    EXPECT_EQ(qvr::IsWinCommand((std::string(255, ' ') + "WIN").c_str()), 0);
    EXPECT_EQ(qvr::IsWinCommand((std::string(252, ' ') + "WIN").c_str()), 1);
}

TEST_F(BatchTextFileTest, BeforeWinPutsTheLineBeforeWindows) {
    auto first = Batch("WIN\r\nECHO x\r\n");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->BeforeWin("SET A=1\r\n"), 1);
    EXPECT_EQ(Texts(*first), (Lines{"SET A=1\r\n", "WIN\r\n", "ECHO x\r\n"}));
    EXPECT_EQ(first->GetLineFlags(0), 0x81u);

    auto file = Batch(kAutoexec);
    ASSERT_TRUE(file);
    LONG result = -1;
    EXPECT_EQ(file->AddPath("C:\\APP", &result), 1);
    EXPECT_EQ(result, 10);
    EXPECT_EQ(file->FindWinLine(), 8);
    EXPECT_EQ(file->BeforeWin("C:\\APP\\SETUP.EXE /R\r\n"), 1);
    EXPECT_EQ(file->FindWinLine(), 9);
    EXPECT_EQ(Output(*file), "@ECHO OFF\r\n"
                             "REM Start-up file\r\n"
                             "PROMPT $p$g\r\n"
                             "LOADHIGH C:\\DOS\\MOUSE.COM\r\n"
                             "PATH C:\\APP;C:\\DOS;C:\\WINDOWS\r\n"
                             "SET TEMP=C:\\TEMP\r\n"
                             "SET PATH=%PATH%;C:\\UTIL\r\n"
                             "C:\\APP\\SETUP.EXE /R\r\n"
                             "C:\\WINDOWS\\WIN.COM\r\n"
                             "\x1A\r\n");
    EXPECT_EQ(file->CheckPathLen(), 1);

    // A deleted Windows line still counts.
    auto deleted = Batch("ECHO a\r\nWIN\r\n");
    ASSERT_TRUE(deleted);
    deleted->DeleteLine(1);
    EXPECT_EQ(deleted->BeforeWin("X\r\n"), 1);
    EXPECT_EQ(Texts(*deleted)[1], "X\r\n");

    auto noWin = Batch("ECHO a\r\n");
    ASSERT_TRUE(noWin);
    EXPECT_EQ(noWin->BeforeWin("X\r\n"), 1);
    EXPECT_EQ(Texts(*noWin), (Lines{"ECHO a\r\n", "X\r\n"}));
    EXPECT_EQ(noWin->BeforeWin(""), 0);

    // The plain file appends whatever the file holds.
    auto plain = Load<PlainTextFile>("WIN\r\n");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->BeforeWin("X\r\n"), 1);
    EXPECT_EQ(Texts(*plain), (Lines{"WIN\r\n", "X\r\n"}));
}

TEST_F(BatchTextFileTest, IsShellKdosReadsComspecThroughTheExport) {
    using IsShellKdosFn = int(WINAPI*)();
    auto isShellKdos = Export<IsShellKdosFn>("_IsShellKdos@0");
    ASSERT_NE(isShellKdos, nullptr);
    struct Row {
        std::string comspec; // "<unset>": no variable
        int expected;
    } rows[] = {
        {"C:\\KDOS\\KDOS.COM", 1},
        {"C:\\ZDOS.COM /E:512", 1},
        {"c:\\kdos\\kdos.com", 0},
        {"C:\\COMMAND.COM", 0},
        {"KDOS.CO", 0},
        {"<unset>", 0},
        {std::string(503, 'x') + "KDOS.COM", 1}, // 511 characters: fits
        {std::string(504, 'x') + "KDOS.COM", 0}, // 512: not read
        {std::string(600, 'x') + "ZDOS.COM", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.comspec.substr(0, 40) + " (" + std::to_string(row.comspec.size()) + ")");
        ComspecScope scope(row.comspec == "<unset>" ? nullptr : row.comspec.c_str());
        EXPECT_EQ(isShellKdos(), row.expected);
        EXPECT_EQ(qvr::IsShellKdos(), row.expected);
    }
}

TEST_F(BatchTextFileTest, RepeatedPathWorkLeaksNothing) {
    std::string path = dir / "autoexec.bat";
    WriteBytes(path, kAutoexec);
    auto cycle = [&path]() {
        TextFile* file = new BatchTextFile();
        file->Open(path.c_str(), "REM", nullptr, nullptr, nullptr, 0);
        LONG result = -1;
        file->AddPath("C:\\APP", &result);
        file->PathExists("c:\\util");
        file->CheckPathLen();
        file->BeforeWin("ECHO x\r\n");
        DWORD size = 0;
        qvr::FreeGlobalLocked(file->CreateOutput(&size));
        delete file;
    };
    cycle();
    size_t before = CountHeapBlocks();
    for (int i = 0; i < 100; ++i)
        cycle();
    EXPECT_LE(CountHeapBlocks(), before + 5);
}

} // namespace
