// textfile/line_list_test.cpp: the pointer list, the line record and the
// fatal end of a failed array allocation.
#include "support/message_boxes.h"
#include "textfile/line_list.h"
#include "textfile/text_line.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <climits>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using qvrtest::QvrTest;

void* Entry(int n) {
    return reinterpret_cast<void*>(static_cast<intptr_t>(n));
}

std::vector<int> Contents(const LineList& list) {
    std::vector<int> out;
    for (int i = 0; i < list.GetCount(); ++i)
        out.push_back(static_cast<int>(reinterpret_cast<intptr_t>(list.GetAt(i))));
    return out;
}

void Fill(LineList& list, int n) {
    for (int i = 1; i <= n; ++i)
        list.Add(Entry(i));
}

// The array is exactly as long as the list, never longer.
void ExpectExactArray(const LineList& list) {
    if (list.GetCount() == 0) {
        EXPECT_EQ(list.GetItems(), nullptr);
        return;
    }
    ASSERT_NE(list.GetItems(), nullptr);
    EXPECT_EQ(_msize(const_cast<void**>(list.GetItems())),
              sizeof(void*) * static_cast<size_t>(list.GetCount()));
}

class LineListTest : public QvrTest {};

TEST_F(LineListTest, ChangesKeepOrderAndExactSize) {
    enum Op { kSetAtGrow, kAdd, kInsertAt, kInsertAfter, kRemoveAt };
    struct Row {
        const char* name;
        int initial; // entries 1..initial
        Op op;
        int index;
        int expectedResult; // -2: no result
        std::vector<int> expected;
    } rows[] = {
        {"add to empty", 0, kAdd, 0, 0, {99}},
        {"add to three", 3, kAdd, 0, 3, {1, 2, 3, 99}},
        {"insert at 0 of empty", 0, kInsertAt, 0, 1, {99}},
        {"insert at 0", 3, kInsertAt, 0, 1, {99, 1, 2, 3}},
        {"insert in the middle", 3, kInsertAt, 1, 1, {1, 99, 2, 3}},
        {"insert at count", 3, kInsertAt, 3, 1, {1, 2, 3, 99}},
        {"insert past the end", 2, kInsertAt, 4, 1, {1, 2, 0, 0, 99}},
        {"insert at negative", 3, kInsertAt, -1, 0, {1, 2, 3}},
        {"insert after 0 of empty", 0, kInsertAfter, 0, 1, {0, 99}},
        {"insert after 0", 3, kInsertAfter, 0, 1, {1, 99, 2, 3}},
        {"insert after last", 3, kInsertAfter, 2, 1, {1, 2, 3, 99}},
        {"insert after past the end", 3, kInsertAfter, 3, 1, {1, 2, 3, 0, 99}},
        {"insert after negative", 3, kInsertAfter, -1, 0, {1, 2, 3}},
        {"set in place", 3, kSetAtGrow, 1, 1, {1, 99, 3}},
        {"set grows", 1, kSetAtGrow, 3, 1, {1, 0, 0, 99}},
        {"set negative", 3, kSetAtGrow, -1, 0, {1, 2, 3}},
        {"remove first", 3, kRemoveAt, 0, -2, {2, 3}},
        {"remove middle", 3, kRemoveAt, 1, -2, {1, 3}},
        {"remove last", 3, kRemoveAt, 2, -2, {1, 2}},
        {"remove only", 1, kRemoveAt, 0, -2, {}},
        {"remove from empty", 0, kRemoveAt, 0, -2, {}},
        {"remove at count", 3, kRemoveAt, 3, -2, {1, 2, 3}},
        {"remove negative", 3, kRemoveAt, -1, -2, {1, 2, 3}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LineList list;
        Fill(list, row.initial);
        int result = -2;
        switch (row.op) {
        case kSetAtGrow:
            result = list.SetAtGrow(row.index, Entry(99));
            break;
        case kAdd:
            result = list.Add(Entry(99));
            break;
        case kInsertAt:
            result = list.InsertAt(row.index, Entry(99));
            break;
        case kInsertAfter:
            result = list.InsertAfter(row.index, Entry(99));
            break;
        case kRemoveAt:
            list.RemoveAt(row.index);
            break;
        }
        EXPECT_EQ(result, row.expectedResult);
        EXPECT_EQ(Contents(list), row.expected);
        ExpectExactArray(list);
    }
}

TEST_F(LineListTest, GetAtOutsideIsNullAndEmptiedListFillsAgain) {
    LineList list;
    EXPECT_EQ(list.GetAt(0), nullptr);
    list.Add(Entry(7));
    EXPECT_EQ(list.GetAt(-1), nullptr);
    EXPECT_EQ(list.GetAt(1), nullptr);
    EXPECT_EQ(list.GetAt(INT_MAX), nullptr);
    list.RemoveAt(0);
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetItems(), nullptr);
    EXPECT_EQ(list.Add(Entry(8)), 0);
    EXPECT_EQ(Contents(list), std::vector<int>{8});
}

