// script/target_table_test.cpp: the target table of an installer record,
// through the DLL's exports, with records laid out as the installer's.
#include "qvrdll32.h"
#include "support/dll.h"
#include "support/message_boxes.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using namespace qvrtest;

using SetTargetFn = int(WINAPI*)(void*, int, LPCSTR, BOOL);
using GetTargetFn = char*(WINAPI*)(void*, int, char*);
using SetRelativeFn = int(WINAPI*)(void*, int, DWORD);
using GetRelativeFn = DWORD(WINAPI*)(void*, int);
using GetIndexFn = int(WINAPI*)(LPCSTR);
using InitFn = int(WINAPI*)(void*, DWORD);
using DeleteFn = void(WINAPI*)(void*);
using BufPtrFn = char*(WINAPI*)(void*, int, int);
using CloneFn = void(WINAPI*)(TargetTable*, TargetTable*);

// One of the installer's records: opaque bytes but for the table pointer at
// offset 810, which is not aligned and null until the record has a table.
struct Record {
    unsigned char bytes[1024];
    Record() {
        std::memset(bytes, 0xCC, sizeof bytes);
        setTable(nullptr);
    }
    void* get() { return bytes; }
    TargetTable* table() const {
        TargetTable* t;
        std::memcpy(&t, bytes + QVR_TARGET_TABLE_OFFSET, sizeof t);
        return t;
    }
    void setTable(TargetTable* t) { std::memcpy(bytes + QVR_TARGET_TABLE_OFFSET, &t, sizeof t); }
    // Every byte outside the pointer field is as the installer left it.
    bool othersUntouched() const {
        for (size_t i = 0; i < sizeof bytes; ++i) {
            bool field =
                i >= QVR_TARGET_TABLE_OFFSET && i < QVR_TARGET_TABLE_OFFSET + sizeof(void*);
            if (!field && bytes[i] != 0xCC)
                return false;
        }
        return true;
    }
};

class TargetTest : public QvrTest {
  protected:
    SetTargetFn setTarget = Export<SetTargetFn>("_SetTarget@16");
    GetTargetFn getTarget = Export<GetTargetFn>("_GetTarget@12");
    SetRelativeFn setRelative = Export<SetRelativeFn>("_SetRelativeTarget@12");
    GetRelativeFn getRelative = Export<GetRelativeFn>("_GetRelativeTarget@8");
    GetIndexFn getIndex = Export<GetIndexFn>("_GetTargetIndex@4");
    InitFn init = Export<InitFn>("_InitTargetBuffers@8");
    DeleteFn remove = Export<DeleteFn>("_DeleteTargetBuffers@4");
    BufPtrFn bufPtr = Export<BufPtrFn>("_GetTargetBufPtr@12");
    CloneFn clone = Export<CloneFn>("_DeepCloneTargets@8");
    Record record;

    void SetUp() override {
        ASSERT_TRUE(setTarget && getTarget && setRelative && getRelative && getIndex && init &&
                    remove && bufPtr && clone);
        ASSERT_EQ(init(record.get(), 0), 1);
    }
    void TearDown() override {
        remove(record.get());
        QvrTest::TearDown();
    }
    std::string Get(int index) {
        char path[1200];
        std::memset(path, 0xCC, sizeof path);
        char* result = getTarget(record.get(), index, path);
        EXPECT_EQ(result, path);
        return result ? result : "(null)";
    }
    // The target's own stored text.
    std::string Text(int index) {
        TargetTable* t = record.table();
        if (index >= t->slotCount || t->slots[index] == nullptr)
            return "(empty)";
        return t->slots[index]->text;
    }
    static size_t BufferSize(const char* buffer) { return HeapSize(GetProcessHeap(), 0, buffer); }
};

TEST_F(TargetTest, TableHangsOffTheRecord) {
    TargetTable* table = record.table();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->slotCount, 20);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(table->slots[i], nullptr) << i;
    EXPECT_TRUE(record.othersUntouched());
#if !defined(_WIN64)
    EXPECT_EQ(sizeof(TargetEntry), 8u);
    EXPECT_EQ(sizeof(TargetTable), 8u);
