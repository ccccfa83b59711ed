// textfile/tf_exports_test.cpp: text file handles and the TF exports of the
// DLL: handle values, bad handles, the four file types, and an initialisation
// file edited in its sections.
#include "qvrdll32.h"
#include "support/exports.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace {

using namespace qvrtest;
using Lines = std::vector<std::string>;

class TfExportsTest : public FileTest {
  protected:
    decltype(&CreateTextFileObject) create = Exports().CreateTextFileObject;
    decltype(&DestroyTextFileObject) destroy = Exports().DestroyTextFileObject;
    decltype(&IsValidTextFile) isValid = Exports().IsValidTextFile;
    decltype(&TFGetLineCount) lineCount = Exports().TFGetLineCount;
    decltype(&TFAddLineTop) addTop = Exports().TFAddLineTop;
    decltype(&TFAddLineTail) addTail = Exports().TFAddLineTail;
    decltype(&TFInsertLine) insert = Exports().TFInsertLine;
    decltype(&TFGetLineFlags) getFlags = Exports().TFGetLineFlags;
    decltype(&TFSetLineFlags) setFlags = Exports().TFSetLineFlags;
    decltype(&TFGetLineText) getText = Exports().TFGetLineText;
    decltype(&TFGetParsedLineText) getParsedText = Exports().TFGetParsedLineText;
    decltype(&TFSetLineText) setText = Exports().TFSetLineText;
    decltype(&TFRemLine) remLine = Exports().TFRemLine;
    decltype(&TFDeleteLine) deleteLine = Exports().TFDeleteLine;
    decltype(&TFLineExists) lineExists = Exports().TFLineExists;
    decltype(&TFGetSize) getSize = Exports().TFGetSize;
    decltype(&TFCreateOutput) createOutput = Exports().TFCreateOutput;
    decltype(&TFAddPath) addPath = Exports().TFAddPath;
    decltype(&TFPathExists) pathExists = Exports().TFPathExists;
    decltype(&TFCheckPathLen) checkPathLen = Exports().TFCheckPathLen;
    decltype(&TFAddTopCommon) addTopCommon = Exports().TFAddTopCommon;
    decltype(&TFAddBottomCommon) addBottomCommon = Exports().TFAddBottomCommon;
    decltype(&TFIsCommonAddedTop) isCommonAddedTop = Exports().TFIsCommonAddedTop;
    decltype(&TFIsCommonAddedBottom) isCommonAddedBottom = Exports().TFIsCommonAddedBottom;
    decltype(&TFSetSection) setSection = Exports().TFSetSection;
    decltype(&TFClearSection) clearSection = Exports().TFClearSection;
    decltype(&TFBeforeWin) beforeWin = Exports().TFBeforeWin;

