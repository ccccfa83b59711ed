// textfile/tf_exports_test.cpp: text file handles and the TF family through
// the DLL, the way the installer uses them: handle values and their reuse,
// bad handles, the four file types, and whole edit-and-write workflows.
#include "frame/module_state.h"
#include "support/dll.h"
#include "support/temp_dir.h"
#include "textfile/line_list.h"
#include "textfile/text_file_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace qvrtest;
using Lines = std::vector<std::string>;

using CreateFn = int(WINAPI*)(LPCSTR, int, LPCSTR, LPCSTR, LPCSTR, LPCSTR, DWORD);
using HandleFn = int(WINAPI*)(DWORD);
using TextFn = int(WINAPI*)(DWORD, LPCSTR);
using InsertFn = int(WINAPI*)(DWORD, LPCSTR, int);
using GetFlagsFn = DWORD(WINAPI*)(DWORD, int);
using SetFlagsFn = int(WINAPI*)(DWORD, int, DWORD);
using GetTextFn = LPSTR(WINAPI*)(DWORD, int, LPSTR, int);
using SetTextFn = int(WINAPI*)(DWORD, int, LPCSTR);
using IndexFn = int(WINAPI*)(DWORD, int);
using LineExistsFn = int(WINAPI*)(DWORD, int, LPCSTR, int);
using SizeFn = DWORD(WINAPI*)(DWORD);
using OutputFn = LPSTR(WINAPI*)(DWORD, DWORD*);
using AddPathFn = LONG(WINAPI*)(DWORD, LPCSTR);
using PutFileFn = int(WINAPI*)(LPCSTR, const void*, DWORD, UINT);
using InfInitFn = int(WINAPI*)(LPCSTR);
using VoidFn = void(WINAPI*)();

class TfExportsTest : public FileTest {
  protected:
    CreateFn create = Export<CreateFn>("_CreateTextFileObject@28");
    HandleFn destroy = Export<HandleFn>("_DestroyTextFileObject@4");
    HandleFn isValid = Export<HandleFn>("_IsValidTextFile@4");
    HandleFn lineCount = Export<HandleFn>("_TFGetLineCount@4");
    TextFn addTop = Export<TextFn>("_TFAddLineTop@8");
    TextFn addTail = Export<TextFn>("_TFAddLineTail@8");
    InsertFn insert = Export<InsertFn>("_TFInsertLine@12");
    GetFlagsFn getFlags = Export<GetFlagsFn>("_TFGetLineFlags@8");
    SetFlagsFn setFlags = Export<SetFlagsFn>("_TFSetLineFlags@12");
    GetTextFn getText = Export<GetTextFn>("_TFGetLineText@16");
    GetTextFn getParsedText = Export<GetTextFn>("_TFGetParsedLineText@16");
    SetTextFn setText = Export<SetTextFn>("_TFSetLineText@12");
    IndexFn remLine = Export<IndexFn>("_TFRemLine@8");
    IndexFn deleteLine = Export<IndexFn>("_TFDeleteLine@8");
    LineExistsFn lineExists = Export<LineExistsFn>("_TFLineExists@16");
    SizeFn getSize = Export<SizeFn>("_TFGetSize@4");
    OutputFn createOutput = Export<OutputFn>("_TFCreateOutput@8");
    AddPathFn addPath = Export<AddPathFn>("_TFAddPath@8");
    TextFn pathExists = Export<TextFn>("_TFPathExists@8");
    HandleFn checkPathLen = Export<HandleFn>("_TFCheckPathLen@4");
    HandleFn addTopCommon = Export<HandleFn>("_TFAddTopCommon@4");
    HandleFn addBottomCommon = Export<HandleFn>("_TFAddBottomCommon@4");
    HandleFn isCommonAddedTop = Export<HandleFn>("_TFIsCommonAddedTop@4");
    HandleFn isCommonAddedBottom = Export<HandleFn>("_TFIsCommonAddedBottom@4");
    TextFn setSection = Export<TextFn>("_TFSetSection@8");
    HandleFn clearSection = Export<HandleFn>("_TFClearSection@4");
    TextFn beforeWin = Export<TextFn>("_TFBeforeWin@8");
    PutFileFn putFile = Export<PutFileFn>("_QVRPutFile@16");

