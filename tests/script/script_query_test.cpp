// script/script_query_test.cpp: the query logic on images held in memory
// (literal bytes, or built by the same builder the loaders use).
#include "script/script_query.h"
#include "script/script_image.h"
#include "support/message_boxes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using namespace qvrtest;

// The bytes of a string literal, embedded NULs included.
#define BYTES(literal) std::string(literal, sizeof(literal) - 1)

// An image written out byte for byte; data() is the image address.
class Image {
  public:
    explicit Image(std::string bytes) : bytes_(std::move(bytes)) {}
    char* data() { return &bytes_[0]; }
    size_t size() const { return bytes_.size(); }
    // Address of the first occurrence of `text` (which must be there).
    char* at(const char* text) {
        size_t pos = bytes_.find(text);
        EXPECT_NE(pos, std::string::npos) << text;
        return data() + (pos == std::string::npos ? 0 : pos);
    }

  private:
    std::string bytes_;
};

// The example script of the loader, as parsed.
const std::string kExample =
    BYTES("[Setup]\0Title=\"My App\"\0\0[Files]\0a.exe,\"b c.exe\"\0\0\0\x1A\0");

// Output buffers start filled with this byte so that stray writes show.
constexpr char kFill = '\xCC';

class ScriptQueryTest : public QvrTest {};

// ---- InfParseField ------------------------------------------------------

struct FieldRow {
    const char* line;
    unsigned field;
    int result;
    const char* text;
};

const FieldRow kFieldRows[] = {
    {"Title=\"My App\"", 0, 1, "Title"},
    {"Title=\"My App\"", 1, 1, "My App"},
    {"Title=\"My App\"", 2, 0, ""},
    {"Title=\"My App\"", 3, 0, ""},
    {"a.exe,\"b c.exe\"", 0, 0, ""},
    {"a.exe,\"b c.exe\"", 1, 1, "a.exe"},
    {"a.exe,\"b c.exe\"", 2, 1, "b c.exe"},
    {"a.exe,\"b c.exe\"", 3, 0, ""},
    {"File=setup.exe,\"Setup \"\"Main\"\" Program\",100", 0, 1, "File"},
    {"File=setup.exe,\"Setup \"\"Main\"\" Program\",100", 1, 1, "setup.exe"},
    {"File=setup.exe,\"Setup \"\"Main\"\" Program\",100", 2, 1, "Setup \"Main\" Program"},
    {"File=setup.exe,\"Setup \"\"Main\"\" Program\",100", 3, 1, "100"},
    {"k=a=b", 0, 1, "k"},
    {"k=a=b", 1, 1, "a"},
    {"k=a=b", 2, 1, "b"},
    {"k=a=b", 3, 0, ""},
    {"a,b=c", 0, 0, ""},
    {"a,b=c", 1, 1, "a"},
    {"a,b=c", 2, 1, "b"},
    {"a,b=c", 3, 1, "c"},
    {"=x", 0, 1, ""},
    {"=x", 1, 1, "x"},
    {"=x", 2, 0, ""},
    {"=x", 3, 0, ""},
    // A line without separators is one field and has no key.
    {"plain", 0, 0, ""},
    {"plain", 1, 1, "plain"},
    {"plain", 2, 0, ""},
    // Separators inside quotes are content; the quote flag runs across the
    // skipped fields.
    {"\"a=b\",\"c,d\",e", 0, 0, ""},
    {"\"a=b\",\"c,d\",e", 1, 1, "a=b"},
    {"\"a=b\",\"c,d\",e", 2, 1, "c,d"},
    {"\"a=b\",\"c,d\",e", 3, 1, "e"},
    // An unterminated quote runs to the end of the line.
    {"k=\"open,still", 1, 1, "open,still"},
    {"k=\"open,still", 2, 0, ""},
    // A trailing separator makes an empty last field.
    {"k=a,", 2, 1, ""},
    {"k=a,", 3, 0, ""},
    {"Empty=", 1, 1, ""},
    // Blanks at both ends go, quoted ones too; inner blanks stay.
    {"k= \t a b \r\n", 1, 1, "a b"},
    {"k=\" a \"", 1, 1, " a"},
    {" key \t=v", 0, 1, "key"},
    // Text beside quotes joins the field; "" outside quotes is an empty
    // quoted stretch.
    {"k=x\"y\"z", 1, 1, "xyz"},
    {"k=\"\"C:\\APP\"\"", 1, 1, "C:\\APP"},
    {"k=\"a\"\"\"", 1, 1, "a\""},
    // The field number is 16 bits wide; far fields do not exist.
    {"a,b", 65535, 0, ""},
    // Bytes above 0x7F and Ctrl-Z are plain content.
    {"k=\xC9t\xE9,\x1A", 1, 1, "\xC9t\xE9"},
    {"k=\xC9t\xE9,\x1A", 2, 1, "\x1A"},
};

