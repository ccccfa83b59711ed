// script/script_query_test.cpp: the query logic on images held in memory,
// then the query exports on images loaded through the DLL.
#include "qvrdll32.h"
#include "script/script_query.h"
#include "support/exports.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace qvrtest;
using namespace std::string_literals;

// The rest of an image after its last line.
const std::string kEnd = "\0\0\x1A\0"s;
// Output buffers start filled with this byte so that stray writes show.
constexpr char kFill = '\xCC';

// An image written out byte for byte.
struct Image {
    std::string bytes;
    char* data() { return &bytes[0]; }
    char* at(const char* text) { // first occurrence, which must be there
        size_t pos = bytes.find(text);
        EXPECT_NE(pos, std::string::npos) << text;
        return data() + (pos == std::string::npos ? 0 : pos);
    }
};

// Runs call(buffer) on a filled buffer and expects 1 and `text` (null: 0 and
// an empty text), with nothing written past the length of the source `line`.
template <class Call> void ExpectText(Call call, const char* text, const char* line) {
    char buffer[128];
    std::memset(buffer, kFill, sizeof buffer);
    EXPECT_EQ(call(buffer), text ? 1 : 0);
    EXPECT_STREQ(buffer, text ? text : "");
    for (size_t j = std::strlen(line) + 1; j < sizeof buffer; ++j)
        ASSERT_EQ(buffer[j], kFill) << "byte " << j;
}

class ScriptQueryTest : public QvrTest {};

TEST_F(ScriptQueryTest, ParseField) {
    // Each field in turn: a null key means no '=' (result 0 for field 0); the
    // field after the last gives 0 as well.
    const struct {
        const char* line;
        std::vector<const char*> fields;
    } rows[] = {
        {"Title=\"My App\"", {"Title", "My App"}},
        {"a.exe,\"b c.exe\"", {nullptr, "a.exe", "b c.exe"}},
        {"f=x,\"Say \"\"Hi\"\" now\",100", {"f", "x", "Say \"Hi\" now", "100"}},
        {"a,b=c", {nullptr, "a", "b", "c"}},
        {"=x", {"", "x"}},
        {"\"a=b\",\"c,d\",e", {nullptr, "a=b", "c,d", "e"}},
        {"k=\"open,still", {"k", "open,still"}},
        {"k=a,", {"k", "a", ""}},
        {" key \t= \t a b \r\n", {"key", "a b"}},
        {"k=\" a \",x\"y\"z", {"k", " a", "xyz"}},
    };
    for (const auto& row : rows) {
        std::string image = row.line + "\0next=1\0"s + kEnd;
        for (unsigned field = 0; field <= row.fields.size(); ++field) {
            SCOPED_TRACE(testing::Message() << row.line << " field " << field);
            ExpectText([&](char* text) { return qvr::ParseField(&image[0], field, text, -1); },
                       field < row.fields.size() ? row.fields[field] : nullptr, row.line);
        }
    }
    // The field number is 16 bits; text is cut at the buffer size.
    char text[8];
    EXPECT_EQ(qvr::ParseField("a,b", 65535, text, qvr::kUnboundedText), 0);
    std::memset(text, kFill, sizeof text);
    EXPECT_EQ(qvr::ParseField("k=abcdefgh", 1, text, 4), 1);
    EXPECT_EQ(std::string(text, 5), "abc\0\xCC"s);
}

TEST_F(ScriptQueryTest, KeyValues) {
    // Line, key, value (null: not found).
    const char* rows[][3] = {{"Title=\"My App\"", "title", "My App"},
                             {"F=a,\"b\",1", "F", "a,\"b\",1"},
                             {"DirName=x", "Dir", nullptr},
                             {"Dir \t=x", "DIR", "x"},
                             {"Empty=", "Empty", ""},
                             {"k= \"a\"b\" \t", "k", "a\"b"},
                             {"=v", "", "v"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row[0] << " key " << row[1]);
        std::string image = row[0] + "\0"s + kEnd;
        ExpectText([&](char* value) { return qvr::GetKeyValue(image.c_str(), row[1], value); },
                   row[2], row[0]);
    }
    // Only the rest of the section is searched; the first match wins.
    Image script{"[Setup]\0Title=\"My App\"\0title=second\0\0[a.b]\0c=abc\0\0[]\0k=empty\0\0"
                 "[F]\0a.exe\0"s +
                 kEnd};
    char value[32];
    EXPECT_EQ(qvr::GetKeyValue(script.at("title=second"), "TITLE", value), 1);
    EXPECT_STREQ(value, "second");
    EXPECT_EQ(qvr::GetKeyValue(script.at("Title"), "c", value), 0);
    EXPECT_EQ(qvr::GetKeyValue(nullptr, "x", value), 0);
    EXPECT_EQ(qvr::GetProfileValue(script.data(), "A.B", "C", value), 1);
    EXPECT_STREQ(value, "abc");

    // "section.key", split at the last dot, leaves the key path as it was.
    const char* paths[][2] = {{"SETUP.title", "My App"},
                              {"a.b.c", "abc"},
                              {".k", "empty"},
                              {"Title", nullptr},
                              {"F.a.exe", nullptr}};
    for (const auto& row : paths) {
        char keyPath[32];
        std::strcpy(keyPath, row[0]);
        ExpectText([&](char* v) { return qvr::LookupKeyPath(script.data(), keyPath, v); }, row[1],
                   "Title=\"My App\"");
        EXPECT_STREQ(keyPath, row[0]);
        EXPECT_EQ(qvr::LookupKeyPath(script.data(), keyPath, keyPath), row[1] ? 1 : 0);
        EXPECT_STREQ(keyPath, row[1] ? row[1] : ""); // same buffer: receives the value
    }
    char keyPath[] = "Setup.Title";
    EXPECT_EQ(qvr::LookupKeyPath(nullptr, keyPath, value), 0);
    EXPECT_STREQ(keyPath, "Setup.Title");
    // The key starts after the last dot, unless that dot comes first.
    const std::pair<const char*, int> named[] = {{"a.b.c", 4}, {".c", 0}, {"abc", 0}};
    for (const auto& [path, offset] : named) {
        std::strcpy(keyPath, path);
        EXPECT_EQ(qvr::GetNamedSection(keyPath), keyPath + offset) << path;
    }
}