    void SetUp() override {
        ASSERT_FALSE(HasFailure());
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
    // Writes the bytes to a new file and opens it: the handle or -1.
    int Open(const std::string& bytes, int type, const char* marker = nullptr) {
        std::string path = dir / ("t" + std::to_string(++files_) + ".txt");
        WriteBytes(path, bytes);
        return create(path.c_str(), type, marker, nullptr, nullptr, nullptr, 0);
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

  private:
    int files_ = 0;
};

TEST_F(TfExportsTest, HandlesComeFromTheFirstFreeSlot) {
    const int types[] = {1, 2, 4, 8, 8};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Open("x\r\n", types[i]), i + 1) << "type " << types[i];
    EXPECT_EQ(Open("x\r\n", 8), -1); // a sixth: no slot
    EXPECT_EQ(destroy(3), 1);
    EXPECT_EQ(isValid(3), 0);
    EXPECT_EQ(destroy(3), 0);
    EXPECT_EQ(Open("a\r\nb\r\n", 8), 3);
    EXPECT_EQ(lineCount(3), 2);

    // Refused creates leave the table as it was.
    EXPECT_EQ(destroy(2), 1);
    for (int type : {3, 16})
        EXPECT_EQ(Open("x\r\n", type), -1) << type;
    const std::string missing = dir / "none.txt";
    for (const char* name : {missing.c_str(), static_cast<const char*>(nullptr)})
        EXPECT_EQ(create(name, 4, nullptr, nullptr, nullptr, nullptr, 0), -1) << name;
    EXPECT_EQ(isValid(2), 0);
    EXPECT_EQ(Open("x\r\n", 2), 2);
}

// A new script forgets every handle (InfInit reads the script through
// OpenFile: Windows only).
class TfExportsScriptTest : public TfExportsTest {};

TEST_F(TfExportsScriptTest, NewScriptForgetsEveryHandle) {
    for (int type : {1, 2})
        ASSERT_EQ(Open("x\r\n", type), type);
    decltype(&InfInit) infInit = Exports().InfInit;
    decltype(&InfClose) infClose = Exports().InfClose;
    ASSERT_TRUE(infInit && infClose);
    WriteBytes(dir / "setup.inf", "[Setup]\r\nx=1\r\n");
    ASSERT_EQ(infInit((dir / "setup.inf").c_str()), 1);
    for (DWORD handle = 1; handle <= 5; ++handle)
        EXPECT_EQ(isValid(handle), 0) << handle;
    EXPECT_EQ(Open("a\r\n", 2), 1);
    infClose();
}

TEST_F(TfExportsTest, BadHandlesGiveFailureValuesAndCallNothing) {
    ASSERT_EQ(Open("[s]\r\nk=v\r\nPATH C:\\DOS\r\n", 4, ";"), 1); // must stay untouched
    ASSERT_EQ(Open("x\r\n", 8), 2);
    ASSERT_EQ(destroy(2), 1);
    char buffer[16];
    DWORD size = 0xDEADBEEF;
    for (DWORD h : {0u, 2u, 6u}) { // none, freed, out of range
        std::memset(buffer, 'x', sizeof buffer);
        // The exports whose failure value is 0; "call i" names the index here.
        const LONG_PTR zeros[] = {isValid(h),
                                  destroy(h),
                                  lineCount(h),
                                  addTop(h, "x\r\n"),
                                  addTail(h, "x\r\n"),
                                  insert(h, "x\r\n", 0),
                                  setFlags(h, 0, 8),
                                  LONG_PTR(getText(h, 0, buffer, 15)),
                                  LONG_PTR(getParsedText(h, 0, buffer, 15)),
                                  setText(h, 0, "x\r\n"),
                                  remLine(h, 1),
                                  deleteLine(h, 1),
                                  LONG_PTR(getSize(h)),
                                  LONG_PTR(createOutput(h, &size)),
                                  pathExists(h, "c:\\dos"),
                                  checkPathLen(h),
                                  addTopCommon(h),
                                  addBottomCommon(h),
                                  isCommonAddedTop(h),
                                  isCommonAddedBottom(h),
                                  setSection(h, "s"),
                                  clearSection(h),
                                  beforeWin(h, "x\r\n")};
        for (size_t i = 0; i < std::size(zeros); ++i)
            EXPECT_EQ(zeros[i], 0) << "call " << i << ", handle " << h;
        EXPECT_EQ(getFlags(h, 0), DWORD{QVR_NO_LINE_FLAGS}) << h;
        EXPECT_EQ(lineExists(h, 0, "*", 1), -1) << h;
        EXPECT_EQ(addPath(h, "C:\\APP"), -1) << h;
        EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, 'x')) << h;
        EXPECT_EQ(size, 0xDEADBEEFu) << h;
    }
    EXPECT_EQ(Texts(1), (Lines{"[s]\r\n", "k=v\r\n", "PATH C:\\DOS\r\n"}));
    EXPECT_EQ(Flags(1), (std::vector<DWORD>{QVR_LINE_SECTION, QVR_LINE_ASSIGNMENT, 0}));
    EXPECT_EQ(lineExists(1, 0, "k=v", 0), -1); // no section was chosen by the bad calls
}

