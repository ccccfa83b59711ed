// script/tokenizer_test.cpp: the parsed image byte for byte.
#include "script/image_bytes.h"
#include "script/script_image.h"
#include "support/message_boxes.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace qvrtest;

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
        {"empty sections keep headers, outgrow the input", "[A]\n[B]\n[C]\n",
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

} // namespace