TEST_F(ScriptQueryTest, FindSectionAtEveryAlignment) {
    // Image before its end, name, offset of the section's first line (0: not found).
    const std::string files = "[Setup]\0Title=1\0\0[Files]\0a.exe\0"s,
                      twice = "[files]xyz\0a=1\0\0[S]\0\0[T]\0t=1\0\0[S]\0b=2\0"s,
                      spread = "[A]\0"s + std::string(40, 'x') + "\0\0[B]\0"s +
                               std::string(70, 'y') + "=[C]\0\0[C]\0"s;
    const std::tuple<std::string, const char*, DWORD> rows[] = {
        {files, "fILES", 25},
        {files, "Setup", 8},
        {files, "Disks", 0},
        {"[FilesX]\0a=1\0\0[File]\0b=1\0"s, "File", 21},
        {twice, "Files", 11},
        {twice, "S", 0},
        {"k=v\0w=[A]\0\0[A]\0z=1\0"s, "A", 15},
        {"[A]\0a=\x1A\0\0[B]\0b=1\0"s, "B", 0},
        {"\0\0[S]\0\0s=1\0[\xC9]\0"s, "S", 7},
        {"\0\0[S]\0\0s=1\0[\xC9]\0"s, "\xE9", 0},
        {spread, "C", 0},
        {spread + "c\0"s, "C", 130},
        {"[A]\0p\0"s + kEnd + "\0[Z]\0z=1"s, "Z", 0},
    };
    // The scan reads aligned blocks of 16. Shifts three apart put the 4-byte
    // end marker across a block boundary at one of them, whatever the image.
    for (const auto& [body, name, offset] : rows) {
        const std::string image = body + kEnd;
        std::vector<char> storage(image.size() + 48, '\x55');
        char* aligned = storage.data() + (16 - reinterpret_cast<uintptr_t>(storage.data()) % 16);
        for (size_t shift = 0; shift < 16; shift += 3) {
            std::memcpy(aligned + shift, image.data(), image.size());
            for (auto scan : {qvr::SectionScan::Scalar, qvr::SectionScan::Sse2})
                EXPECT_EQ(qvr::FindSectionOffsetWith(scan, aligned + shift, name), offset)
                    << testing::PrintToString(image) << " [" << name << "] shift " << shift
                    << " scan " << static_cast<int>(scan);
            EXPECT_EQ(qvr::FindSectionOffset(aligned + shift, name), offset);
        }
    }
}

