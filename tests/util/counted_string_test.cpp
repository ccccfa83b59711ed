// util/counted_string_test.cpp
#include "util/counted_string.h"
#include "util/global_memory.h"
#include "support/message_boxes.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class CountedStringTest : public qvrtest::QvrTest {};

TEST_F(CountedStringTest, NullString) {
    CountedString s(0);
    EXPECT_EQ(s.GetCapacity(), 0);
    EXPECT_EQ(s.GetLength(), 0);
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(s.GetString(), nullptr);
    EXPECT_EQ(s.GetAt(0), '\0');
    s.Clear();
    s.MakeLower();
    s.MakeUpperAscii();
    s.AnsiToOem();
    s.SetAt(0, 'x');
    EXPECT_EQ(s.GetString(), nullptr);
    // Copies of the null string are null strings.
    CountedString copy(s);
    EXPECT_EQ(copy.GetCapacity(), 0);
    EXPECT_EQ(copy.GetString(), nullptr);
    // Indexing it never reaches outside memory.
    s[5] = 'q';
    EXPECT_EQ(s.GetString(), nullptr);
}

TEST_F(CountedStringTest, DefaultAndExplicitCapacityAreZeroFilled) {
    CountedString s;
    EXPECT_EQ(s.GetCapacity(), 265);
    EXPECT_EQ(GlobalSize(GlobalHandle(s.GetString())), 265u);
    for (int i = 0; i < 265; ++i)
        ASSERT_EQ(s.GetAt(i), '\0') << i;
    CountedString t(512);
    EXPECT_EQ(t.GetCapacity(), 512);
    EXPECT_TRUE(t.IsEmpty());
}

TEST_F(CountedStringTest, AssignTextGrowsOnlyWhenNeeded) {
    struct Row {
        int capacity;
        int textLength;
        int expectedCapacity;
    } rows[] = {{265, 3, 265}, {265, 300, 301}, {3, 3, 4}, {4, 3, 4}, {0, 5, 6}, {10, 0, 10}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.capacity * 1000 + row.textLength);
        CountedString s(row.capacity);
        std::string text(static_cast<size_t>(row.textLength), 'a');
        s = text.c_str();
        EXPECT_EQ(s.GetCapacity(), row.expectedCapacity);
        EXPECT_EQ(std::string(s.GetString()), text);
    }
    CountedString s;
    s = std::string(300, 'b').c_str();
    s = "abc";
    EXPECT_EQ(s.GetCapacity(), 301);
    EXPECT_STREQ(s.GetString(), "abc");
    // Null text empties the buffer, capacity kept.
    s = static_cast<const char*>(nullptr);
    EXPECT_EQ(s.GetCapacity(), 301);
    EXPECT_TRUE(s.IsEmpty());
    for (int i = 0; i < 301; ++i)
        ASSERT_EQ(s.GetAt(i), '\0');
}

TEST_F(CountedStringTest, AssignCharacter) {
    CountedString s;
    s = "hello";
    s = 'x';
    EXPECT_STREQ(s.GetString(), "x");
    EXPECT_EQ(s.GetAt(1), '\0');
    CountedString n(0);
    n = 'y';
    EXPECT_EQ(n.GetCapacity(), 265);
    EXPECT_STREQ(n.GetString(), "y");
    n = '\0';
    EXPECT_TRUE(n.IsEmpty());
}

// A one-byte buffer has no room for a character and its terminator: the
// character gets a buffer of two bytes, as a one-character text would.
TEST_F(CountedStringTest, AssignCharacterToOneByteBufferKeepsTheTerminator) {
    struct Row {
        char c;
        int capacity;
    } rows[] = {{'x', 2}, {'\0', 1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string("character ") + std::to_string(row.c));
        CountedString s(1);
        s = row.c;
        EXPECT_EQ(s.GetCapacity(), row.capacity);
        EXPECT_EQ(s.GetLength(), row.c == '\0' ? 0 : 1);
        EXPECT_EQ(s.GetAt(s.GetCapacity() - 1), '\0');
    }
}

TEST_F(CountedStringTest, CopyAndAssignKeepCapacityRules) {
    CountedString big(512);
    big = "ab";
    CountedString copy(big);
    EXPECT_EQ(copy.GetCapacity(), 512);
    EXPECT_STREQ(copy.GetString(), "ab");
    EXPECT_NE(copy.GetString(), big.GetString());

    CountedString small(10);
    small = "xyz";
    CountedString normal;
    normal = small; // capacity 10 into 265: keeps 265
    EXPECT_EQ(normal.GetCapacity(), 265);
    EXPECT_STREQ(normal.GetString(), "xyz");
    small = normal; // 265 into 10: grows to 265
    EXPECT_EQ(small.GetCapacity(), 265);
    EXPECT_STREQ(small.GetString(), "xyz");

    // From a string without buffer: the text stays as it was.
    CountedString null(0);
    normal = null;
    EXPECT_STREQ(normal.GetString(), "xyz");
    normal = normal;
    EXPECT_STREQ(normal.GetString(), "xyz");
}

