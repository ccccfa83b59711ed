// script/tokenizer_test.cpp: the parsed image, byte for byte, built from
// text in memory (the same builder the file loaders use).
#include "script/script_image.h"
#include "support/message_boxes.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace qvrtest;

// The image bytes of `text`, whole block (GlobalSize) included.
std::string Image(const std::string& text) {
    char* image = qvr::BuildImageFromText(reinterpret_cast<const unsigned char*>(text.data()),
                                          text.size(), 1602);
    if (image == nullptr)
        return "<null>";
    std::string bytes(image, GlobalSize(GlobalHandle(image)));
    qvr::ReleaseImage(image);
    return bytes;
}

// The bytes of a string literal, embedded NULs included.
#define BYTES(literal) std::string(literal, sizeof(literal) - 1)

struct Row {
    const char* name;
    std::string text;
    std::string image;
};

class TokenizerTest : public QvrTest, public ::testing::WithParamInterface<Row> {};

TEST_P(TokenizerTest, GivesExactImage) {
    const Row& row = GetParam();
    std::string got = Image(row.text);
    EXPECT_EQ(got, row.image) << "size " << got.size() << " expected " << row.image.size();
}

const std::string kExampleImage =
    BYTES("[Setup]\0Title=\"My App\"\0\0[Files]\0a.exe,\"b c.exe\"\0\0\0\x1A\0");

INSTANTIATE_TEST_SUITE_P(
    Images, TokenizerTest,
    ::testing::Values(
        Row{"ExampleCrLf",
            "[Setup]\r\nTitle = \"My App\"   ; shown in the caption\r\n\r\n; files to copy\r\n"
            "[Files]\r\n  a.exe, \"b c.exe\"\r\n",
            kExampleImage},
        Row{"ExampleLf",
            "[Setup]\nTitle = \"My App\"   ; shown in the caption\n\n; files to copy\n"
            "[Files]\n  a.exe, \"b c.exe\"\n",
            kExampleImage},
        Row{"EmptySectionKeepsHeader", "[A]\nx=1\n[B]\n",
            BYTES("[A]\0x=1\0\0[B]\0\0\0\x1A\0")},
        Row{"NoFinalLineEnd", "key=1", BYTES("key=1\0\0\x1A\0")},
        Row{"OnlyComments", "; one\r\n   \r\n\t; two\r\n", BYTES("\0\0\x1A\0")},
        Row{"EmptyFileReadAsOneZeroByte", std::string(1, '\0'), BYTES("\0\0\0\x1A\0")},
        Row{"QuotedSemicolonAndBlank", "Key=\"a; b\"\n", BYTES("Key=\"a; b\"\0\0\0\x1A\0")},
        Row{"UnclosedQuoteEndsWithLine", "Key=\"a\nNext=1\n",
            BYTES("Key=\"a\0Next=1\0\0\0\x1A\0")},
        Row{"TabInQuotesKeptCrDropped", "a=\"x\ty\rz\"\n", BYTES("a=\"x\tyz\"\0\0\0\x1A\0")},
        Row{"CommentIgnoresQuotesAndSemicolons", "a=1 ; \"x; y\n b=2\n",
            BYTES("a=1\0b=2\0\0\0\x1A\0")},
        Row{"BlanksRemovedInsideLinesAndHeaders", "Dest Dir = C:\\APP\n[My Files]\n",
            BYTES("DestDir=C:\\APP\0\0[MyFiles]\0\0\0\x1A\0")},
        Row{"HeaderAfterBlanksAndComments", "a=1\n; c\n   [B] ; x\n",
            BYTES("a=1\0\0[B]\0\0\0\x1A\0")},
        Row{"HeaderOnFirstLineGetsNoNul", "  \r\n\n[A]\n", BYTES("[A]\0\0\0\x1A\0")},
        Row{"CtrlZIsContent", "a=\x1A\nb=1\n", BYTES("a=\x1A\0b=1\0\0\0\x1A\0")},
        Row{"NulSplitsLine", BYTES("ab\0cd\n"), BYTES("ab\0cd\0\0\0\x1A\0")},
        Row{"TextAfterHeaderBracketKept", "[A] x = 1\n", BYTES("[A]x=1\0\0\0\x1A\0")},
        Row{"BareLfHeadersOutgrowInput", "[A]\n[B]\n[C]\n[D]\n",
            BYTES("[A]\0\0[B]\0\0[C]\0\0[D]\0\0\0\x1A\0")}),
    [](const ::testing::TestParamInfo<Row>& row) { return std::string(row.param.name); });

class TokenizerSizeTest : public QvrTest {};

TEST_F(TokenizerSizeTest, ExampleIsFiftyTwoBytes) { EXPECT_EQ(kExampleImage.size(), 52u); }

TEST_F(TokenizerSizeTest, OneBytePastSixtyFourKWarns) {
    // A line of n content bytes and no line end gives an image of n + 4.
    std::string exact(0xFFFF - 4, 'x');
    EXPECT_EQ(Image(exact).size(), 0xFFFFu);
    EXPECT_TRUE(TakeMessageBoxes().empty());

    std::string over(0xFFFF - 3, 'x');
    std::string image = Image(over);
    ASSERT_EQ(image.size(), 0x10000u);
    EXPECT_EQ(image.substr(image.size() - 4), BYTES("\0\0\x1A\0"));
    auto boxes = TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Script Error");
    EXPECT_EQ(boxes[0].text, "The parsed script size has exceeded 64K!");
}

TEST_F(TokenizerSizeTest, ManyBareLfHeadersGrowTheBlock) {
    std::string text;
    std::string expected;
    for (int i = 0; i < 5000; ++i) {
        std::string header = "[S" + std::to_string(i) + "]";
        text += header + "\n";
        if (i != 0)
            expected += '\0';
        expected += header + '\0';
    }
    expected += BYTES("\0\0\x1A\0");
    EXPECT_EQ(Image(text), expected);
    TakeMessageBoxes(); // an image this size may pass 64K depending on names
}

} // namespace
