// script/script_load_test.cpp: the parsed image byte for byte, and InfInit /
// InfInitDiskInf through the DLL.
#include "qvrdll32.h"
#include "frame/module_state.h"
#include "frame/platform.h"
#include "script/script_image.h"
#include "script/script_load.h"
#include "support/dll.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace qvrtest;

#define BYTES(literal) std::string(literal, sizeof(literal) - 1)

// The whole global block (GlobalSize) holding an image.
std::string ImageBytes(const char* image) {
    return image == nullptr ? "<null>" : std::string(image, GlobalSize(GlobalHandle(image)));
}

std::string Parse(const std::string& text) {
    char* image = qvr::BuildImageFromText(reinterpret_cast<const unsigned char*>(text.data()),
                                          text.size(), 1602);
    std::string bytes = ImageBytes(image);
    if (image != nullptr)
        qvr::ReleaseImage(image);
    return bytes;
}

class TokenizerTest : public QvrTest {};

TEST_F(TokenizerTest, GivesExactImage) {
    const std::string kExample =
        BYTES("[Setup]\0Title=\"My App\"\0\0[Files]\0a.exe,\"b c.exe\"\0\0\0\x1A\0");
    const struct {
        const char* what;
        std::string text;
        std::string image;
    } rows[] = {
        {"CRLF, comments, blank lines",
         "[Setup]\r\nTitle = \"My App\"   ; caption\r\n\r\n; files\r\n[Files]\r\n"
         "  a.exe, \"b c.exe\"\r\n",
         kExample},
        {"empty section keeps header", "[A]\nx=1\n[B]\n", BYTES("[A]\0x=1\0\0[B]\0\0\0\x1A\0")},
        {"no final line end", "key=1", BYTES("key=1\0\0\x1A\0")},
        {"empty file read as one zero byte", std::string(1, '\0'), BYTES("\0\0\0\x1A\0")},
        {"quoted semicolon", "Key=\"a; b\"\n", BYTES("Key=\"a; b\"\0\0\0\x1A\0")},
        {"unclosed quote ends with line", "Key=\"a\nNext=1\n",
         BYTES("Key=\"a\0Next=1\0\0\0\x1A\0")},
        {"tab kept, CR dropped in quotes", "a=\"x\ty\rz\"\n", BYTES("a=\"x\tyz\"\0\0\0\x1A\0")},
        {"comment ignores quotes", "a=1 ; \"x; y\n b=2\n", BYTES("a=1\0b=2\0\0\0\x1A\0")},
        {"blanks removed outside quotes", "Dest Dir = C:\\APP\n[My Files]\n",
         BYTES("DestDir=C:\\APP\0\0[MyFiles]\0\0\0\x1A\0")},
        {"header on first line gets no NUL", "  \r\n\n[A]\n", BYTES("[A]\0\0\0\x1A\0")},
        {"Ctrl-Z is content", "a=\x1A\nb=1\n", BYTES("a=\x1A\0b=1\0\0\0\x1A\0")},
        {"NUL splits a line", BYTES("ab\0cd\n"), BYTES("ab\0cd\0\0\0\x1A\0")},
        {"text after header kept", "[A] x = 1\n", BYTES("[A]x=1\0\0\0\x1A\0")},
        {"bare-LF headers outgrow input", "[A]\n[B]\n[C]\n",
         BYTES("[A]\0\0[B]\0\0[C]\0\0\0\x1A\0")},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Parse(row.text), row.image) << row.what;
    EXPECT_EQ(kExample.size(), 52u);
}

TEST_F(TokenizerTest, OneBytePastSixtyFourKWarns) {
    // n content bytes without a line end give an image of n + 4.
    EXPECT_EQ(Parse(std::string(0xFFFF - 4, 'x')).size(), 0xFFFFu);
    EXPECT_TRUE(TakeMessageBoxes().empty());
    std::string image = Parse(std::string(0xFFFF - 3, 'x'));
    ASSERT_EQ(image.size(), 0x10000u);
    EXPECT_EQ(image.substr(image.size() - 4), BYTES("\0\0\x1A\0"));
    auto boxes = TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Script Error");
    EXPECT_EQ(boxes[0].text, "The parsed script size has exceeded 64K!");
}

class ScriptLoadTest : public FileTest {
  protected:
    decltype(&InfInit) infInit = Export<decltype(&InfInit)>("_InfInit@4");
    decltype(&InfInitDiskInf) diskInf = Export<decltype(&InfInitDiskInf)>("_InfInitDiskInf@8");
    decltype(&SaveFunctions) save = Export<decltype(&SaveFunctions)>("_SaveFunctions@8");
    decltype(&RestoreFunctions) restore =
        Export<decltype(&RestoreFunctions)>("_RestoreFunctions@8");

