#include "util/counted_string.h"
#include "util/fault_injection.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {

class CountedStringTest : public qvrtest::QvrTest {};

TEST_F(CountedStringTest, NullStringIsSafe) {
    CountedString s(0);
    s.SetAt(0, 'x');
    s[5] = 'q';
    s.AnsiToOem();
    EXPECT_EQ(s.GetString(), nullptr);
    CountedString text;
    text = "xyz";
    text = s; // a string without buffer leaves the text as it was
    EXPECT_STREQ(text.GetString(), "xyz");
    EXPECT_EQ(CountedString(s).GetString(), nullptr);
}

TEST_F(CountedStringTest, CapacityGrowsOnlyWhenNeeded) {
    // Capacity before, text length, capacity after.
    const int rows[][3] = {{265, 3, 265}, {265, 300, 301}, {3, 3, 4}, {4, 3, 4}, {0, 5, 6}};
    for (const auto& row : rows) {
        CountedString s(row[0]);
        std::string text(static_cast<size_t>(row[1]), 'a');
        s = text.c_str();
        EXPECT_EQ(s.GetCapacity(), row[2]) << row[0] << " " << row[1];
        EXPECT_EQ(std::string(s.GetString()), text);
    }
    CountedString s;
    s = std::string(300, 'b').c_str();
    s = static_cast<const char*>(nullptr); // empties all of it, capacity kept
    EXPECT_EQ(s.GetCapacity(), 301);
    EXPECT_EQ(std::string(s.GetString(), 301), std::string(301, '\0'));
    CountedString one(1); // a character needs room for its terminator
    one = 'x';
    EXPECT_EQ(one.GetCapacity(), 2);
    EXPECT_STREQ(one.GetString(), "x");
    CountedString small(10), big(512);
    small = "xyz";
    big = small; // larger capacity kept
    EXPECT_EQ(big.GetCapacity(), 512);
    small = big; // grows to the source's capacity
    EXPECT_EQ(small.GetCapacity(), 512);
    small = small.GetString() + 1; // from its own text
    EXPECT_STREQ(small.GetString(), "yz");
}

TEST_F(CountedStringTest, IndexingStaysInsideTheBuffer) {
    CountedString s;
    s = "abc";
    s.SetAt(-1, 'x'); // outside the buffer: nothing happens
    s.SetAt(265, 'x');
    EXPECT_STREQ(s.GetString(), "abc");
    for (char* last : {&s[1000], &s[-3], &s[static_cast<WORD>(400)], s + 265})
        EXPECT_EQ(last, s.GetBuffer() + 264);
    // A 16-bit index is compared with the low word of the capacity.
    CountedString wide(0x1000A);
    EXPECT_EQ(&wide[static_cast<WORD>(9)], wide.GetBuffer() + 9);
    EXPECT_EQ(&wide[static_cast<WORD>(10)], wide.GetBuffer() + 0x10009);
}

TEST_F(CountedStringTest, CaseAndCharacterSet) {
    // E-acute, e-acute: \311, \351 in the Western ANSI code page; e-acute \202 in OEM.
    ASSERT_EQ(GetACP(), 1252u);
    using C = CountedString;
    const std::tuple<const char*, void (C::*)(), const char*> rows[] = {
        {"\311Bc", &C::MakeLowerAscii, "\311bc"}, {"\311Bc", &C::MakeLower, "\351bc"},
        {"\351Bc", &C::MakeUpperAscii, "\351BC"}, {"\351Bc", &C::MakeUpper, "\311BC"},
        {"caf\351", &C::AnsiToOem, "caf\202"},    {"caf\202", &C::OemToAnsi, "caf\351"},
    };
    for (const auto& [text, convert, expected] : rows) {
        CountedString s;
        s = text;
        (s.*convert)();
        EXPECT_STREQ(s.GetString(), expected) << text;
    }
}

TEST_F(CountedStringTest, ReplacedBuffersAreReleased) {
    size_t before = 0;
    for (int i = 0; i < 205; ++i) {
        before = i == 5 ? qvrtest::CountHeapBlocks() : before;
        CountedString s(4), big(600);
        s = "longer than four";
        s = big;
        CountedString copy(s);
        copy.SetCapacity(30);
        copy.Release();
        copy = 'c';
    }
    EXPECT_LE(qvrtest::CountHeapBlocks(), before + 5);
}

class CountedStringDeathTest : public CountedStringTest {};

TEST_F(CountedStringDeathTest, OutOfMemoryEndsTheProcessWithCode3) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT((qvr::FailAfter(qvr::Fault::MovableBlock, 0), CountedString(9)),
                testing::ExitedWithCode(3), "");
}

} // namespace