TEST_F(TfExportsTest, EachTypeReachesItsOwnOperations) {
    struct Row {
        int type;
        std::vector<DWORD> flags;
        int setSection;
        int linesAfterAddTopCommon;
        int beforeWinAt;
        LONG addPath;
    } rows[] = {
        {1, {QVR_LINE_ASSIGNMENT, 0, QVR_LINE_PATH | QVR_LINE_PATH_ABSOLUTE, 0}, 0, 4, 3, 6},
        {2, {QVR_LINE_ASSIGNMENT, QVR_LINE_SECTION, 0, 0}, 0, 5, 5, -1},
        {4, {QVR_LINE_ASSIGNMENT, QVR_LINE_SECTION, 0, 0}, 1, 4, 4, -1},
        {8, {0, 0, 0, 0}, 0, 4, 4, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("type " + std::to_string(row.type));
        int h = Open("A=1\r\n[s]\r\nPATH C:\\X\r\nWIN\r\n", row.type);
        ASSERT_EQ(h, 1);
        EXPECT_EQ(Flags(h), row.flags);
        // The "parsed" text handed out is the stored text, cut to the size.
        char parsed[8];
        EXPECT_EQ(getParsedText(h, 2, parsed, 6), parsed);
        EXPECT_STREQ(parsed, "PATH C");
        EXPECT_EQ(setSection(h, "s"), row.setSection);
        EXPECT_EQ(addTopCommon(h), 1);
        EXPECT_EQ(lineCount(h), row.linesAfterAddTopCommon);
        EXPECT_EQ(beforeWin(h, "new\r\n"), 1);
        EXPECT_EQ(Texts(h).at(row.beforeWinAt), "new\r\n");
        EXPECT_EQ(addPath(h, "C:\\Y"), row.addPath);
        EXPECT_EQ(destroy(h), 1);
    }
}

TEST_F(TfExportsTest, InitialisationFileEditedInItsSections) {
    std::string path = dir / "SYSTEM.INI";
    WriteBytes(path, "[boot]\r\n; display\r\nshell=Explorer\r\n[empty]\r\n" // 0-3
                     "[386Enh]\r\ndevice=*vpicd\r\ndevice=*vtd\r\n"         // 4-6
                     "[drivers]\r\nwave=mmsnd.drv\r\ntimer=timer.drv\r\n"); // 7-9
    int h = create(path.c_str(), 4, ";", nullptr, nullptr, nullptr, 0);
    ASSERT_EQ(h, 1);
    EXPECT_EQ(lineExists(h, 0, "shell=*", 0), -1); // no section chosen yet
    EXPECT_EQ(setSection(h, "EMPTY"), 3);
    EXPECT_EQ(addTail(h, "k=1\r\n"), 1); // right under the header
    EXPECT_EQ(setSection(h, "386enh"), 5);
    EXPECT_EQ(lineExists(h, 0, "device=*vtd", 0), 7);
    EXPECT_EQ(lineExists(h, 0, "k=1", 0), -1);
    EXPECT_EQ(insert(h, "device=app.386\r\n", 0), 1); // after the first body line
    EXPECT_EQ(remLine(h, 8), 1);
    EXPECT_EQ(addTail(h, "EMMExclude=C800\r\n"), 1);
    EXPECT_EQ(remLine(h, 11), 0); // [drivers] is outside the window
    EXPECT_EQ(setSection(h, "Drivers"), 10);
    EXPECT_EQ(deleteLine(h, 12), 1);
    EXPECT_EQ(lineExists(h, 0, "timer=*", 0), -1); // the window ends before it now
    EXPECT_EQ(addTop(h, "wave=app.drv\r\n"), 1);
    EXPECT_EQ(lineExists(h, 0, "wave=*", 0), 11);
    EXPECT_EQ(setSection(h, "App Settings"), -1);
    EXPECT_EQ(addTail(h, "Path=C:\\APP\r\n"), 1); // makes the header
    EXPECT_EQ(beforeWin(h, "Mode=1\r\n"), 1);     // the tail of the section too
    EXPECT_EQ(setText(h, 2, "shell=app.exe\r\n"), 1);
    EXPECT_EQ(clearSection(h), 1);
    EXPECT_EQ(addTail(h, "lost=1\r\n"), 0);

    DWORD size = 0;
    LPSTR image = createOutput(h, &size);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(size, getSize(h));
    EXPECT_EQ(std::string(image, size),
              "[boot]\r\n; display\r\nshell=app.exe\r\n[empty]\r\nk=1\r\n"
              "[386Enh]\r\ndevice=*vpicd\r\ndevice=app.386\r\n; device=*vtd\r\n"
              "EMMExclude=C800\r\n[drivers]\r\nwave=app.drv\r\nwave=mmsnd.drv\r\n"
              "[App Settings]\r\nPath=C:\\APP\r\nMode=1\r\n");
    GlobalUnlock(GlobalHandle(image)); // the caller's to free
    EXPECT_EQ(GlobalFree(GlobalHandle(image)), nullptr);
}

} // namespace