    void SetUp() override { ASSERT_TRUE(infInit && diskInf && save && restore); }
    void TearDown() override {
        if (ScriptContext* context = Current()) {
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
    std::string Write(const std::string& name, const std::string& text) {
        WriteBytes(dir / name, text);
        return dir / name;
    }
    const std::string kDisks = "[Setup]\r\nx=1\r\n[Disk1]\r\n1 = \"Disk One\", d1\r\n"
                               "[Disk2]\r\n2=two ; c\r\n[Other]\r\ny=2\r\n";
};

TEST_F(ScriptLoadTest, InfInitBuildsImageOrFailsWithoutNewContext) {
    ASSERT_EQ(infInit(Write("setup.inf", "[Setup]\r\nTitle = \"My App\"\r\n").c_str()), 1);
    ScriptContext* context = Current();
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(ImageBytes(context->scriptImage), BYTES("[Setup]\0Title=\"My App\"\0\0\0\x1A\0"));
    EXPECT_EQ(context->diskInfImage, nullptr);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));

    const std::string missing = dir / "missing.inf";
    const std::string tooLong(600, 'a'); // past the 512-byte path buffer
    for (const char* path : {missing.c_str(), "", tooLong.c_str(),
                             static_cast<const char*>(nullptr), dir.path().c_str()}) {
        EXPECT_EQ(infInit(path), 0) << (path ? path : "<null>");
        EXPECT_EQ(Current(), context);
    }
}

TEST_F(ScriptLoadTest, DiskInfSelectsSectionsByPrefix) {
    ASSERT_EQ(infInit(Write("s.inf", "[S]\n").c_str()), 1);
    std::string disks = Write("disks.inf", kDisks);
    ASSERT_EQ(diskInf(disks.c_str(), "Disk"), 1);
    EXPECT_EQ(ImageBytes(Current()->diskInfImage),
              BYTES("[Disk1]\0001=\"Disk One\",d1\0\0[Disk2]\0002=two\0\0\0\x1A\0"));
    char* image = Current()->diskInfImage;
    // Missing file: 0, the previous image stays.
    EXPECT_EQ(diskInf((dir / "none.inf").c_str(), "Disk"), 0);
    EXPECT_EQ(Current()->diskInfImage, image);
    // Prefix folds ASCII case and needs no closing bracket.
    ASSERT_EQ(diskInf(disks.c_str(), "dISK2"), 1);
    EXPECT_EQ(ImageBytes(Current()->diskInfImage), BYTES("[Disk2]\0002=two\0\0\0\x1A\0"));
    // Nothing selected, empty or null prefix: 0 and the old image is gone.
    for (const char* prefix : {"Tape", "", static_cast<const char*>(nullptr)}) {
        ASSERT_EQ(diskInf(disks.c_str(), "Disk"), 1);
        EXPECT_EQ(diskInf(disks.c_str(), prefix), 0);
        EXPECT_EQ(Current()->diskInfImage, nullptr);
    }
    EXPECT_STREQ(Current()->scriptImage, "[S]");
    // Without a script context nothing is loaded.
    FreeImage(Current()->scriptImage);
    restore(nullptr, nullptr);
    EXPECT_EQ(diskInf(disks.c_str(), "Disk"), 0);
    EXPECT_EQ(Current(), nullptr);
}

TEST_F(ScriptLoadTest, DiskInfReadsTextModeInPieces) {
    ASSERT_EQ(infInit(Write("s.inf", "[S]\n").c_str()), 1);
    // Ctrl-Z ends a text-mode file.
    ASSERT_EQ(diskInf(Write("z.inf", "[Disk1]\r\na=1\r\n\x1A[Disk2]\r\nb=2\r\n").c_str(), "Disk"),
              1);
    EXPECT_EQ(ImageBytes(Current()->diskInfImage), BYTES("[Disk1]\0a=1\0\0\0\x1A\0"));

    // Long lines arrive as 509 bytes plus the rest: blanks opening the second
    // piece are lost, and a second piece starting with ';' (dropped with its
    // line feed) or '[' counts as a line of its own.
    const std::string x(509, 'x');
    std::string text = "[Disk1]\n" + x + "   yyy\n" + x + ";comment\nafter=1\n" + x +
                       "[DiskZ]\nin=1\n" + x + "[Other]\nout=1\n";
    ASSERT_EQ(diskInf(Write("long.inf", text).c_str(), "Disk"), 1);
    EXPECT_EQ(ImageBytes(Current()->diskInfImage),
              BYTES("[Disk1]\0") + x + BYTES("yyy\0") + x + BYTES("after=1\0") + x +
                  BYTES("[DiskZ]\0in=1\0") + x + BYTES("\0\0\x1A\0"));
}

TEST_F(ScriptLoadTest, OemPathsConvertedWhereAnsiPathsAreNotUsed) {
    // 0x82 is e-acute in the OEM code page, 0xE9 in the ANSI one.
    Write("caf\xE9.inf", "[C]\n");
    std::string oem = dir / "caf\x82.inf";
    std::string ansi = dir / "caf\xE9.inf";
    ASSERT_TRUE(qvr::ConvertIncomingPath(oem.c_str()));
    EXPECT_EQ(std::string(qvr::sharedTextBuffer), qvr::UsesAnsiPaths() ? oem : ansi);
    EXPECT_EQ(infInit(qvr::UsesAnsiPaths() ? ansi.c_str() : oem.c_str()), 1);
}

} // namespace