TEST_F(LineListTest, RemovingEntriesFreesNothingTheyPointTo) {
    TextLine* line = TextLine::Create();
    ASSERT_NE(line, nullptr);
    line->SetText("kept");
    {
        LineList list;
        list.Add(line);
        list.RemoveAt(0);
        list.Add(line);
    } // destroyed with the entry in it
    EXPECT_STREQ(line->GetText(), "kept");
    TextLine::Destroy(line);
}

class TextLineTest : public QvrTest {};

TEST_F(TextLineTest, SetTextClearsTheOldTextAndGrows) {
    TextLine line;
    EXPECT_EQ(line.GetCapacity(), 512);
    EXPECT_STREQ(line.GetText(), "");
    EXPECT_EQ(line.SetText("abcdefgh"), 1);
    EXPECT_EQ(line.SetText("ab"), 1);
    const char* stored = line.GetFullText();
    for (int i = 2; i < line.GetCapacity(); ++i)
        ASSERT_EQ(stored[i], '\0') << i;

    // Null keeps the text.
    EXPECT_EQ(line.SetText(nullptr), 0);
    EXPECT_STREQ(line.GetText(), "ab");

    // 600 characters are stored whole; GetText gives the first 511.
    std::string longText(600, 'x');
    longText[510] = 'y';
    longText[511] = 'z';
    EXPECT_EQ(line.SetText(longText.c_str()), 1);
    EXPECT_EQ(line.GetCapacity(), 601);
    EXPECT_EQ(std::string(line.GetFullText()), longText);
    EXPECT_EQ(std::string(line.GetText()), longText.substr(0, 511));
}

TEST_F(TextLineTest, GetTextSharesOneBufferAndFlagsAreKept) {
    TextLine a;
    TextLine b;
    a.SetText("first");
    b.SetText("second");
    const char* fromA = a.GetText();
    const char* fromB = b.GetText();
    EXPECT_EQ(fromA, fromB);
    EXPECT_STREQ(fromA, "second");
    EXPECT_EQ(a.SetFlags(0x8D1), 1);
    EXPECT_EQ(a.GetFlags(), 0x8D1u);
}

TEST_F(TextLineTest, CreateGivesNullWhenTheHeapFails) {
    qvr::SetHeapAllocFailAfter(0);
    EXPECT_EQ(TextLine::Create(), nullptr);
    TextLine* line = TextLine::Create(); // the hook fails one allocation only
    ASSERT_NE(line, nullptr);
    TextLine::Destroy(line);
}

// In the child: what the message box watcher saw, printed when abort()
// raises SIGABRT; the C runtime then ends the process with code 3.
void PrintBoxesOnAbort(int) {
    for (const qvrtest::CapturedBox& box : qvrtest::TakeMessageBoxes()) {
        std::string text;
        for (char c : box.text)
            text += c == '\n' ? std::string("\\n") : std::string(1, c);
        std::fprintf(stderr, "BOX %s: %s\n", box.caption.c_str(), text.c_str());
    }
    std::fflush(stderr);
}

class LineListDeathTest : public LineListTest {};

TEST_F(LineListDeathTest, ArrayAllocationFailureShowsTheBoxAndAborts) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::signal(SIGABRT, PrintBoxesOnAbort);
            LineList list;
            list.Add(Entry(1));
            qvr::SetHeapAllocFailAfter(0);
            list.Add(Entry(2));
            std::fprintf(stderr, "NOT ENDED\n");
        },
        ::testing::ExitedWithCode(3),
        "BOX Halvorix Install: Memory allocation failure\\\\nApplication will be terminated\\.");
}

} // namespace