#endif

    EXPECT_EQ(setTarget(record.get(), 20, "C:\\X", 0), 0);
    EXPECT_EQ(Get(20), "");
    EXPECT_EQ(setTarget(record.get(), 19, "C:\\X", 0), 1);
    EXPECT_EQ(Get(19), "C:\\X");
    EXPECT_EQ(getRelative(record.get(), 19), 0u);

    // A new table replaces the old one, empty; texts handed out stay valid.
    char* kept = bufPtr(record.get(), 19, 0);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(init(record.get(), 3), 1);
    // (The heap may hand the old table's address out again: compare contents.)
    ASSERT_NE(record.table(), nullptr);
    EXPECT_EQ(record.table()->slotCount, 3);
    EXPECT_EQ(Get(19), "");
    EXPECT_EQ(Get(0), "");
    EXPECT_STREQ(kept, "C:\\X");
    EXPECT_TRUE(record.othersUntouched());

    remove(record.get());
    EXPECT_EQ(record.table(), nullptr);
    EXPECT_STREQ(kept, "C:\\X");
    remove(record.get()); // no table: nothing to do
    EXPECT_TRUE(record.othersUntouched());
}

TEST_F(TargetTest, NeutralAnswersWithoutRecordOrTable) {
    Record bare;
    bare.setTable(nullptr);
    for (void* r : {static_cast<void*>(nullptr), bare.get()}) {
        SCOPED_TRACE(r == nullptr ? "null record" : "no table");
        char path[16] = "untouched";
        EXPECT_EQ(setTarget(r, 0, "C:\\X", 0), 0);
        EXPECT_EQ(getTarget(r, 0, path), nullptr);
        EXPECT_STREQ(path, "untouched");
        EXPECT_EQ(setRelative(r, 0, 0x10000), 0);
        EXPECT_EQ(getRelative(r, 0), 0xFFFFFFFFu);
        EXPECT_EQ(bufPtr(r, 0, 10), nullptr);
        remove(r);
    }
    EXPECT_EQ(init(nullptr, 5), 0);
    EXPECT_EQ(bare.table(), nullptr);
}

TEST_F(TargetTest, TargetIndexFromName) {
    std::string longest = "TARGET1" + std::string(260, ' '); // 267 characters
    std::string tooLong = longest + " ";
    struct Row {
        const char* name;
        int index;
    } rows[] = {
        {"TARGET", 0},
        {"TARGET1", 1},
        {"TARGET12abc", 12},
        {"TARGET 7", 7},
        {"TARGET0", -1},
        {"TARGETX", -1},
        {"target1", -1},
        {"TARGET-3", -3},
        {"TARG", -1},
        {"", -1},
        {"TARGET+5", 5},
        {"TARGET\t\n9", 9},
        {" TARGET1", -1},
        {"TARGET -0", -1},
        {"TARGET2147483647", 2147483647},
        {longest.c_str(), 1},
        {tooLong.c_str(), -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(getIndex(row.name), row.index);
    }
    EXPECT_EQ(getIndex(nullptr), -1);
}

TEST_F(TargetTest, SetTargetOnRelativeAndAbsoluteTargets) {
    ASSERT_EQ(setTarget(record.get(), 1, "C:\\APP", 0), 1);
    ASSERT_EQ(setTarget(record.get(), 2, "X", 0), 1);
    ASSERT_NE(setRelative(record.get(), 2, 0x00010001), 0);

    struct Row {
        const char* value;
        BOOL nameOnly;
        const char* text; // stored
        DWORD relation;   // afterwards
        const char* path; // GetTarget
    } rows[] = {
        {"C:\\APP\\BIN", 1, "BIN", 0x00010001, "C:\\APP\\BIN"},
        {"D:LIB", 1, "LIB", 0x00010001, "C:\\APP\\LIB"},
        {"PLAIN", 1, "PLAIN", 0x00010001, "C:\\APP\\PLAIN"},
        {"", 1, "", 0x00010001, "C:\\APP\\"},
        // The whole value makes it absolute; the base index stays in the low bits.
        {"C:\\OTHER\\BIN", 0, "C:\\OTHER\\BIN", 0x00000001, "C:\\OTHER\\BIN"},
        // Absolute now: nameOnly no longer cuts.
        {"C:\\NEW\\BIN", 1, "C:\\NEW\\BIN", 0x00000001, "C:\\NEW\\BIN"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.value) + (row.nameOnly ? " nameOnly" : ""));
        EXPECT_EQ(setTarget(record.get(), 2, row.value, row.nameOnly), 1);
        EXPECT_EQ(Text(2), row.text);
        EXPECT_EQ(getRelative(record.get(), 2), row.relation);
        EXPECT_EQ(Get(2), row.path);
    }

    // An empty slot gets the whole value either way, as an absolute target.
    EXPECT_EQ(setTarget(record.get(), 5, "C:\\APP\\BIN", 1), 1);
    EXPECT_EQ(Text(5), "C:\\APP\\BIN");
    EXPECT_EQ(getRelative(record.get(), 5), 0u);

    EXPECT_EQ(setTarget(record.get(), -1, "C:\\X", 0), 0);
    EXPECT_EQ(setTarget(record.get(), 0, nullptr, 0), 0);
    EXPECT_EQ(Text(0), "(empty)");
}

