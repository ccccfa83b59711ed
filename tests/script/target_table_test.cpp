// script/target_table_test.cpp: the target table of an installer record,
// through the DLL's exports.
#include "qvrdll32.h"
#include "support/exports.h"
#include "support/message_boxes.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using namespace qvrtest;

// An installer record: opaque 0xCC bytes but for the unaligned table pointer.
struct Record {
    unsigned char bytes[1024];
    Record() { std::memset(bytes, 0xCC, sizeof bytes), setTable(nullptr); }
    void* get() { return bytes; }
    TargetTable* table() const {
        TargetTable* t;
        std::memcpy(&t, bytes + QVR_TARGET_TABLE_OFFSET, sizeof t);
        return t;
    }
    void setTable(TargetTable* t) { std::memcpy(bytes + QVR_TARGET_TABLE_OFFSET, &t, sizeof t); }
    bool othersUntouched() const {
        Record clean;
        clean.setTable(table());
        return std::memcmp(bytes, clean.bytes, sizeof bytes) == 0;
    }
};

class TargetTest : public QvrTest {
  protected:
    decltype(&SetTarget) set = Exports().SetTarget;
    decltype(&GetTarget) get = Exports().GetTarget;
    decltype(&SetRelativeTarget) setRel = Exports().SetRelativeTarget;
    decltype(&GetRelativeTarget) getRel = Exports().GetRelativeTarget;
    decltype(&GetTargetIndex) index = Exports().GetTargetIndex;
    decltype(&InitTargetBuffers) init = Exports().InitTargetBuffers;
    decltype(&DeleteTargetBuffers) remove = Exports().DeleteTargetBuffers;
    decltype(&GetTargetBufPtr) buf = Exports().GetTargetBufPtr;
    decltype(&DeepCloneTargets) clone = Exports().DeepCloneTargets;
    Record record;
    void* r = record.get();

    void SetUp() override {
        ASSERT_TRUE(set && get && setRel && getRel && index && init && remove && buf && clone);
        ASSERT_EQ(init(r, 0), 1); // 0: the default of 20 slots
    }
    void TearDown() override {
        remove(r);
        QvrTest::TearDown();
    }
    std::string Path(int i) {
        char path[1200];
        char* result = get(r, i, path);
        EXPECT_EQ(result, path);
        return result ? result : "(null)";
    }
    static size_t Size(const char* buffer) { return HeapSize(GetProcessHeap(), 0, buffer); }
};

TEST_F(TargetTest, TableLifetime) {
    ASSERT_NE(record.table(), nullptr);
    EXPECT_EQ(record.table()->slotCount, 20);
    EXPECT_EQ(set(r, 20, "C:\\X", 0), 0);
    EXPECT_EQ(set(r, 19, "C:\\X", 0), 1);
    char* kept = buf(r, 19, 0);
    EXPECT_EQ(init(r, 3), 1); // a new, empty table replaces the old one
    EXPECT_EQ(record.table()->slotCount, 3);
    EXPECT_EQ(Path(19), "");
    remove(r);
    EXPECT_EQ(record.table(), nullptr);
    EXPECT_STREQ(kept, "C:\\X"); // texts handed out stay valid
    EXPECT_TRUE(record.othersUntouched());
    EXPECT_EQ(set(r, 0, "C:\\X", 0), 0); // a record without a table
}

TEST_F(TargetTest, TargetIndexFromName) {
    const std::pair<const char*, int> rows[] = {
        {"TARGET", 0}, {"TARGET12abc", 12}, {"TARGET\t\n9", 9}, {"target1", -1}};
    for (const auto& [name, number] : rows)
        EXPECT_EQ(index(name), number) << name;
    EXPECT_EQ(index("TARGET2147483647"), 2147483647);
    std::string longest = "TARGET1" + std::string(260, ' '); // 267 characters
    EXPECT_EQ(index(longest.c_str()), 1);
    EXPECT_EQ(index((longest + " ").c_str()), -1);
}