    void SetUp() override {
        ASSERT_TRUE(create && destroy && isValid && lineCount && addTop && addTail && insert &&
                    getFlags && setFlags && getText && getParsedText && setText && remLine &&
                    deleteLine && lineExists && getSize && createOutput && addPath && pathExists &&
                    checkPathLen && addTopCommon && addBottomCommon && isCommonAddedTop &&
                    isCommonAddedBottom && setSection && clearSection && beforeWin && putFile);
        DestroyAll();
    }
    void TearDown() override {
        DestroyAll();
        FileTest::TearDown();
    }
    void DestroyAll() {
        for (DWORD handle = 1; handle <= 5; ++handle)
            destroy(handle);
    }

    // Writes the bytes to a new file and opens it; the handle or -1.
    int Open(const std::string& bytes, int type, const char* marker1 = nullptr,
             const char* marker2 = nullptr) {
        std::string path = dir / ("t" + std::to_string(++files_) + ".txt");
        WriteBytes(path, bytes);
        return create(path.c_str(), type, marker1, marker2, nullptr, nullptr, 0);
    }
    Lines Texts(DWORD handle) {
        Lines out;
        char buffer[512];
        for (int i = 0; i < lineCount(handle); ++i)
            out.push_back(getText(handle, i, buffer, 511) ? buffer : "<missing>");
        return out;
    }
    std::vector<DWORD> Flags(DWORD handle) {
        std::vector<DWORD> out;
        for (int i = 0; i < lineCount(handle); ++i)
            out.push_back(getFlags(handle, i));
        return out;
    }
    // The output image written to `path` with QVRPutFile, the way an
    // installer keeps its edits; false when there was no image.
    bool Save(DWORD handle, const std::string& path) {
        DWORD size = 0;
        LPSTR image = createOutput(handle, &size);
        if (image == nullptr)
            return false;
        EXPECT_EQ(size, getSize(handle));
        EXPECT_EQ(putFile(path.c_str(), image, size, OF_CREATE | OF_WRITE), 1);
        HGLOBAL block = GlobalHandle(image);
        GlobalUnlock(block);
        EXPECT_EQ(GlobalFree(block), nullptr);
        return true;
    }

  private:
    int files_ = 0;
};

TEST_F(TfExportsTest, HandlesComeFromTheFirstFreeSlot) {
    const int types[] = {1, 2, 4, 8, 8};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Open("x\r\n", types[i]), i + 1) << "type " << types[i];
    for (DWORD handle = 1; handle <= 5; ++handle)
        EXPECT_EQ(isValid(handle), 1) << handle;
    EXPECT_EQ(Open("x\r\n", 8), -1); // a sixth: no slot

    EXPECT_EQ(destroy(3), 1);
    EXPECT_EQ(isValid(3), 0);
    EXPECT_EQ(destroy(3), 0);
    EXPECT_EQ(lineCount(3), 0);
    EXPECT_EQ(Open("a\r\nb\r\n", 8), 3); // handle 3 comes back
    EXPECT_EQ(lineCount(3), 2);

    EXPECT_EQ(destroy(2), 1);
    EXPECT_EQ(destroy(4), 1);
    EXPECT_EQ(Open("x\r\n", 4), 2);
    EXPECT_EQ(Open("x\r\n", 4), 4);
}