TEST_F(ScriptQueryTest, ParseFieldTable) {
    for (size_t i = 0; i < sizeof kFieldRows / sizeof kFieldRows[0]; ++i) {
        const FieldRow& row = kFieldRows[i];
        SCOPED_TRACE(testing::Message()
                     << "row " << i << ": " << row.line << " field " << row.field);
        // The line as it stands in an image: NUL-terminated, more lines after.
        std::string bytes = std::string(row.line) + BYTES("\0next=1\0\0\0\x1A\0");
        char text[128];
        std::memset(text, kFill, sizeof text);
        EXPECT_EQ(qvr::ParseField(&bytes[0], row.field, text, qvr::kUnboundedText), row.result);
        EXPECT_STREQ(text, row.text);
        // Nothing written past the terminator of the longest possible field.
        size_t line = std::strlen(row.line);
        for (size_t j = line + 1; j < sizeof text; ++j)
            ASSERT_EQ(text[j], kFill) << "byte " << j;
    }
}

TEST_F(ScriptQueryTest, ParseFieldNullArgumentsWriteNothing) {
    char text[8];
    std::memset(text, kFill, sizeof text);
    EXPECT_EQ(qvr::ParseField(nullptr, 1, text, qvr::kUnboundedText), 1);
    EXPECT_EQ(text[0], kFill);
    char line[] = "a=b";
    EXPECT_EQ(qvr::ParseField(line, 1, nullptr, qvr::kUnboundedText), 1);
    EXPECT_STREQ(line, "a=b");
}

TEST_F(ScriptQueryTest, ParseFieldCutsAtTheBufferSize) {
    char line[] = "k=abcdefgh,xyz";
    char text[8];
    std::memset(text, kFill, sizeof text);
    EXPECT_EQ(qvr::ParseField(line, 1, text, 4), 1);
    EXPECT_STREQ(text, "abc");
    for (size_t j = 4; j < sizeof text; ++j)
        EXPECT_EQ(text[j], kFill) << j;
    std::memset(text, kFill, sizeof text);
    EXPECT_EQ(qvr::ParseField(line, 1, text, 1), 1);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(text[1], kFill);
}

// ---- GetKeyValue ----------------------------------------------------------

struct KeyRow {
    const char* line;
    const char* key;
    int result;
    const char* value;
};

const KeyRow kKeyRows[] = {
    {"Title=\"My App\"", "title", 1, "My App"},
    {"File=setup.exe,\"Setup Program\",100", "File", 1, "setup.exe,\"Setup Program\",100"},
    {"Dir=\"\"C:\\APP\"\"", "Dir", 1, "C:\\APP"},
    {"DirName=x", "Dir", 0, ""},
    {"Empty=", "Empty", 1, ""},
    // The key must be followed by '=' (blanks between allowed).
    {"Dir \t=x", "DIR", 1, "x"},
    {"Dir", "Dir", 0, ""},
    {"Dir,x=y", "Dir", 0, ""},
    // A single value loses blanks and quotes at both ends only.
    {"k= \"a\"b\" \t", "k", 1, "a\"b"},
    {"k=\"open", "k", 1, "open"},
    // A separator inside quotes does not make a list.
    {"k=\"a,b\"", "k", 1, "a,b"},
    {"k=a=b", "k", 1, "a=b"},
    {"k=\"x\",y", "k", 1, "\"x\",y"},
    // Only ASCII letters fold: E-acute and e-acute differ.
    {"\xC9t=1", "\xE9t", 0, ""},
    {"\xC9t=1", "\xC9T", 1, "1"},
    // The empty key finds a line that starts with '='.
    {"=v", "", 1, "v"},
};