TEST_F(ScriptQueryTest, LineWalksAndRowSearch) {
    // Offsets: [Files] 0, a.exe 8, b.exe 14, k=v,"x y" 20, [Empty] 31, [One] 40, only 46.
    Image image{"[Files]\0a.exe\0b.exe\0k=v,\"x y\"\0\0[Empty]\0\0[One]\0only\0"s + kEnd};
    char* a = image.at("a.exe");
    for (char* from : {a, a + 2, a + 5}) // its first byte, inside, its NUL
        EXPECT_EQ(qvr::NextLine(from), image.at("b.exe")) << from - a;
    EXPECT_EQ(qvr::NextLine(image.at("k=v")), nullptr);  // section end
    EXPECT_EQ(qvr::NextLine(image.at("only")), nullptr); // image end
    EXPECT_EQ(qvr::LineCount(a), 3);
    EXPECT_EQ(qvr::LineCount(image.at("only")), 1);
    // A Ctrl-Z that starts a line ends the walk; one inside a line does not.
    Image z{"[S]\0a=\x1A\0b=1\0\x1A\0c=1\0"s + kEnd};
    EXPECT_EQ(qvr::NextLine(z.at("a=")), z.at("b=1"));
    EXPECT_EQ(qvr::NextLine(z.at("b=1")), nullptr);
    EXPECT_EQ(qvr::LineCount(z.at("a=")), 2);

    // From, result (-1: null).
    const long size = static_cast<long>(image.bytes.size());
    const long back[][2] = {{14, 14}, {12, 8}, {13, 14}, {2, -1}, {size, -1}, {size - 1, -1}};
    for (const auto& row : back) {
        char* got = qvr::PrevLine(image.data(), image.bytes.size(), image.data() + row[0]);
        EXPECT_EQ(got == nullptr ? -1 : got - image.data(), row[1]) << "from " << row[0];
    }
    EXPECT_EQ(qvr::PrevLine(image.data(), image.bytes.size(), nullptr), nullptr);
    EXPECT_EQ(qvr::PrevLine(image.data() + 4, image.bytes.size() - 4, image.data()), nullptr);
    Image leadingNul{"\0x=1\0"s + kEnd}; // its second byte counts as the first
    EXPECT_EQ(qvr::PrevLine(leadingNul.data(), leadingNul.bytes.size(), leadingNul.data() + 2),
              leadingNul.data());

    const struct {
        const char* section;
        unsigned field;
        const char* match;
        SHORT row;
    } rows[] = {
        {"files", 1, "B.EXE", 1}, {"Files", 1, "c.exe", -1}, {"Files", 2, "", 0},
        {"Files", 2, "X Y", 2},   {"Files", 0, "K", 2},      {"Empty", 1, "", -1},
        {"Missing", 1, "", -1},   {"One", 1, "only", 0},
    };
    for (const auto& row : rows)
        EXPECT_EQ(qvr::SearchRow(image.data(), row.section, row.field, row.match), row.row)
            << row.section << " " << row.field << " " << row.match;

    // Names and fields compare over the 511 characters the work buffer holds.
    const std::string field(600, 'x'), name(600, 'N');
    Image big{"[" + name.substr(0, 511) + "]\0"s + field + "\0"s + kEnd};
    EXPECT_EQ(qvr::SearchRow(big.data(), name.c_str(), 1, field.substr(0, 511).c_str()), 0);
    EXPECT_EQ(qvr::SearchRow(big.data(), name.c_str(), 1, field.c_str()), -1);

    // Row numbers are 16 bits: 32768 reads as -32768, 65535 as -1.
    std::string rowsImage = "[R]\0"s;
    for (int i = 0; i < 65537; ++i)
        rowsImage += i == 32768 ? "m\0"s : i == 65535 ? "n\0"s : i == 65536 ? "o\0"s : "r\0"s;
    Image many{rowsImage + kEnd};
    EXPECT_EQ(qvr::LineCount(many.at("r")), 65537);
    EXPECT_EQ(qvr::SearchRow(many.data(), "R", 1, "m"), -32768);
    EXPECT_EQ(qvr::SearchRow(many.data(), "R", 1, "n"), -1);
    EXPECT_EQ(qvr::SearchRow(many.data(), "R", 1, "o"), 0);
}

class QueryExportsTest : public FileTest {};

TEST_F(QueryExportsTest, ContextQueriesAndRelease) {
    const DllExports& dll = Exports();
    char value[64] = "x";
    char keyPath[] = "Setup.Dir";
    WriteBytes(dir / "setup.inf", "[Setup]\r\nDir = C:\\APP\r\n[Files]\r\na.exe\r\nb.exe, d\r\n");
    WriteBytes(dir / "disks.inf", "[Setup]\r\nx=1\r\n[Disk1]\r\nlabel = \"One\"\r\n");
    size_t before = 0;
    for (int i = 0; i < 105; ++i) { // no block left behind per cycle
        before = i == 5 ? CountHeapBlocks() : before;
        ASSERT_EQ(dll.InfInit((dir / "setup.inf").c_str()), 1);
        ASSERT_EQ(dll.InfInitDiskInf((dir / "disks.inf").c_str(), "disk"), 1);
        char* script = dll.InfGetScriptPtr();
        char* disks = dll.InfGetDiskInfPtr();
        char* files = dll.InfFindSection(nullptr, "Files");
        ASSERT_NE(files, nullptr);
        ASSERT_EQ(dll.InfFindSection(script, "Files"), files);
        ASSERT_EQ(dll.InfPrevLine(files + 4), files); // two below the next line
        ASSERT_EQ(dll.InfSearchRow("Files", 2, "D"), 1);
        ASSERT_EQ(dll.InfLookup(keyPath, value), 1);
        ASSERT_STREQ(value, "C:\\APP");
        ASSERT_EQ(dll.InfGetProfileString(disks, "Disk1", "label", value), 1);
        ASSERT_STREQ(value, "One");
        ASSERT_EQ(dll.InfSearchRow("Disk1", 0, "label"), -1); // the script only
        dll.InfCloseDiskInf();
        ASSERT_EQ(dll.InfGetDiskInfPtr(), nullptr);
        ASSERT_EQ(dll.InfGetScriptPtr(), script);
        ASSERT_EQ(dll.InfInitDiskInf((dir / "disks.inf").c_str(), "Tape"), 0);
        dll.InfClose();
        ASSERT_EQ(dll.InfGetScriptPtr(), nullptr);
    }
    EXPECT_LE(CountHeapBlocks(), before + 5);
}

} // namespace