TEST_F(TfExportsTest, RefusedCreatesLeaveTheTableAsItWas) {
    ASSERT_EQ(Open("x\r\n", 8), 1);
    ASSERT_EQ(destroy(Open("x\r\n", 8)), 1); // slot 2 free again
    struct Row {
        const char* name;
        std::function<int()> call;
    } rows[] = {
        {"type 0", [&] { return Open("x\r\n", 0); }},
        {"type 3", [&] { return Open("x\r\n", 3); }},
        {"type 5", [&] { return Open("x\r\n", 5); }},
        {"type 7", [&] { return Open("x\r\n", 7); }},
        {"type 9", [&] { return Open("x\r\n", 9); }},
        {"type 16", [&] { return Open("x\r\n", 16); }},
        {"type -1", [&] { return Open("x\r\n", -1); }},
        {"missing file",
         [&] {
             return create((dir / "none.txt").c_str(), 4, nullptr, nullptr, nullptr, nullptr, 0);
         }},
        {"null name", [&] { return create(nullptr, 8, nullptr, nullptr, nullptr, nullptr, 0); }},
        {"empty name", [&] { return create("", 2, nullptr, nullptr, nullptr, nullptr, 0); }},
        {"directory",
         [&] { return create(dir.path().c_str(), 1, nullptr, nullptr, nullptr, nullptr, 0); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.call(), -1);
        EXPECT_EQ(isValid(1), 1);
        EXPECT_EQ(isValid(2), 0);
    }
    EXPECT_EQ(Open("x\r\n", 2), 2); // the next create still gets the first free slot
}

TEST_F(TfExportsTest, BadHandlesGiveFailureValuesAndCallNothing) {
    // Handle 1 is open; every call below must leave it alone.
    ASSERT_EQ(Open("[s]\r\nk=v\r\nPATH C:\\DOS\r\n", 4, ";"), 1);
    char buffer[16];
    DWORD size = 0xDEADBEEF;
    struct Row {
        const char* name;
        std::function<LONG_PTR(DWORD)> call;
        LONG_PTR failure;
    } rows[] = {
        {"IsValidTextFile", [&](DWORD h) { return isValid(h); }, 0},
        {"DestroyTextFileObject", [&](DWORD h) { return destroy(h); }, 0},
        {"TFGetLineCount", [&](DWORD h) { return lineCount(h); }, 0},
        {"TFAddLineTop", [&](DWORD h) { return addTop(h, "x\r\n"); }, 0},
        {"TFAddLineTail", [&](DWORD h) { return addTail(h, "x\r\n"); }, 0},
        {"TFInsertLine", [&](DWORD h) { return insert(h, "x\r\n", 0); }, 0},
        {"TFGetLineFlags", [&](DWORD h) { return LONG_PTR(getFlags(h, 0)); }, 0xFFFF},
        {"TFSetLineFlags", [&](DWORD h) { return setFlags(h, 0, 8); }, 0},
        {"TFGetLineText", [&](DWORD h) { return LONG_PTR(getText(h, 0, buffer, 15)); }, 0},
        {"TFGetParsedLineText", [&](DWORD h) { return LONG_PTR(getParsedText(h, 0, buffer, 15)); },
         0},
        {"TFSetLineText", [&](DWORD h) { return setText(h, 0, "x\r\n"); }, 0},
        {"TFRemLine", [&](DWORD h) { return remLine(h, 1); }, 0},
        {"TFDeleteLine", [&](DWORD h) { return deleteLine(h, 1); }, 0},
        {"TFLineExists", [&](DWORD h) { return lineExists(h, 0, "*", 1); }, -1},
        {"TFGetSize", [&](DWORD h) { return LONG_PTR(getSize(h)); }, 0},
        {"TFCreateOutput", [&](DWORD h) { return LONG_PTR(createOutput(h, &size)); }, 0},
        {"TFAddPath", [&](DWORD h) { return LONG_PTR(addPath(h, "C:\\APP")); }, -1},
        {"TFPathExists", [&](DWORD h) { return pathExists(h, "c:\\dos"); }, 0},
        {"TFCheckPathLen", [&](DWORD h) { return checkPathLen(h); }, 0},
        {"TFAddTopCommon", [&](DWORD h) { return addTopCommon(h); }, 0},
        {"TFAddBottomCommon", [&](DWORD h) { return addBottomCommon(h); }, 0},
        {"TFIsCommonAddedTop", [&](DWORD h) { return isCommonAddedTop(h); }, 0},
        {"TFIsCommonAddedBottom", [&](DWORD h) { return isCommonAddedBottom(h); }, 0},
        {"TFSetSection", [&](DWORD h) { return setSection(h, "s"); }, 0},
        {"TFClearSection", [&](DWORD h) { return clearSection(h); }, 0},
        {"TFBeforeWin", [&](DWORD h) { return beforeWin(h, "x\r\n"); }, 0},
    };
    for (const Row& row : rows) {
        for (DWORD handle : {0u, 2u, 5u, 6u, 0xFFFFFFFFu}) {
            SCOPED_TRACE(std::string(row.name) + " handle " + std::to_string(handle));
            std::memset(buffer, 'x', sizeof buffer);
            EXPECT_EQ(row.call(handle), row.failure);
            EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, 'x'));
            EXPECT_EQ(size, 0xDEADBEEFu);
        }
    }
    EXPECT_EQ(Texts(1), (Lines{"[s]\r\n", "k=v\r\n", "PATH C:\\DOS\r\n"}));
    EXPECT_EQ(Flags(1), (std::vector<DWORD>{0x100, 0x80, 0}));
    EXPECT_EQ(setSection(1, "s"), 0); // no section was chosen by the bad calls
    EXPECT_EQ(lineExists(1, 0, "k=v", 0), 1);
}