TEST_F(ScriptQueryTest, GetKeyValueTable) {
    for (size_t i = 0; i < sizeof kKeyRows / sizeof kKeyRows[0]; ++i) {
        const KeyRow& row = kKeyRows[i];
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << row.line << " key " << row.key);
        std::string bytes = std::string(row.line) + BYTES("\0\0\0\x1A\0");
        char value[128];
        std::memset(value, kFill, sizeof value);
        EXPECT_EQ(qvr::GetKeyValue(bytes.c_str(), row.key, value), row.result);
        EXPECT_STREQ(value, row.value);
        for (size_t j = std::strlen(row.line) + 1; j < sizeof value; ++j)
            ASSERT_EQ(value[j], kFill) << "byte " << j;
    }
}

TEST_F(ScriptQueryTest, GetKeyValueSearchesOnlyItsSection) {
    Image image(BYTES("[A]\0x=1\0Key=first\0key=second\0\0[B]\0Other=2\0\0\0\x1A\0"));
    char value[32];
    EXPECT_EQ(qvr::GetKeyValue(image.at("x=1"), "KEY", value), 1);
    EXPECT_STREQ(value, "first"); // the first matching line wins
    EXPECT_EQ(qvr::GetKeyValue(image.at("x=1"), "Other", value), 0);
    EXPECT_STREQ(value, "");
    // From a line in the middle of the section on.
    EXPECT_EQ(qvr::GetKeyValue(image.at("key=second"), "key", value), 1);
    EXPECT_STREQ(value, "second");
    EXPECT_EQ(qvr::GetKeyValue(nullptr, "x", value), 0);
    EXPECT_STREQ(value, "");
    EXPECT_EQ(qvr::GetKeyValue(image.at("x=1"), nullptr, value), 0);
}

// ---- Sections -------------------------------------------------------------

struct SectionRow {
    const char* what;
    std::string image;
    const char* name;
    const char* firstLine; // null: not found
};

TEST_F(ScriptQueryTest, FindSectionTable) {
    const SectionRow rows[] = {
        {"example", kExample, "Files", "a.exe"},
        {"case folded", kExample, "fILES", "a.exe"},
        {"first header", kExample, "Setup", "Title"},
        {"missing", kExample, "Disks", nullptr},
        {"whole name only", BYTES("[FilesX]\0a=1\0\0[File]\0b=1\0\0\0\x1A\0"), "Files", nullptr},
        {"shorter name", BYTES("[FilesX]\0a=1\0\0[File]\0b=1\0\0\0\x1A\0"), "File", "b=1"},
        {"text after bracket", BYTES("[files]xyz\0a=1\0\0\0\x1A\0"), "Files", "a=1"},
        {"first match wins", BYTES("[S]\0a=1\0\0[S]\0b=2\0\0\0\x1A\0"), "s", "a=1"},
        {"header after header", BYTES("[S]\0\0[T]\0t=1\0\0[S]\0b=2\0\0\0\x1A\0"), "S", nullptr},
        {"empty at image end", BYTES("[A]\0x=1\0\0[B]\0\0\0\x1A\0"), "B", nullptr},
        {"empty name", BYTES("[A]\0x=1\0\0[]\0e=1\0\0\0\x1A\0"), "", "e=1"},
        {"empty name needs []", BYTES("[A]\0x=1\0\0\0\x1A\0"), "", nullptr},
        {"ctrl-z line before", BYTES("[A]\0x=1\0\x1A\0\0[Files]\0a=1\0\0\0\x1A\0"), "Files",
         nullptr},
        {"ctrl-z inside a line before", BYTES("[A]\0x=\x1A!\0\0[Files]\0a=1\0\0\0\x1A\0"), "Files",
         nullptr},
        {"ctrl-z after", BYTES("[Files]\0a=1\0\x1A\0\0\0\x1A\0"), "Files", "a=1"},
        {"bracket not first", BYTES("x=[Files]\0\0[Y]\0y=1\0\0\0\x1A\0"), "Files", nullptr},
        {"lines before first header", BYTES("top=1\0\0[S]\0s=1\0\0\0\x1A\0"), "S", "s=1"},
        {"NUL content lines", BYTES("\0\0[S]\0\0s=1\0\0\0\x1A\0"), "S", "s=1"},
        {"only the end", BYTES("\0\0\0\x1A\0"), "S", nullptr},
        {"high bytes not folded", BYTES("[\xC9]\0a=1\0\0\0\x1A\0"), "\xE9", nullptr},
    };
    for (const SectionRow& row : rows) {
        SCOPED_TRACE(row.what);
        Image image(row.image);
        char* found = qvr::FindSection(image.data(), row.name);
        if (row.firstLine == nullptr) {
            EXPECT_EQ(found, nullptr);
            EXPECT_EQ(qvr::FindSectionOffset(image.data(), row.name), 0u);
        } else {
            EXPECT_EQ(found, image.at(row.firstLine));
            EXPECT_EQ(qvr::FindSectionOffset(image.data(), row.name),
                      static_cast<DWORD>(found - image.data()));
        }
    }
    Image image(kExample);
    EXPECT_EQ(qvr::FindSectionOffset(nullptr, "Files"), 0u);
    EXPECT_EQ(qvr::FindSectionOffset(image.data(), nullptr), 0u);
}

