// script/script_load_test.cpp: InfInit and InfInitDiskInf through the DLL,
// and the path handling behind them.
#include "frame/module_state.h"
#include "frame/platform.h"
#include "script/script_load.h"
#include "support/dll.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace qvrtest;

#define BYTES(literal) std::string(literal, sizeof(literal) - 1)

using InfInitFn = int(WINAPI*)(LPCSTR);
using InfInitDiskInfFn = int(WINAPI*)(LPCSTR, LPCSTR);
using SaveFunctionsFn = void(WINAPI*)(ScriptContext**, FileService**);
using RestoreFunctionsFn = void(WINAPI*)(ScriptContext*, FileService*);

std::string ImageBytes(const char* image) {
    if (image == nullptr)
        return "<null>";
    return std::string(image, GlobalSize(GlobalHandle(image)));
}

class ScriptLoadTest : public FileTest {
  protected:
    InfInitFn infInit = Export<InfInitFn>("_InfInit@4");
    InfInitDiskInfFn infInitDiskInf = Export<InfInitDiskInfFn>("_InfInitDiskInf@8");
    SaveFunctionsFn save = Export<SaveFunctionsFn>("_SaveFunctions@8");
    RestoreFunctionsFn restore = Export<RestoreFunctionsFn>("_RestoreFunctions@8");

    void SetUp() override { ASSERT_TRUE(infInit && infInitDiskInf && save && restore); }
    void TearDown() override {
        // Release whatever the DLL holds so that tests stay independent.
        ScriptContext* context = Current();
        if (context != nullptr) {
            FreeImage(context->scriptImage);
            FreeImage(context->diskInfImage);
        }
        restore(nullptr, nullptr);
        FileTest::TearDown();
    }
    ScriptContext* Current() {
        ScriptContext* context = nullptr;
        FileService* service = nullptr;
        save(&context, &service);
        return context;
    }
    static void FreeImage(char* image) {
        if (image != nullptr) {
            GlobalUnlock(GlobalHandle(image));
            GlobalFree(GlobalHandle(image));
        }
    }
    std::string WriteScript(const std::string& name, const std::string& text) {
        WriteBytes(dir / name, text);
        return dir / name;
    }
    const std::string kDisks = "; disks\r\n[Setup]\r\nx=1\r\n[Disk1]\r\n1 = \"Disk One\", d1\r\n"
                               "[Disk2]\r\n2=two ; c\r\n[Other]\r\ny=2\r\n";
};

TEST_F(ScriptLoadTest, InfInitBuildsScriptImage) {
    std::string path = WriteScript("setup.inf", "[Setup]\r\nTitle = \"My App\"\r\n");
    ASSERT_EQ(infInit(path.c_str()), 1);
    ScriptContext* context = Current();
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(ImageBytes(context->scriptImage), BYTES("[Setup]\0Title=\"My App\"\0\0\0\x1A\0"));
    EXPECT_EQ(context->diskInfImage, nullptr);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
}

TEST_F(ScriptLoadTest, EmptyScriptIsOneZeroByte) {
    ASSERT_EQ(infInit(WriteScript("e.inf", "").c_str()), 1);
    EXPECT_EQ(ImageBytes(Current()->scriptImage), BYTES("\0\0\0\x1A\0"));
}

TEST_F(ScriptLoadTest, InfInitFailures) {
    // Not found: 0, and no new context.
    ASSERT_EQ(infInit(WriteScript("a.inf", "[A]\n").c_str()), 1);
    ScriptContext* before = Current();
    EXPECT_EQ(infInit((dir / "missing.inf").c_str()), 0);
    EXPECT_EQ(Current(), before);
    EXPECT_EQ(infInit(nullptr), 0);
    EXPECT_EQ(infInit(""), 0);
    EXPECT_EQ(Current(), before);

    // Longer than the 512-byte path buffer: 0 and nothing touched.
    std::string longPath(600, 'a');
    EXPECT_EQ(infInit(longPath.c_str()), 0);
    EXPECT_EQ(Current(), before);

    // Found but unreadable (a directory passes the existence test on some
    // systems): whatever the platform says, a failure leaves no image.
    ScriptContext* saved = nullptr;
    FileService* savedService = nullptr;
    save(&saved, &savedService);
    int result = infInit(dir.path().c_str());
    if (result == 0 && Current() != saved) {
        EXPECT_EQ(Current()->scriptImage, nullptr);
        EXPECT_EQ(Current()->diskInfImage, nullptr);
        // The DLL deletes the empty record it made; the first script returns.
        restore(saved, savedService);
    }
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Current(), saved);
}

