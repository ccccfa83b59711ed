// textfile/ini_text_file_test.cpp: initialisation file lines and the section
// window: choosing a section, adding, inserting, commenting out, deleting
// and finding lines inside it, and creating a missing header.
#include "support/temp_dir.h"
#include "textfile/ini_text_file.h"
#include "textfile/line_flags.h"
#include "textfile/text_file_probe.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace qvrtest;
using Lines = std::vector<std::string>;

// Header line, first and last body line, and the found switch.
struct Window {
    int line, first, last, found;
    bool operator==(const Window& o) const {
        return line == o.line && first == o.first && last == o.last && found == o.found;
    }
};
std::ostream& operator<<(std::ostream& out, const Window& w) {
    return out << "{" << w.line << ", " << w.first << ", " << w.last << ", " << w.found << "}";
}

const char kBootDrivers[] = "[boot]\r\na=1\r\n[drivers]\r\nb=2\r\n";

class IniTextFileTest : public TextFileTest {
  protected:
    std::unique_ptr<Probe<IniTextFile>> Ini(const std::string& bytes) {
        return Load<IniTextFile>(bytes, {";"});
    }
    static Window WindowOf(const IniTextFile& file) {
        return {file.GetSectionLine(), file.GetSectionFirst(), file.GetSectionLast(),
                file.GetSectionFound()};
    }
};

TEST_F(IniTextFileTest, LinesAreClassifiedAndParsed) {
    struct Row {
        const char* text;
        DWORD flags;
        const char* parsed;
    } rows[] = {
        {"Device Name = Printer   One\r\n", LINE_ASSIGNMENT, "devicename=printer one"},
        {"\tkey\t=\tvalue\twith  runs\r\n", LINE_ASSIGNMENT, "key=value with runs"},
        {"a\x01"
         "b = 1\r\n",
         LINE_ASSIGNMENT, "ab=1"},
        {"K\xE9y=V\r\n", LINE_ASSIGNMENT, "ky=v"}, // bytes from 0x80 leave the key
        {"x = [not] a header\r\n", LINE_ASSIGNMENT, "x=[not] a header"},
        {"[sec]=1\r\n", LINE_ASSIGNMENT, "[sec]=1"},
        {"[My   Section]\r\n", LINE_SECTION, "[my   section]"},
        {"  [My\t\tSection] \r\n", LINE_SECTION, "[my  section]"},
        {"[A] trailing   words\r\n", LINE_SECTION, "[a] trailing   words"},
        {"[incomplete\r\n", 0, "[incomplete"},
        {"text]\r\n", 0, "text]"},
        {"plain   text\r\n", 0, "plain text"},
        {"; comment = x\r\n", LINE_COMMENT, ";comment=x"},
        {"\r\n", 0, ""},
    };
    std::string bytes;
    for (const Row& row : rows)
        bytes += row.text;
    auto file = Ini(bytes);
    ASSERT_TRUE(file);
    ASSERT_EQ(file->GetLineCount(), static_cast<int>(std::size(rows)));
    char parsed[512];
    for (int i = 0; i < file->GetLineCount(); ++i) {
        SCOPED_TRACE(rows[i].text);
        EXPECT_EQ(file->GetLineFlags(i), rows[i].flags);
        ASSERT_NE(file->GetParsedLineText(i, parsed, 511), nullptr);
        EXPECT_STREQ(parsed, rows[i].parsed);
    }
    EXPECT_EQ(file->ClassifyLine(nullptr), 0u);
}

TEST_F(IniTextFileTest, SetSectionFindsHeaderAndBody) {
    struct Row {
        const char* bytes;
        const char* name;
        int result;
        Window window;
    } rows[] = {
        {kBootDrivers, "boot", 0, {0, 1, 1, 1}},
        {kBootDrivers, "DRIVERS", 2, {2, 3, 3, 1}}, // the body runs to the last line
        {kBootDrivers, "dri*", 2, {2, 3, 3, 1}},
        {kBootDrivers, "fonts", -1, {-1, -1, -1, 0}},
        {kBootDrivers, "boo", -1, {-1, -1, -1, 0}},
        {"[a]\r\n[b]\r\nx=1\r\n", "a", 0, {0, -1, -1, 1}},     // header after header
        {"x=1\r\n[last]\r\n", "last", 1, {1, -1, -1, 1}},      // header as the last line
        {"; [boot]\r\n[Boot]\r\n", "boot", 1, {1, -1, -1, 1}}, // comment passed over
        {"[My   Section]\r\nk=v\r\n", "My   Section", 0, {0, 1, 1, 1}},
        {"\x1A\x1A", "boot", -1, {-1, -1, -1, 0}}, // no lines
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.bytes) + " / " + row.name);
        auto file = Ini(row.bytes);
        ASSERT_TRUE(file);
        EXPECT_EQ(file->SetSection(row.name), row.result);
        EXPECT_EQ(WindowOf(*file), row.window);
        EXPECT_STREQ(file->GetSectionName(), row.name);
    }
}

