// script/script_load_test.cpp: InfInit and InfInitDiskInf through the DLL.
#include "qvrdll32.h"
#include "frame/module_state.h"
#include "script/script_context.h"
#include "frame/platform.h"
#include "script/image_bytes.h"
#include "script/script_image.h"
#include "script/script_load.h"
#include "support/exports.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace qvrtest;

class ScriptLoadTest : public FileTest {
  protected:
    decltype(&InfInit) infInit = Exports().InfInit;
    decltype(&InfInitDiskInf) diskInf = Exports().InfInitDiskInf;
    decltype(&SaveFunctions) save = Exports().SaveFunctions;
    decltype(&RestoreFunctions) restore = Exports().RestoreFunctions;

    void SetUp() override { ASSERT_TRUE(infInit && diskInf && save && restore); }
    void TearDown() override {
        if (ScriptContext* context = Current()) {
            qvr::ReleaseImage(context->scriptImage);
            qvr::ReleaseImage(context->diskInfImage);
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
    qvr::ReleaseImage(Current()->scriptImage);
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