TEST_F(TargetTest, TextsRelationsAndBuffers) {
    set(r, 0, "C:\\APP", 0);
    set(r, 1, "C:\\", 0);
    const struct {
        int slot;
        const char* text;
        DWORD relation;
        const char* path;
    } rows[] = {{3, "BIN", 0x00010000, "C:\\APP\\BIN"}, {4, "BIN", 0x00010001, "C:\\BIN"},
                {5, "", 0x00010000, "C:\\APP\\"},       {7, "BIN", 0x0001000F, "BIN"},
                {8, "BIN", 0x00010063, "BIN"},          {9, "BIN", 0x00050000, "BIN"},
                {10, "BIN", 0x00010003, "BIN\\BIN"}};
    for (const auto& row : rows) {
        ASSERT_EQ(set(r, row.slot, row.text, 0), 1);
        ASSERT_NE(setRel(r, row.slot, row.relation), 0);
    }
    for (const auto& row : rows)
        EXPECT_EQ(Path(row.slot), row.path) << row.slot;
    EXPECT_EQ(getRel(r, 11), 0xFFFFFFFFu);
    EXPECT_EQ(setRel(r, 11, 0x00010000), 0);

    // nameOnly keeps the last component on a relative target; a whole value
    // makes it absolute, base index kept in the low word.
    EXPECT_EQ(set(r, 3, "D:\\X\\LIB", 1), 1);
    EXPECT_EQ(Path(3), "C:\\APP\\LIB");
    EXPECT_EQ(set(r, 3, "D:\\X\\LIB", 0), 1);
    EXPECT_EQ(getRel(r, 3), 0u);
    EXPECT_EQ(set(r, 3, "D:\\Y", 1), 1);
    EXPECT_EQ(Path(3), "D:\\Y");
    EXPECT_EQ(set(r, 12, "D:\\Z", 1), 1); // empty slot: whole value
    EXPECT_EQ(Path(12), "D:\\Z");
    // 264 characters fit; 265 are refused whole, relation kept.
    EXPECT_EQ(set(r, 4, std::string(264, 'a').c_str(), 0), 1);
    ASSERT_NE(setRel(r, 4, 0x00010000), 0);
    EXPECT_EQ(set(r, 4, std::string(265, 'b').c_str(), 0), 0);
    EXPECT_EQ(buf(r, 4, 0), std::string(264, 'a'));
    EXPECT_EQ(getRel(r, 4), 0x00010000u);
    EXPECT_TRUE(TakeMessageBoxes().empty());

    ASSERT_NE(setRel(r, 9, 0x00020000), 0); // relative to a variable
    EXPECT_EQ(Path(9), "BIN");
    auto boxes = TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "GetTarget() Error");
    EXPECT_EQ(boxes[0].text, "No support for a target relative to a non-target variable!");

    // Buffers for direct writing.
    char* buffer = buf(r, 14, 600);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(Size(buffer), 601u);
    std::strcpy(buffer, "C:\\WRITTEN");
    EXPECT_EQ(buf(r, 14, 10), buffer);
    EXPECT_EQ(Path(14), "C:\\WRITTEN");
    // A shorter minimum gets exactly minLength + 1 bytes, text kept; stores
    // that do not fit that buffer are refused whole.
    set(r, 15, "AB", 0);
    EXPECT_EQ(Size(buf(r, 15, 0)), 265u);
    char* small = buf(r, 15, 5);
    EXPECT_EQ(Size(small), 6u);
    EXPECT_STREQ(small, "AB");
    EXPECT_EQ(set(r, 15, "ABCDEF", 0), 0);
    EXPECT_EQ(set(r, 15, "ABCDE", 0), 1);
    EXPECT_STREQ(small, "ABCDE");
    EXPECT_EQ(buf(r, 20, 10), nullptr);
    EXPECT_EQ(buf(r, 16, -7), buf(r, 16, 0));
}

TEST_F(TargetTest, DeepCloneCopiesTextAndRelation) {
    Record source;
    ASSERT_EQ(init(source.get(), 5), 1);
    ASSERT_EQ(init(r, 3), 1);
    set(source.get(), 0, "C:\\APP", 0);
    set(source.get(), 1, "BIN", 0);
    setRel(source.get(), 1, 0x00010000);
    std::strcpy(buf(source.get(), 2, 600), std::string(600, 'y').c_str()); // too long
    set(r, 0, "C:\\OLD", 0);
    setRel(r, 0, 0x00050000);
    set(r, 2, "KEPT", 0);
    char* own = buf(r, 0, 0);
    clone(record.table(), source.table());
    EXPECT_EQ(buf(r, 0, 0), own); // copied into the existing buffer
    EXPECT_STREQ(own, "C:\\APP");
    EXPECT_EQ(getRel(r, 0), 0u);
    EXPECT_NE(buf(r, 1, 0), buf(source.get(), 1, 0));
    EXPECT_EQ(Path(1), "C:\\APP\\BIN");
    EXPECT_STREQ(buf(r, 2, 0), "KEPT");
    remove(source.get());
}

} // namespace