TEST_F(IniTextFileTest, SetSectionRefusesBadNamesAndKeepsTheChoice) {
    auto file = Ini(kBootDrivers);
    ASSERT_TRUE(file);
    ASSERT_EQ(file->SetSection("drivers"), 2);
    std::string tooLong(IniTextFile::kMaxSectionName + 1, 'n');
    for (const char* name : {static_cast<const char*>(nullptr), "", tooLong.c_str()}) {
        EXPECT_EQ(file->SetSection(name), -1);
        EXPECT_EQ(WindowOf(*file), (Window{2, 3, 3, 1}));
        EXPECT_STREQ(file->GetSectionName(), "drivers");
    }
    // The longest name is still a header that can be created.
    std::string longest(IniTextFile::kMaxSectionName, 'n');
    EXPECT_EQ(file->SetSection(longest.c_str()), -1);
    EXPECT_EQ(file->AddLineTail("k=v\r\n"), 1);
    EXPECT_EQ(Texts(*file)[4], "[" + longest + "]\r\n");
    EXPECT_EQ(file->SetSection(longest.c_str()), 4);
}

TEST_F(IniTextFileTest, AddsFollowTheWindow) {
    struct Row {
        const char* section;
        bool top;
        Lines lines;
        Window window;
    } rows[] = {
        {"drivers",
         false,
         {"[boot]\r\n", "a=1\r\n", "[drivers]\r\n", "b=2\r\n", "c=3\r\n"},
         {2, 3, 4, 1}},
        {"boot",
         false,
         {"[boot]\r\n", "a=1\r\n", "c=3\r\n", "[drivers]\r\n", "b=2\r\n"},
         {0, 1, 2, 1}},
        {"drivers",
         true,
         {"[boot]\r\n", "a=1\r\n", "[drivers]\r\n", "c=3\r\n", "b=2\r\n"},
         {2, 3, 4, 1}},
        {"fonts",
         false,
         {"[boot]\r\n", "a=1\r\n", "[drivers]\r\n", "b=2\r\n", "[fonts]\r\n", "c=3\r\n"},
         {4, 5, 5, 1}},
        {"fonts",
         true,
         {"[boot]\r\n", "a=1\r\n", "[drivers]\r\n", "b=2\r\n", "[fonts]\r\n", "c=3\r\n"},
         {4, 5, 5, 1}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.section) + (row.top ? " top" : " tail"));
        auto file = Ini(kBootDrivers);
        ASSERT_TRUE(file);
        file->SetSection(row.section);
        EXPECT_EQ(row.top ? file->AddLineTop("c=3\r\n") : file->AddLineTail("c=3\r\n"), 1);
        EXPECT_EQ(Texts(*file), row.lines);
        EXPECT_EQ(WindowOf(*file), row.window);
    }

    // The created header is an added section line, the new line an added key.
    auto file = Ini(kBootDrivers);
    EXPECT_EQ(file->SetSection("fonts"), -1);
    EXPECT_EQ(file->AddLineTail("x=1\r\n"), 1);
    EXPECT_EQ(file->GetLineFlags(4), 0x101u);
    EXPECT_EQ(file->GetLineFlags(5), 0x81u);
    EXPECT_EQ(file->SetSection("fonts"), 4);
}

TEST_F(IniTextFileTest, EmptyBodyTakesTheFirstLineUnderItsHeader) {
    auto file = Ini("[a]\r\n[b]\r\nx=1\r\n");
    ASSERT_TRUE(file);
    ASSERT_EQ(file->SetSection("a"), 0);
    EXPECT_EQ(file->LineExists(0, "x=1", 1), -1);
    EXPECT_EQ(file->RemLine(1), 0);
    EXPECT_EQ(file->AddLineTop("y=2\r\n"), 1);
    EXPECT_EQ(Texts(*file), (Lines{"[a]\r\n", "y=2\r\n", "[b]\r\n", "x=1\r\n"}));
    EXPECT_EQ(WindowOf(*file), (Window{0, 1, 1, 1}));
    EXPECT_EQ(file->LineExists(0, "y=*", 0), 1);
}

TEST_F(IniTextFileTest, InsertLinePlacesInsideTheBody) {
    const char bytes[] = "[s]\r\na=1\r\nb=2\r\nc=3\r\n[t]\r\n";
    struct Row {
        int index;
        int placedAt;
    } rows[] = {{-5, 2}, {0, 2}, {1, 2}, {2, 3}, {3, 4}, {4, 4}, {99, 4}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.index);
        auto file = Ini(bytes);
        ASSERT_TRUE(file);
        ASSERT_EQ(file->SetSection("s"), 0);
        EXPECT_EQ(file->InsertLine("new=1\r\n", row.index), 1);
        EXPECT_EQ(Texts(*file)[row.placedAt], "new=1\r\n");
        EXPECT_EQ(WindowOf(*file), (Window{0, 1, 4, 1}));
        EXPECT_EQ(file->InsertLine("", row.index), 0);
        EXPECT_EQ(file->InsertLine(nullptr, row.index), 0);
    }
}

