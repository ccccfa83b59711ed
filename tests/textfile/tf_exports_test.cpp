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
    const DllExports& dll = Exports();

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
            dll.DestroyTextFileObject(handle);
    }
    // Writes the bytes to a new file and opens it: the handle or -1.
    int Open(const std::string& bytes, int type, const char* marker = nullptr) {
        std::string path = dir / ("t" + std::to_string(++files_) + ".txt");
        WriteBytes(path, bytes);
        return dll.CreateTextFileObject(path.c_str(), type, marker, nullptr, nullptr, nullptr, 0);
    }
    Lines Texts(DWORD handle) {
        Lines out;
        char buffer[512];
        for (int i = 0; i < dll.TFGetLineCount(handle); ++i)
            out.push_back(dll.TFGetLineText(handle, i, buffer, 511) ? buffer : "<missing>");
        return out;
    }
    std::vector<DWORD> Flags(DWORD handle) {
        std::vector<DWORD> out;
        for (int i = 0; i < dll.TFGetLineCount(handle); ++i)
            out.push_back(dll.TFGetLineFlags(handle, i));
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
    EXPECT_EQ(dll.DestroyTextFileObject(3), 1);
    EXPECT_EQ(dll.IsValidTextFile(3), 0);
    EXPECT_EQ(dll.DestroyTextFileObject(3), 0);
    EXPECT_EQ(Open("a\r\nb\r\n", 8), 3);
    EXPECT_EQ(dll.TFGetLineCount(3), 2);

    // Refused creates leave the table as it was.
    EXPECT_EQ(dll.DestroyTextFileObject(2), 1);
    for (int type : {3, 16})
        EXPECT_EQ(Open("x\r\n", type), -1) << type;
    const std::string missing = dir / "none.txt";
    for (const char* name : {missing.c_str(), static_cast<const char*>(nullptr)})
        EXPECT_EQ(dll.CreateTextFileObject(name, 4, nullptr, nullptr, nullptr, nullptr, 0), -1)
            << name;
    EXPECT_EQ(dll.IsValidTextFile(2), 0);
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
        EXPECT_EQ(dll.IsValidTextFile(handle), 0) << handle;
    EXPECT_EQ(Open("a\r\n", 2), 1);
    infClose();
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
        EXPECT_EQ(dll.TFGetParsedLineText(h, 2, parsed, 6), parsed);
        EXPECT_STREQ(parsed, "PATH C");
        EXPECT_EQ(dll.TFSetSection(h, "s"), row.setSection);
        EXPECT_EQ(dll.TFAddTopCommon(h), 1);
        EXPECT_EQ(dll.TFGetLineCount(h), row.linesAfterAddTopCommon);
        EXPECT_EQ(dll.TFBeforeWin(h, "new\r\n"), 1);
        EXPECT_EQ(Texts(h).at(row.beforeWinAt), "new\r\n");
        EXPECT_EQ(dll.TFAddPath(h, "C:\\Y"), row.addPath);
        EXPECT_EQ(dll.DestroyTextFileObject(h), 1);
    }
}

TEST_F(TfExportsTest, InitialisationFileEditedInItsSections) {
    std::string path = dir / "SYSTEM.INI";
    WriteBytes(path, "[boot]\r\n; display\r\nshell=Explorer\r\n[empty]\r\n" // 0-3
                     "[386Enh]\r\ndevice=*vpicd\r\ndevice=*vtd\r\n"         // 4-6
                     "[drivers]\r\nwave=mmsnd.drv\r\ntimer=timer.drv\r\n"); // 7-9
    int h = dll.CreateTextFileObject(path.c_str(), 4, ";", nullptr, nullptr, nullptr, 0);
    ASSERT_EQ(h, 1);
    EXPECT_EQ(dll.TFLineExists(h, 0, "shell=*", 0), -1); // no section chosen yet
    EXPECT_EQ(dll.TFSetSection(h, "EMPTY"), 3);
    EXPECT_EQ(dll.TFAddLineTail(h, "k=1\r\n"), 1); // right under the header
    EXPECT_EQ(dll.TFSetSection(h, "386enh"), 5);
    EXPECT_EQ(dll.TFLineExists(h, 0, "device=*vtd", 0), 7);
    EXPECT_EQ(dll.TFLineExists(h, 0, "k=1", 0), -1);
    EXPECT_EQ(dll.TFInsertLine(h, "device=app.386\r\n", 0), 1); // after the first body line
    EXPECT_EQ(dll.TFRemLine(h, 8), 1);
    EXPECT_EQ(dll.TFAddLineTail(h, "EMMExclude=C800\r\n"), 1);
    EXPECT_EQ(dll.TFRemLine(h, 11), 0); // [drivers] is outside the window
    EXPECT_EQ(dll.TFSetSection(h, "Drivers"), 10);
    EXPECT_EQ(dll.TFDeleteLine(h, 12), 1);
    EXPECT_EQ(dll.TFLineExists(h, 0, "timer=*", 0), -1); // the window ends before it now
    EXPECT_EQ(dll.TFAddLineTop(h, "wave=app.drv\r\n"), 1);
    EXPECT_EQ(dll.TFLineExists(h, 0, "wave=*", 0), 11);
    EXPECT_EQ(dll.TFSetSection(h, "App Settings"), -1);
    EXPECT_EQ(dll.TFAddLineTail(h, "Path=C:\\APP\r\n"), 1); // makes the header
    EXPECT_EQ(dll.TFBeforeWin(h, "Mode=1\r\n"), 1);         // the tail of the section too
    EXPECT_EQ(dll.TFSetLineText(h, 2, "shell=app.exe\r\n"), 1);
    EXPECT_EQ(dll.TFClearSection(h), 1);
    EXPECT_EQ(dll.TFAddLineTail(h, "lost=1\r\n"), 0);

    DWORD size = 0;
    LPSTR image = dll.TFCreateOutput(h, &size);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(size, dll.TFGetSize(h));
    EXPECT_EQ(std::string(image, size),
              "[boot]\r\n; display\r\nshell=app.exe\r\n[empty]\r\nk=1\r\n"
              "[386Enh]\r\ndevice=*vpicd\r\ndevice=app.386\r\n; device=*vtd\r\n"
              "EMMExclude=C800\r\n[drivers]\r\nwave=app.drv\r\nwave=mmsnd.drv\r\n"
              "[App Settings]\r\nPath=C:\\APP\r\nMode=1\r\n");
    GlobalUnlock(GlobalHandle(image)); // the caller's to free
    EXPECT_EQ(GlobalFree(GlobalHandle(image)), nullptr);
}

} // namespace