TEST_F(TargetTest, GetTargetJoinsRelativeTargets) {
    setTarget(record.get(), 0, "C:\\APP", 0);
    setTarget(record.get(), 1, "C:\\", 0);
    setTarget(record.get(), 2, "SUB", 0);
    struct Row {
        int index;
        const char* text;
        DWORD relation;
        const char* path;
    } rows[] = {
        {3, "BIN", 0x00010000, "C:\\APP\\BIN"}, {4, "BIN", 0x00010001, "C:\\BIN"},
        {5, "", 0x00010000, "C:\\APP\\"},       {6, "", 0x00010001, "C:\\"},
        {7, "BIN", 0x0001000F, "BIN"},       // base slot empty
        {8, "BIN", 0x00010063, "BIN"},       // base beyond the table
        {9, "BIN", 0x00050000, "BIN"},       // unknown kind: absolute
        {10, "BIN", 0x00010003, "BIN\\BIN"}, // base relative: not expanded
    };
    for (const Row& row : rows) {
        ASSERT_EQ(setTarget(record.get(), row.index, row.text, 0), 1);
        ASSERT_NE(setRelative(record.get(), row.index, row.relation), 0);
    }
    // Slot 2 relative to slot 3 (itself relative): only 3's own text is used.
    ASSERT_NE(setRelative(record.get(), 2, 0x00010003), 0);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.index);
        EXPECT_EQ(Get(row.index), row.path);
        EXPECT_EQ(getRelative(record.get(), row.index), row.relation);
    }
    EXPECT_EQ(Get(2), "BIN\\SUB");
    EXPECT_EQ(Get(11), "");

    char path[8];
    std::memset(path, 0xCC, sizeof path);
    EXPECT_EQ(getTarget(record.get(), -1, path), nullptr);
    EXPECT_EQ(static_cast<unsigned char>(path[0]), 0xCC);
    EXPECT_EQ(getTarget(record.get(), 0, nullptr), nullptr);
    EXPECT_TRUE(TakeMessageBoxes().empty());
}

TEST_F(TargetTest, TargetRelativeToVariableShowsError) {
    setTarget(record.get(), 0, "C:\\APP", 0);
    setTarget(record.get(), 1, "OWN", 0);
    ASSERT_NE(setRelative(record.get(), 1, 0x00020000), 0);
    EXPECT_EQ(Get(1), "OWN");
    auto boxes = TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "GetTarget() Error");
    EXPECT_EQ(boxes[0].text, "No support for a target relative to a non-target variable!");
}

TEST_F(TargetTest, RelationOfEmptyOrMissingSlots) {
    EXPECT_EQ(getRelative(record.get(), 0), 0xFFFFFFFFu);
    EXPECT_EQ(getRelative(record.get(), -1), 0xFFFFFFFFu);
    EXPECT_EQ(getRelative(record.get(), 20), 0xFFFFFFFFu);
    EXPECT_EQ(setRelative(record.get(), -3, 0x00010000), -3);
    EXPECT_EQ(setRelative(record.get(), 0, 0x00010000), 0);
    EXPECT_EQ(setRelative(record.get(), 20, 0x00010000), 0);
    EXPECT_EQ(Text(0), "(empty)");
    setTarget(record.get(), 0, "C:\\", 0);
    EXPECT_EQ(getRelative(record.get(), 0), 0u);
    EXPECT_NE(setRelative(record.get(), 0, 0xFFFFFFFE), 0);
    EXPECT_EQ(getRelative(record.get(), 0), 0xFFFFFFFEu);
}

TEST_F(TargetTest, BufferForDirectWriting) {
    char* buffer = bufPtr(record.get(), 3, 600);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(BufferSize(buffer), 601u);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(getRelative(record.get(), 3), 0u);
    std::strcpy(buffer, "C:\\WRITTEN\\BY\\INSTALLER");
    EXPECT_EQ(bufPtr(record.get(), 3, 10), buffer);
    EXPECT_EQ(Get(3), "C:\\WRITTEN\\BY\\INSTALLER");

    // A longer text than the current one asks for a new buffer of exactly
    // minLength + 1 bytes, keeping the text.
    setTarget(record.get(), 4, "AB", 0);
    char* old = bufPtr(record.get(), 4, 0);
    EXPECT_EQ(BufferSize(old), 265u);
    char* small = bufPtr(record.get(), 4, 5);
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(BufferSize(small), 6u);
    EXPECT_STREQ(small, "AB");

    // Stores into that smaller buffer: what does not fit is refused whole.
    EXPECT_EQ(setTarget(record.get(), 4, "ABCDEF", 0), 0);
    EXPECT_STREQ(small, "AB");
    EXPECT_EQ(setTarget(record.get(), 4, "ABCDE", 0), 1);
    EXPECT_STREQ(small, "ABCDE");

    EXPECT_EQ(bufPtr(record.get(), -1, 10), nullptr);
    EXPECT_EQ(bufPtr(record.get(), 20, 10), nullptr);
    EXPECT_EQ(bufPtr(record.get(), 5, -7), bufPtr(record.get(), 5, 0));
    EXPECT_EQ(Text(5), "");
}