TEST_F(ScriptLoadTest, InfInitClearsTextFileHandlesOnlyWhenPathFits) {
    qvr::textFileTable[0] = {1, reinterpret_cast<TextFile*>(0x10)};
    std::string longPath(600, 'a');
    EXPECT_EQ(qvr::InitScript(longPath.c_str()), 0);
    EXPECT_EQ(qvr::textFileTable[0].handle, 1u);
    EXPECT_EQ(qvr::InitScript((dir / "missing.inf").c_str()), 0);
    EXPECT_EQ(qvr::textFileTable[0].handle, 0u);
    EXPECT_EQ(qvr::textFileTable[0].object, nullptr);
}

TEST_F(ScriptLoadTest, BareFileNameIsSearchedFor) {
    std::string path = WriteScript("found.inf", "[F]\n");
    char oldDir[MAX_PATH];
    GetCurrentDirectoryA(sizeof oldDir, oldDir);
    SetCurrentDirectoryA(dir.path().c_str());
    int result = infInit("found.inf");
    SetCurrentDirectoryA(oldDir);
    ASSERT_EQ(result, 1);
    EXPECT_STREQ(Current()->scriptImage, "[F]");
}

TEST_F(ScriptLoadTest, DiskInfSelectsSectionsByPrefix) {
    ASSERT_EQ(infInit(WriteScript("s.inf", "[S]\n").c_str()), 1);
    std::string disks = WriteScript("disks.inf", kDisks);

    ASSERT_EQ(infInitDiskInf(disks.c_str(), "Disk"), 1);
    EXPECT_EQ(ImageBytes(Current()->diskInfImage),
              BYTES("[Disk1]\0001=\"Disk One\",d1\0\0[Disk2]\0002=two\0\0\0\x1A\0"));

    // The prefix is matched without regard to ASCII case, over its length,
    // and needs no right bracket.
    ASSERT_EQ(infInitDiskInf(disks.c_str(), "dISK2"), 1);
    EXPECT_EQ(ImageBytes(Current()->diskInfImage), BYTES("[Disk2]\0002=two\0\0\0\x1A\0"));

    // Nothing selected: 0, and the previous image is gone.
    EXPECT_EQ(infInitDiskInf(disks.c_str(), "Tape"), 0);
    EXPECT_EQ(Current()->diskInfImage, nullptr);
    EXPECT_STREQ(Current()->scriptImage, "[S]");
}

TEST_F(ScriptLoadTest, DiskInfFailures) {
    ASSERT_EQ(infInit(WriteScript("s.inf", "[S]\n").c_str()), 1);
    std::string disks = WriteScript("disks.inf", kDisks);
    ASSERT_EQ(infInitDiskInf(disks.c_str(), "Disk"), 1);
    char* image = Current()->diskInfImage;

    // Not found: 0 and the previous image stays.
    EXPECT_EQ(infInitDiskInf((dir / "none.inf").c_str(), "Disk"), 0);
    EXPECT_EQ(Current()->diskInfImage, image);
    // Found, but an empty or null prefix: 0 and no image any more.
    EXPECT_EQ(infInitDiskInf(disks.c_str(), ""), 0);
    EXPECT_EQ(Current()->diskInfImage, nullptr);
    ASSERT_EQ(infInitDiskInf(disks.c_str(), "Disk"), 1);
    EXPECT_EQ(infInitDiskInf(disks.c_str(), nullptr), 0);
    EXPECT_EQ(Current()->diskInfImage, nullptr);

    // Without a script context: 0 and nothing changes.
    ScriptContext* context = Current();
    FreeImage(context->scriptImage);
    restore(nullptr, nullptr);
    EXPECT_EQ(infInitDiskInf(disks.c_str(), "Disk"), 0);
    EXPECT_EQ(Current(), nullptr);
}