// ---- Line walks -----------------------------------------------------------

TEST_F(ScriptQueryTest, NextLineAndLineCount) {
    Image image(BYTES("[S]\0a=1\0b=2\0c=3\0\0[T]\0t=1\0\0\0\x1A\0"));
    char* a = image.at("a=1");
    EXPECT_EQ(qvr::NextLine(a), image.at("b=2"));
    EXPECT_EQ(qvr::NextLine(image.at("b=2")), image.at("c=3"));
    EXPECT_EQ(qvr::NextLine(image.at("c=3")), nullptr); // end of section
    EXPECT_EQ(qvr::NextLine(image.at("t=1")), nullptr); // end of image
    EXPECT_EQ(qvr::NextLine(a + 2), image.at("b=2"));   // from inside a line
    EXPECT_EQ(qvr::NextLine(a + 3), image.at("b=2"));   // from its terminating NUL
    EXPECT_EQ(qvr::NextLine(nullptr), nullptr);
    // The end marker itself is no line.
    EXPECT_EQ(qvr::NextLine(image.data() + image.size() - 2), nullptr);

    EXPECT_EQ(qvr::LineCount(nullptr), 0);
    EXPECT_EQ(qvr::LineCount(a), 3);
    EXPECT_EQ(qvr::LineCount(image.at("b=2")), 2);
    EXPECT_EQ(qvr::LineCount(image.at("c=3")), 1);
    EXPECT_EQ(qvr::LineCount(image.at("t=1")), 1);
}

TEST_F(ScriptQueryTest, WalksStopAtCtrlZAndPassNulContent) {
    // A Ctrl-Z that starts a line ends the walk; one inside a line does not.
    Image image(BYTES("[S]\0a=\x1A\0b=1\0\x1A\0c=1\0\0\0\x1A\0"));
    EXPECT_EQ(qvr::NextLine(image.at("a=")), image.at("b=1"));
    EXPECT_EQ(qvr::NextLine(image.at("b=1")), nullptr);
    EXPECT_EQ(qvr::LineCount(image.at("a=")), 2);
}

struct PrevRow {
    const char* what;
    std::string image;
    size_t from;   // offset passed in
    long expected; // offset of the result, -1 for null
};

TEST_F(ScriptQueryTest, PrevLineTable) {
    // Offsets in kLines: [S]=0 a=1 at 4, bb=2 at 8, [T] at 14, t=1 at 18.
    const std::string kLines = BYTES("[S]\0a=1\0bb=2\0\0[T]\0t=1\0\0\0\x1A\0");
    const PrevRow rows[] = {
        {"first byte gives its line", kLines, 8, 8},
        {"inside a line gives its start", kLines, 10, 8},
        {"terminating NUL gives the next line", kLines, 7, 8},
        {"line - 2 is the previous line", kLines, 8 - 2, 4},
        {"previous of the first line is the header", kLines, 4 - 2, -1},
        {"header itself", kLines, 0, -1},
        {"across a section end", kLines, 18 - 3, -1},
        {"last line of the image", kLines, 19, 18},
        {"no NUL down to the start", BYTES("x=1\0y=2\0\0\0\x1A\0"), 2, 0},
        {"second byte taken as the first", BYTES("\0x=1\0\0\0\x1A\0"), 0, 0},
        {"second byte from inside", BYTES("\0x=1\0\0\0\x1A\0"), 2, 0},
        {"past the image", kLines, kLines.size(), -1},
        {"last byte would yield past the image", kLines, kLines.size() - 1, -1},
    };
    for (const PrevRow& row : rows) {
        SCOPED_TRACE(row.what);
        Image image(row.image);
        char* got = qvr::PrevLine(image.data(), image.size(), image.data() + row.from);
        long offset = got == nullptr ? -1 : static_cast<long>(got - image.data());
        EXPECT_EQ(offset, row.expected);
    }
    Image image(kLines);
    EXPECT_EQ(qvr::PrevLine(image.data(), image.size(), nullptr), nullptr);
    EXPECT_EQ(qvr::PrevLine(nullptr, 0, image.data()), nullptr);
    EXPECT_EQ(qvr::PrevLine(image.data() + 4, image.size() - 4, image.data()), nullptr);
}