TEST_F(TfExportsTest, EachTypeReachesItsOwnOperations) {
    const char bytes[] = "A=1\r\n[s]\r\nPATH C:\\X\r\nWIN\r\n";
    struct Row {
        int type;
        std::vector<DWORD> flags;
        int isCommonAddedBottom; // before any header is added
        int setSection;
        int linesAfterAddTopCommon;
        int beforeWinAt;
        LONG addPath;
    } rows[] = {
        {1, {0x80, 0, 0x50, 0}, 1, 0, 4, 3, 6},
        {2, {0x80, 0x100, 0, 0}, 0, 0, 5, 5, -1},
        {4, {0x80, 0x100, 0, 0}, 1, 1, 4, 4, -1},
        {8, {0, 0, 0, 0}, 1, 0, 4, 4, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("type " + std::to_string(row.type));
        int h = Open(bytes, row.type);
        ASSERT_EQ(h, 1);
        EXPECT_EQ(Flags(h), row.flags);
        EXPECT_EQ(isCommonAddedBottom(h), row.isCommonAddedBottom);
        EXPECT_EQ(setSection(h, "s"), row.setSection);
        EXPECT_EQ(addTopCommon(h), 1);
        EXPECT_EQ(lineCount(h), row.linesAfterAddTopCommon);
        EXPECT_EQ(beforeWin(h, "new\r\n"), 1);
        EXPECT_EQ(Texts(h).at(row.beforeWinAt), "new\r\n");
        EXPECT_EQ(addPath(h, "C:\\Y"), row.addPath);
        EXPECT_EQ(destroy(h), 1);
    }
}

TEST_F(TfExportsTest, ParsedLineTextIsTheStoredText) {
    for (int type : {1, 2, 4, 8}) {
        SCOPED_TRACE(type);
        int h = Open("  FILES = 40\t\r\n", type);
        ASSERT_EQ(h, 1);
        for (int size : {511, 4, 0}) {
            char plain[512];
            char parsed[512];
            ASSERT_EQ(getText(h, 0, plain, size), plain);
            ASSERT_EQ(getParsedText(h, 0, parsed, size), parsed);
            EXPECT_STREQ(parsed, plain) << size;
            EXPECT_EQ(std::string(parsed), std::string("  FILES = 40\t\r\n").substr(0, size));
        }
        EXPECT_EQ(destroy(h), 1);
    }
}

TEST_F(TfExportsTest, ConfigSysWorkflow) {
    const std::string config = "[menu]\r\n"
                               "menuitem=WIN, Windows\r\n"
                               "menuitem=DOS, Plain DOS\r\n"
                               "menudefault=WIN,10\r\n"
                               "\r\n"
                               "[WIN]\r\n"
                               "DEVICE=C:\\WINDOWS\\HIMEM.SYS\r\n"
                               "DEVICE=C:\\WINDOWS\\EMM386.EXE NOEMS\r\n"
                               "\r\n"
                               "REM shared settings\r\n"
                               "[COMMON]\r\n"
                               "FILES=40\r\n"
                               "BUFFERS = 20\r\n";
    std::string path = dir / "CONFIG.SYS";
    WriteBytes(path, config);
    int h = create(path.c_str(), 2, "REM", nullptr, nullptr, nullptr, 0);
    ASSERT_EQ(h, 1);
    EXPECT_EQ(Flags(h), (std::vector<DWORD>{0x100, 0x80, 0x80, 0x80, 0, 0x100, 0x80, 0x80, 0, 0x4,
                                            0x500, 0x80, 0x80}));
    EXPECT_EQ(lineExists(h, 0, "[common]", 0), 10);
    EXPECT_EQ(lineExists(h, 0, "buffers=20", 0), 12);
    EXPECT_EQ(lineExists(h, 0, "shared*", 1), -1);
    EXPECT_EQ(lineExists(h, 0, "*shared", 1), 9);

    int files = lineExists(h, 10, "files=*", 0);
    ASSERT_EQ(files, 11);
    EXPECT_EQ(setText(h, files, "FILES=60\r\n"), 1);
    EXPECT_EQ(isCommonAddedBottom(h), 0);
    EXPECT_EQ(addBottomCommon(h), 1);
    EXPECT_EQ(addTail(h, "DEVICE=C:\\APP\\APP.SYS\r\n"), 1);
    EXPECT_EQ(isCommonAddedBottom(h), 1);
    EXPECT_EQ(isCommonAddedTop(h), 0);
    EXPECT_EQ(getFlags(h, 13), 0x501u);
    EXPECT_EQ(getFlags(h, 14), 0x81u);
    EXPECT_EQ(deleteLine(h, 4), 1); // the blank line after the menu

    ASSERT_TRUE(Save(h, path));
    EXPECT_EQ(destroy(h), 1);
    std::string expected = config;
    expected.replace(expected.find("\r\n\r\n[WIN]"), 4, "\r\n");
    expected.replace(expected.find("FILES=40"), 8, "FILES=60");
    expected += "[common]\r\nDEVICE=C:\\APP\\APP.SYS\r\n";
    EXPECT_EQ(ReadBytes(path), expected);

    // Read back, the added lines are the file's own.
    h = create(path.c_str(), 2, "REM", nullptr, nullptr, nullptr, 0);
    ASSERT_EQ(h, 1);
    EXPECT_EQ(lineCount(h), 14);
    EXPECT_EQ(getFlags(h, 12), 0x500u);
    EXPECT_EQ(getFlags(h, 13), 0x80u);
    EXPECT_EQ(isCommonAddedBottom(h), 0);
}

TEST_F(TfExportsTest, SystemIniWorkflow) {
    const std::string ini = "[boot]\r\n"                // 0
                            "shell=Explorer.exe\r\n"    // 1
                            "system.drv=system.drv\r\n" // 2
                            "; display driver\r\n"      // 3
                            "display.drv=vga.drv\r\n"   // 4
                            "\r\n"                      // 5
                            "[386Enh]\r\n"              // 6
                            "device=*vpicd\r\n"         // 7
                            "device=*vtd\r\n"           // 8
                            "EMMExclude=C800-CFFF\r\n"  // 9
                            "\r\n"                      // 10
                            "[drivers]\r\n"             // 11
                            "wave=mmsndsys.drv\r\n"     // 12
                            "timer=timer.drv\r\n";      // 13
    std::string path = dir / "SYSTEM.INI";
    WriteBytes(path, ini);
    int h = create(path.c_str(), 4, ";", nullptr, nullptr, nullptr, 0);
    ASSERT_EQ(h, 1);
    EXPECT_EQ(lineExists(h, 0, "device=*", 0), -1); // no section chosen yet

    EXPECT_EQ(setSection(h, "386enh"), 6);
    EXPECT_EQ(lineExists(h, 0, "device=*vtd", 0), 8);
    EXPECT_EQ(lineExists(h, 0, "wave=*", 0), -1);   // in [drivers]
    EXPECT_EQ(lineExists(h, 0, "*display", 1), -1); // in [boot]
    EXPECT_EQ(insert(h, "device=C:\\APP\\APPVXD.386\r\n", 9), 1);
    EXPECT_EQ(remLine(h, 8), 1);
    EXPECT_EQ(remLine(h, 12), 0); // [drivers] is outside the window

    EXPECT_EQ(setSection(h, "Drivers"), 12);
    EXPECT_EQ(deleteLine(h, 13), 1);
    EXPECT_EQ(addTop(h, "wave=appwave.drv\r\n"), 1);
    EXPECT_EQ(lineExists(h, 0, "wave=*", 0), 13);

    EXPECT_EQ(setSection(h, "App Settings"), -1);
    EXPECT_EQ(addTail(h, "Path=C:\\APP\r\n"), 1);
    EXPECT_EQ(beforeWin(h, "Mode=1\r\n"), 1); // the tail of the section too
    EXPECT_EQ(clearSection(h), 1);
    EXPECT_EQ(addTail(h, "lost=1\r\n"), 0);

    ASSERT_TRUE(Save(h, path));
    EXPECT_EQ(destroy(h), 1);
    EXPECT_EQ(ReadBytes(path), "[boot]\r\n"
                               "shell=Explorer.exe\r\n"
                               "system.drv=system.drv\r\n"
                               "; display driver\r\n"
                               "display.drv=vga.drv\r\n"
                               "\r\n"
                               "[386Enh]\r\n"
                               "device=*vpicd\r\n"
                               "; device=*vtd\r\n"
                               "EMMExclude=C800-CFFF\r\n"
                               "device=C:\\APP\\APPVXD.386\r\n"
                               "\r\n"
                               "[drivers]\r\n"
                               "wave=appwave.drv\r\n"
                               "timer=timer.drv\r\n"
                               "[App Settings]\r\n"
                               "Path=C:\\APP\r\n"
                               "Mode=1\r\n");

    h = create(path.c_str(), 4, ";", nullptr, nullptr, nullptr, 0);
    ASSERT_EQ(h, 1);
    EXPECT_EQ(setSection(h, "app settings"), 15);
    EXPECT_EQ(lineExists(h, 0, "path=c:\\app", 0), 16);
    EXPECT_EQ(getFlags(h, 15), 0x100u);
    EXPECT_EQ(getFlags(h, 8), 0x4u); // the remarked line now reads as a comment
}

TEST_F(TfExportsTest, InfInitForgetsEveryHandle) {
    auto infInit = Export<InfInitFn>("_InfInit@4");
    auto infClose = Export<VoidFn>("_InfClose@0");
    ASSERT_TRUE(infInit && infClose);
    WriteBytes(dir / "setup.inf", "[Setup]\r\nx=1\r\n");
    ASSERT_EQ(Open("a\r\n", 8), 1);
    ASSERT_EQ(Open("a\r\n", 4), 2);
    ASSERT_EQ(infInit((dir / "setup.inf").c_str()), 1);
    for (DWORD handle : {1u, 2u}) {
        SCOPED_TRACE(handle);
        EXPECT_EQ(isValid(handle), 0);
        EXPECT_EQ(lineCount(handle), 0);
        EXPECT_EQ(getFlags(handle, 0), 0xFFFFu);
        EXPECT_EQ(destroy(handle), 0);
    }
    EXPECT_EQ(Open("a\r\n", 2), 1);
    infClose();
}

TEST_F(TfExportsTest, OpenEditAndDestroyLeakNothing) {
    auto cycle = [&] {
        for (int type : {1, 2, 4, 8}) {
            int h = Open("[s]\r\nPATH C:\\DOS\r\n", type, "REM");
            ASSERT_EQ(h, 1);
            setSection(h, "s");
            addTail(h, "k=v\r\n");
            addPath(h, "C:\\APP");
            addBottomCommon(h);
            remLine(h, 1);
            DWORD size = 0;
            LPSTR image = createOutput(h, &size);
            ASSERT_NE(image, nullptr);
            GlobalUnlock(GlobalHandle(image));
            GlobalFree(GlobalHandle(image));
            ASSERT_EQ(destroy(h), 1);
        }
        EXPECT_EQ(create((dir / "none.txt").c_str(), 4, nullptr, nullptr, nullptr, nullptr, 0), -1);
    };
    for (int i = 0; i < 5; ++i)
        cycle();
    size_t before = CountHeapBlocks();
    for (int i = 0; i < 50; ++i)
        cycle();
    EXPECT_LE(CountHeapBlocks(), before + 5); // not one block per cycle
}

// The table inside this test program (white-box): failures of memory.
class TextFileTableTest : public FileTest {
  protected:
    void TearDown() override {
        qvr::SetHeapAllocFailAfter(-1);
        for (DWORD handle = 1; handle <= 5; ++handle)
            qvr::DestroyTextFileObject(handle);
        FileTest::TearDown();
    }
};

TEST_F(TextFileTableTest, NoMemoryGivesMinusOneAndKeepsTheTable) {
    std::string path = dir / "f.txt";
    WriteBytes(path, "a\r\nb\r\n");
    ASSERT_EQ(qvr::CreateTextFileObject(path.c_str(), 8, nullptr, nullptr, nullptr, nullptr, 0), 1);
    // 0: the object itself; 1: the first line record inside Open.
    for (int failAfter : {0, 1}) {
        for (int type : {1, 2, 4, 8}) {
            SCOPED_TRACE("type " + std::to_string(type) + " fail after " +
                         std::to_string(failAfter));
            qvr::SetHeapAllocFailAfter(failAfter);
            EXPECT_EQ(qvr::CreateTextFileObject(path.c_str(), type, nullptr, nullptr, nullptr,
                                                nullptr, 0),
                      -1);
            qvr::SetHeapAllocFailAfter(-1);
            EXPECT_EQ(qvr::textFileTable[0].handle, 1u);
            for (int slot = 1; slot < qvr::kTextFileSlotCount; ++slot) {
                EXPECT_EQ(qvr::textFileTable[slot].handle, 0u) << slot;
                EXPECT_EQ(qvr::textFileTable[slot].object, nullptr) << slot;
            }
        }
    }
    EXPECT_EQ(qvr::CreateTextFileObject(path.c_str(), 4, nullptr, nullptr, nullptr, nullptr, 0), 2);
}

} // namespace