TEST_F(ScriptLoadTest, DiskInfTextModeAndLongLines) {
    ASSERT_EQ(infInit(WriteScript("s.inf", "[S]\n").c_str()), 1);
    // A Ctrl-Z ends a text-mode file: the section after it is never read.
    std::string disks = WriteScript("z.inf", "[Disk1]\r\na=1\r\n\x1A[Disk2]\r\nb=2\r\n");
    ASSERT_EQ(infInitDiskInf(disks.c_str(), "Disk"), 1);
    EXPECT_EQ(ImageBytes(Current()->diskInfImage), BYTES("[Disk1]\0a=1\0\0\0\x1A\0"));

    // A 600-character line arrives in two pieces (509 + the rest): it stays
    // whole, except that blanks at the start of the second piece are lost,
    // and a second piece starting with ';' or '[' is a line of its own (a
    // comment piece is dropped, its line feed with it).
    std::string first(509, 'x');
    std::string line1 = first + "   yyy";
    std::string line2 = first + ";comment";
    std::string line3 = first + "[DiskZ]";
    std::string line4 = first + "[Other]";
    disks = WriteScript("long.inf", "[Disk1]\n" + line1 + "\n" + line2 + "\nafter=1\n" + line3 +
                                        "\nin=1\n" + line4 + "\nout=1\n");
    ASSERT_EQ(infInitDiskInf(disks.c_str(), "Disk"), 1);
    // Pieces without their line feed run on into the next collected line.
    std::string expected = BYTES("[Disk1]\0") + first + BYTES("yyy\0") + first +
                           BYTES("after=1\0") + first + BYTES("[DiskZ]\0in=1\0") + first +
                           BYTES("\0\0\x1A\0");
    EXPECT_EQ(ImageBytes(Current()->diskInfImage), expected);
}

TEST_F(ScriptLoadTest, OversizedDiskInfWarnsAndIsKept) {
    ASSERT_EQ(infInit(WriteScript("s.inf", "[S]\n").c_str()), 1);
    std::string text = "[Disk1]\n";
    for (int i = 0; i < 8000; ++i)
        text += "file" + std::to_string(i) + "=x\n";
    ASSERT_EQ(infInitDiskInf(WriteScript("big.inf", text).c_str(), "Disk"), 1);
    EXPECT_GT(GlobalSize(GlobalHandle(Current()->diskInfImage)), 0xFFFFu);
    auto boxes = TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Script Error");
    EXPECT_EQ(boxes[0].text, "The parsed disks.inf size has exceeded 64K!");
}

TEST_F(ScriptLoadTest, RepeatedLoadsLeakNothing) {
    std::string script = WriteScript("s.inf", "[S]\nx=1\n");
    std::string disks = WriteScript("disks.inf", kDisks);
    auto cycle = [&] {
        ASSERT_EQ(infInit(script.c_str()), 1);
        ASSERT_EQ(infInitDiskInf(disks.c_str(), "Disk"), 1);
        ASSERT_EQ(infInitDiskInf(disks.c_str(), "Tape"), 0);
        ScriptContext* context = Current();
        FreeImage(context->scriptImage);
        restore(nullptr, nullptr);
    };
    for (int i = 0; i < 20; ++i)
        cycle();
    size_t before = CountHeapBlocks();
    for (int i = 0; i < 300; ++i)
        cycle();
    EXPECT_LT(CountHeapBlocks(), before + 20);
}

TEST_F(ScriptLoadTest, OemPathsConvertedOnOldWindows) {
    // 0x82 is e-acute in the OEM code page and 0xE9 in the ANSI one.
    WriteScript("caf\xE9.inf", "[C]\n");
    std::string oemPath = dir / "caf\x82.inf";
    ASSERT_TRUE(qvr::ConvertIncomingPath(oemPath.c_str()));
    if (qvr::UsesAnsiPaths()) {
        EXPECT_EQ(std::string(qvr::sharedTextBuffer), oemPath);
        EXPECT_EQ(infInit((dir / "caf\xE9.inf").c_str()), 1);
    } else {
        EXPECT_EQ(std::string(qvr::sharedTextBuffer), dir / "caf\xE9.inf");
        EXPECT_EQ(infInit(oemPath.c_str()), 1);
    }
}

} // namespace