// ---- Keys by name ---------------------------------------------------------

TEST_F(ScriptQueryTest, GetProfileValue) {
    Image image(kExample);
    char value[32];
    std::memset(value, kFill, sizeof value);
    EXPECT_EQ(qvr::GetProfileValue(image.data(), "setup", "TITLE", value), 1);
    EXPECT_STREQ(value, "My App");
    std::memset(value, kFill, sizeof value);
    EXPECT_EQ(qvr::GetProfileValue(image.data(), "Nowhere", "Title", value), 0);
    EXPECT_STREQ(value, "");
    std::memset(value, kFill, sizeof value);
    EXPECT_EQ(qvr::GetProfileValue(image.data(), "Files", "Title", value), 0);
    EXPECT_STREQ(value, "");
    std::memset(value, kFill, sizeof value);
    EXPECT_EQ(qvr::GetProfileValue(nullptr, "Setup", "Title", value), 0);
    EXPECT_STREQ(value, "");
    EXPECT_EQ(qvr::GetProfileValue(image.data(), "Setup", "Title", nullptr), 0);
}

struct LookupRow {
    const char* keyPath;
    int result;
    const char* value;
};

TEST_F(ScriptQueryTest, LookupSpecLeavesSpecAsItWas) {
    Image image(BYTES("[Setup]\0Title=\"My App\"\0\0[a.b]\0c=abc\0\0[]\0k=empty\0\0"
                      "[Files]\0a.exe,\"b c.exe\"\0\0\0\x1A\0"));
    const LookupRow rows[] = {
        {"Setup.Title", 1, "My App"}, {"SETUP.title", 1, "My App"}, {"Title", 0, ""},
        {"a.b.c", 1, "abc"},          {".k", 1, "empty"},           {"Setup.", 0, ""},
        {"Nowhere.Title", 0, ""},     {"Files.a.exe", 0, ""},       {"", 0, ""},
    };
    for (const LookupRow& row : rows) {
        SCOPED_TRACE(row.keyPath);
        char keyPath[32];
        std::strcpy(keyPath, row.keyPath);
        char value[32];
        std::memset(value, kFill, sizeof value);
        EXPECT_EQ(qvr::LookupKeyPath(image.data(), keyPath, value), row.result);
        EXPECT_STREQ(value, row.value);
        EXPECT_STREQ(keyPath, row.keyPath);

        // The same buffer for both: it receives the value.
        std::memset(keyPath, kFill, sizeof keyPath);
        std::strcpy(keyPath, row.keyPath);
        EXPECT_EQ(qvr::LookupKeyPath(image.data(), keyPath, keyPath), row.result);
        EXPECT_STREQ(keyPath, row.value);
    }
    char keyPath[] = "Setup.Title";
    EXPECT_EQ(qvr::LookupKeyPath(image.data(), keyPath, nullptr), 0);
    EXPECT_STREQ(keyPath, "Setup.Title");
    char value[8] = "x";
    EXPECT_EQ(qvr::LookupKeyPath(image.data(), nullptr, value), 0);
    EXPECT_STREQ(value, "");
    EXPECT_EQ(qvr::LookupKeyPath(nullptr, keyPath, value), 0);
    EXPECT_STREQ(keyPath, "Setup.Title");
}