TEST_F(TargetTest, OverlongValuesAreRefusedWhole) {
    const std::string fits(264, 'a');
    const std::string tooLong(265, 'b');
    EXPECT_EQ(setTarget(record.get(), 0, fits.c_str(), 0), 1);
    EXPECT_EQ(setTarget(record.get(), 0, tooLong.c_str(), 0), 0);
    EXPECT_EQ(Text(0), fits);
    EXPECT_EQ(setTarget(record.get(), 1, tooLong.c_str(), 0), 0);
    EXPECT_EQ(Text(1), "(empty)");

    // A refused store on a relative target keeps its relation too.
    setTarget(record.get(), 2, "BIN", 0);
    setRelative(record.get(), 2, 0x00010000);
    EXPECT_EQ(setTarget(record.get(), 2, tooLong.c_str(), 0), 0);
    EXPECT_EQ(getRelative(record.get(), 2), 0x00010000u);
    EXPECT_EQ(Text(2), "BIN");
}

TEST_F(TargetTest, DeepCloneCopiesTextAndRelation) {
    Record source;
    ASSERT_EQ(init(source.get(), 5), 1);
    ASSERT_EQ(init(record.get(), 3), 1);
    setTarget(source.get(), 0, "C:\\APP", 0);
    setTarget(source.get(), 1, "BIN", 0);
    setRelative(source.get(), 1, 0x00010000);
    setTarget(source.get(), 4, "C:\\BEYOND", 0);
    setTarget(record.get(), 0, "C:\\OLD", 0);
    setRelative(record.get(), 0, 0x00050000);
    setTarget(record.get(), 2, "KEPT", 0);
    char* destinationBuffer = bufPtr(record.get(), 0, 0);

    clone(record.table(), source.table());
    EXPECT_EQ(Text(0), "C:\\APP");
    EXPECT_EQ(bufPtr(record.get(), 0, 0), destinationBuffer); // copied into it
    EXPECT_EQ(getRelative(record.get(), 0), 0u);
    EXPECT_EQ(Text(1), "BIN");
    EXPECT_NE(bufPtr(record.get(), 1, 0), bufPtr(source.get(), 1, 0));
    EXPECT_EQ(getRelative(record.get(), 1), 0x00010000u);
    EXPECT_EQ(Get(1), "C:\\APP\\BIN");
    EXPECT_EQ(Text(2), "KEPT"); // source slot empty
    EXPECT_EQ(record.table()->slotCount, 3);

    // A source text that does not fit the destination's buffer leaves that
    // slot as it was; one of more than 511 characters is not carried at all.
    std::strcpy(bufPtr(source.get(), 2, 300), std::string(300, 'x').c_str());
    setRelative(source.get(), 2, 0x00010000);
    std::strcpy(bufPtr(source.get(), 1, 600), std::string(600, 'y').c_str());
    char* bigger = bufPtr(record.get(), 0, 550);
    clone(record.table(), source.table());
    EXPECT_EQ(Text(2), "KEPT");
    EXPECT_EQ(getRelative(record.get(), 2), 0u);
    EXPECT_EQ(Text(1), "BIN");
    EXPECT_EQ(Text(0), "C:\\APP");
    EXPECT_EQ(bufPtr(record.get(), 0, 0), bigger);

    // Into a larger table: slots the source lacks stay as they were.
    Record wide;
    ASSERT_EQ(init(wide.get(), 8), 1);
    setTarget(wide.get(), 7, "LAST", 0);
    clone(wide.table(), record.table());
    EXPECT_STREQ(bufPtr(wide.get(), 0, 0), "C:\\APP");
    EXPECT_STREQ(bufPtr(wide.get(), 2, 0), "KEPT");
    EXPECT_STREQ(bufPtr(wide.get(), 7, 0), "LAST");

    clone(nullptr, source.table());
    clone(record.table(), nullptr);
    size_t before = CountHeapBlocks();
    for (int i = 0; i < 100; ++i)
        clone(wide.table(), record.table());
    EXPECT_LE(CountHeapBlocks(), before + 5);
    remove(source.get());
    remove(wide.get());
}

} // namespace