TEST_F(CountedStringTest, IndexingStaysInsideTheBuffer) {
    CountedString s;
    s = "abc";
    s.SetAt(1, '\0');
    EXPECT_STREQ(s.GetString(), "a");
    s = "abc";
    s.SetAt(5, 'x');
    EXPECT_STREQ(s.GetString(), "abc");
    s.SetAt(-1, 'x');
    s.SetAt(265, 'x');
    EXPECT_EQ(s.GetAt(265), '\0');
    EXPECT_EQ(s.GetAt(-1), '\0');

    EXPECT_EQ(&s[1000], s.GetBuffer() + 264);
    EXPECT_EQ(&s[2], s.GetBuffer() + 2);
    EXPECT_EQ(&s[static_cast<WORD>(2)], s.GetBuffer() + 2);
    EXPECT_EQ(&s[static_cast<WORD>(400)], s.GetBuffer() + 264);
    EXPECT_EQ(&s[-3], s.GetBuffer() + 264);
    EXPECT_EQ(s + 3, s.GetBuffer() + 3);
    EXPECT_EQ(3 + s, s.GetBuffer() + 3);
    EXPECT_EQ(s + 265, s.GetBuffer() + 264);
}

TEST_F(CountedStringTest, ClearReleaseAndSetCapacity) {
    CountedString s;
    s = "text";
    char* before = s.GetBuffer();
    s.Clear();
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(s.GetBuffer(), before); // no new buffer
    s = "text";
    EXPECT_TRUE(s.SetCapacity(20));
    EXPECT_EQ(s.GetCapacity(), 20);
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_TRUE(s.SetCapacity(0));
    EXPECT_EQ(s.GetString(), nullptr);
    s = "again";
    s.Release();
    EXPECT_EQ(s.GetCapacity(), 0);
    EXPECT_EQ(s.GetString(), nullptr);
}

TEST_F(CountedStringTest, CaseAndCharacterSet) {
    // 0xC9 is E-acute in code page 1252.
    ASSERT_EQ(GetACP(), 1252u) << "test written for the Western ANSI code page";
    CountedString s;
    s = "\xC9" "BC";
    s.MakeLowerAscii();
    EXPECT_STREQ(s.GetString(), "\xC9" "bc");
    s = "\xC9" "BC";
    s.MakeLower();
    EXPECT_STREQ(s.GetString(), "\xE9" "bc");
    s.MakeUpper();
    EXPECT_STREQ(s.GetString(), "\xC9" "BC");
    s = "\xE9" "bc";
    s.MakeUpperAscii();
    EXPECT_STREQ(s.GetString(), "\xE9" "BC");

    s = "caf\xE9";
    s.AnsiToOem();
    EXPECT_EQ(static_cast<unsigned char>(s.GetAt(3)), 0x82u);
    s.OemToAnsi();
    EXPECT_STREQ(s.GetString(), "caf\xE9");
}

TEST_F(CountedStringTest, WordIndexComparesWithTheLowWordOfTheCapacity) {
    // Capacity 0x1000A: its low word is 10, so a 16-bit index of 10 or more
    // refers to the last byte although the buffer is larger.
    CountedString s(0x1000A);
    EXPECT_EQ(&s[static_cast<WORD>(9)], s.GetBuffer() + 9);
    EXPECT_EQ(&s[static_cast<WORD>(10)], s.GetBuffer() + 0x10009);
    EXPECT_EQ(&s[20], s.GetBuffer() + 20); // the int index sees the whole capacity
}

TEST_F(CountedStringTest, AssignFromItsOwnText) {
    CountedString s(8);
    s = "abcdef";
    s = s.GetString() + 2;
    EXPECT_STREQ(s.GetString(), "cdef");
    EXPECT_EQ(s.GetCapacity(), 8);
    s = s.GetString();
    EXPECT_STREQ(s.GetString(), "cdef");
}

TEST_F(CountedStringTest, ReplacedBuffersAreReleased) {
    auto churn = [] {
        CountedString s(4);
        s = "longer than four";
        CountedString big(600);
        s = big;
        CountedString copy(s);
        copy.SetCapacity(30);
        copy = 'c';
        copy.Release();
        copy = "x";
    };
    churn();
    size_t before = qvrtest::CountHeapBlocks();
    for (int i = 0; i < 200; ++i)
        churn();
    EXPECT_LE(qvrtest::CountHeapBlocks(), before + 5); // not one block per round
}

// Death tests start a child process: their suites end in DeathTest, which
// the 32-bit run (a minute or more per process start) leaves out.
class CountedStringDeathTest : public CountedStringTest {};

TEST_F(CountedStringDeathTest, OutOfMemoryEndsTheProcess) {
    // In a child process of this program (gtest death test, threadsafe style
    // re-runs the program): the abort exits with code 3.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            qvr::SetGlobalAllocFailAfter(0);
            CountedString s(100);
        },
        ::testing::ExitedWithCode(3), "");
}

} // namespace