TEST_F(ScriptQueryTest, GetNamedSection) {
    struct Row {
        const char* keyPath;
        size_t offset;
    } rows[] = {{"a.b.c", 4}, {".c", 0}, {"abc", 0}, {"", 0}, {"a.", 2}, {"..", 2}, {"x.y", 2}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.keyPath);
        char keyPath[16];
        std::strcpy(keyPath, row.keyPath);
        EXPECT_EQ(qvr::GetNamedSection(keyPath), keyPath + row.offset);
        EXPECT_STREQ(keyPath, row.keyPath);
    }
    EXPECT_EQ(qvr::GetNamedSection(nullptr), nullptr);
}

// ---- Row search -----------------------------------------------------------

TEST_F(ScriptQueryTest, SearchRowTable) {
    Image image(BYTES("[Files]\0a.exe\0b.exe\0k=v,\"x y\"\0\0[Empty]\0\0[One]\0only\0\0\0\x1A\0"));
    struct Row {
        const char* section;
        unsigned field;
        const char* match;
        SHORT row;
    } rows[] = {
        {"Files", 1, "B.EXE", 1},  {"files", 1, "a.exe", 0},  {"Files", 1, "c.exe", -1},
        {"Files", 2, "", 0}, // the first line without field 2
        {"Files", 2, "X Y", 2},    {"Files", 0, "K", 2},      {"Files", 0, "", 0},
        {"Empty", 1, "", -1},      {"Missing", 1, "", -1},    {"One", 1, "only", 0},
        {"Files", 1, nullptr, -1}, {nullptr, 1, "a.exe", -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << (row.section ? row.section : "<null>") << " "
                                        << row.field << " " << (row.match ? row.match : "<null>"));
        EXPECT_EQ(qvr::SearchRow(image.data(), row.section, row.field, row.match), row.row);
    }
    EXPECT_EQ(qvr::SearchRow(nullptr, "Files", 1, "a.exe"), -1);
}

TEST_F(ScriptQueryTest, SearchRowStaysInsideItsWorkBuffer) {
    const std::string longField(600, 'x');
    const std::string longName(600, 'N');
    Image image("[" + longName.substr(0, 511) + "]" + BYTES("\0a\0") + longField +
                BYTES("\0\0[F]\0") + "k=" + longField + BYTES("\0\0\0\x1A\0"));
    struct Guarded {
        char work[512];
        char canary[64];
    } buffer;
    std::memset(&buffer, kFill, sizeof buffer);
    auto search = [&](const std::string& section, const std::string& match) {
        return qvr::SearchRowIn(image.data(), section.c_str(), 1, match.c_str(), buffer.work,
                                sizeof buffer.work);
    };
    // Fields compare as far as they fit: 511 characters.
    EXPECT_EQ(search("F", longField.substr(0, 511)), 0);
    EXPECT_EQ(search("F", longField), -1);
    // A section name of 600 characters is looked for by its first 511.
    EXPECT_EQ(search(longName, longField.substr(0, 511)), 1);
    EXPECT_EQ(search(longName, "a"), 0);
    for (char c : buffer.canary)
        ASSERT_EQ(c, kFill);
    // The export's own buffer behaves the same.
    EXPECT_EQ(qvr::SearchRow(image.data(), longName.c_str(), 1, longField.substr(0, 511).c_str()),
              1);
}

TEST_F(ScriptQueryTest, SearchRowResultIsSixteenBits) {
    // Row numbers wrap at 16 bits: 32768 reads as -32768, 65535 as -1.
    std::string bytes = BYTES("[R]\0");
    const int kRows = 65537;
    for (int i = 0; i < kRows; ++i) {
        bytes += (i == 32768 ? "m" : i == 65535 ? "n" : i == 65536 ? "o" : "r");
        bytes += '\0';
    }
    bytes += BYTES("\0\0\x1A\0");
    Image image(bytes);
    EXPECT_EQ(qvr::LineCount(image.at("r")), kRows);
    EXPECT_EQ(qvr::SearchRow(image.data(), "R", 1, "r"), 0);
    EXPECT_EQ(qvr::SearchRow(image.data(), "R", 1, "m"), -32768);
    EXPECT_EQ(qvr::SearchRow(image.data(), "R", 1, "n"), -1);
    EXPECT_EQ(qvr::SearchRow(image.data(), "R", 1, "o"), 0);
}

} // namespace