TEST_F(IniTextFileTest, RemoveAndDeleteOnlyInsideTheWindow) {
    auto file = Ini("[s]\r\na=1\r\nb=2\r\nc=3\r\n[t]\r\nd=4\r\n");
    ASSERT_TRUE(file);
    ASSERT_EQ(file->SetSection("s"), 0);
    for (int outside : {-1, 0, 4, 5, 99}) {
        SCOPED_TRACE(outside);
        EXPECT_EQ(file->RemLine(outside), 0);
        EXPECT_EQ(file->DeleteLine(outside), 0);
    }
    EXPECT_EQ(file->RemLine(1), 1);
    EXPECT_EQ(Texts(*file)[1], "; a=1\r\n");
    EXPECT_EQ(file->GetLineFlags(1), LINE_ASSIGNMENT | LINE_REMARKED);

    // Each deletion ends the window one line earlier.
    EXPECT_EQ(file->DeleteLine(2), 1);
    EXPECT_EQ(file->GetLineFlags(2), LINE_ASSIGNMENT | LINE_DELETED);
    EXPECT_EQ(WindowOf(*file), (Window{0, 1, 2, 1}));
    EXPECT_EQ(file->DeleteLine(3), 0);
    EXPECT_EQ(file->LineExists(0, "c=3", 0), -1);
    EXPECT_EQ(file->DeleteLine(2), 1);
    EXPECT_EQ(WindowOf(*file), (Window{0, 1, 1, 1}));
    EXPECT_EQ(file->DeleteLine(1), 1);
    EXPECT_EQ(WindowOf(*file), (Window{0, -1, -1, 1}));
    EXPECT_EQ(file->DeleteLine(1), 0);
    EXPECT_EQ(file->GetLineCount(), 6);
}

TEST_F(IniTextFileTest, LineExistsStaysInTheWindow) {
    auto file = Ini("x=0\r\n[s]\r\na=1\r\n; b=2\r\nb=3\r\n[t]\r\nc=4\r\nb=5\r\n");
    ASSERT_TRUE(file);
    ASSERT_EQ(file->SetSection("S"), 1);
    struct Row {
        int start;
        const char* pattern;
        int includeComments;
        int expected;
    } rows[] = {
        {0, "a=1", 0, 2},  {-3, "a=*", 0, 2}, {3, "a=1", 0, -1}, {0, "b=*", 0, 4},
        {0, ";*b", 1, 3},  {0, "x=0", 0, -1}, {0, "c=4", 0, -1}, {5, "b=5", 0, -1},
        {0, "[t]", 0, -1}, {4, "*3", 0, 4},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.start) + " " + row.pattern);
        EXPECT_EQ(file->LineExists(row.start, row.pattern, row.includeComments), row.expected);
    }
}

TEST_F(IniTextFileTest, NothingHappensWithoutASection) {
    auto file = Ini(kBootDrivers);
    ASSERT_TRUE(file);
    auto refusesAll = [&](const char* state) {
        SCOPED_TRACE(state);
        EXPECT_EQ(file->AddLineTop("k=v\r\n"), 0);
        EXPECT_EQ(file->AddLineTail("k=v\r\n"), 0);
        EXPECT_EQ(file->InsertLine("k=v\r\n", 1), 0);
        EXPECT_EQ(file->BeforeWin("k=v\r\n"), 0);
        EXPECT_EQ(file->RemLine(1), 0);
        EXPECT_EQ(file->DeleteLine(1), 0);
        EXPECT_EQ(file->LineExists(0, "a=1", 1), -1);
        EXPECT_EQ(Texts(*file), (Lines{"[boot]\r\n", "a=1\r\n", "[drivers]\r\n", "b=2\r\n"}));
        EXPECT_EQ(WindowOf(*file), (Window{-1, -1, -1, 0}));
    };
    refusesAll("never chosen");
    ASSERT_EQ(file->SetSection("boot"), 0);
    EXPECT_EQ(file->ClearSection(), 1);
    EXPECT_STREQ(file->GetSectionName(), "");
    refusesAll("cleared");

    // Chosen but absent: finding, remarking and deleting are refused.
    EXPECT_EQ(file->SetSection("fonts"), -1);
    EXPECT_EQ(file->LineExists(0, "a=1", 1), -1);
    EXPECT_EQ(file->RemLine(1), 0);
    EXPECT_EQ(file->DeleteLine(1), 0);
    EXPECT_EQ(file->AddLineTail(""), 0);
    EXPECT_EQ(file->GetLineCount(), 4);
}

} // namespace
