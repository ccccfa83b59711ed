// fileops/file_io_test.cpp: whole-file loads, ranged reads, writes and
// in-place updates, through the exports.
#include "fileops/file_io.h"
#include "support/exports.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace qvrtest;

std::string Digits(size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i)
        s += static_cast<char>('0' + i % 10);
    return s;
}

void Free(const void* p) {
    HGLOBAL block = GlobalHandle(p);
    GlobalUnlock(block);
    EXPECT_EQ(GlobalFree(block), nullptr);
}

class FileIoTest : public FileTest {
  protected:
    using LoadFileFn = void*(WINAPI*)(LPCSTR, HGLOBAL*, DWORD*);
    using LoadPartialFn = BYTE*(WINAPI*)(LPCSTR, BYTE*, DWORD, DWORD);
    using PutFileFn = int(WINAPI*)(LPCSTR, const void*, DWORD, UINT);
    using UpdateFileFn = int(WINAPI*)(LPCSTR, const void*, LONG, DWORD);
    LoadFileFn loadFile = Exports().QVRLoadFile;
    LoadPartialFn loadPartial = Exports().QVRLoadFilePartial;
    PutFileFn putFile = Exports().QVRPutFile;
    UpdateFileFn updateFile = Exports().QVRUpdateFile;

    void SetUp() override { ASSERT_TRUE(loadFile && loadPartial && putFile && updateFile); }
};

TEST_F(FileIoTest, LoadFileGivesExactBytesInCallerOwnedBlock) {
    const std::string content("a\0b\r\n\x1A z", 8);
    WriteBytes(dir / "f.bin", content);
    WriteBytes(dir / "empty", "");
    const std::pair<const char*, std::string> loads[] = {{"f.bin", content},
                                                         {"empty", std::string(1, '\0')}};
    for (const auto& [name, expected] : loads) {
        HGLOBAL block = nullptr;
        DWORD size = 0;
        char* p = static_cast<char*>(loadFile((dir / name).c_str(), &block, &size));
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(block, GlobalHandle(p));
        EXPECT_EQ(GlobalSize(block), expected.size()); // no terminator added
        EXPECT_EQ(std::string(p, size), expected);     // an empty file reads as one zero byte
        Free(p);
    }
    HGLOBAL block = reinterpret_cast<HGLOBAL>(0x1);
    DWORD size = 0;
    EXPECT_EQ(loadFile((dir / "missing").c_str(), &block, &size), nullptr);
    EXPECT_EQ(block, nullptr); // the output cleared
}

// The range must end before the file's last byte.
TEST_F(FileIoTest, PartialReadBoundaries) {
    const std::string content = Digits(100);
    WriteBytes(dir / "hundred", content);
    WriteBytes(dir / "empty", "");
    const struct {
        const char* file;
        DWORD offset, length;
        bool ok;
    } rows[] = {{"hundred", 10, 89, true},
                {"hundred", 10, 90, false},
                {"hundred", 100, 0, false},
                {"empty", 0, 0, false},
                {"missing", 0, 1, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.file) + " " + std::to_string(row.offset) + "+" +
                     std::to_string(row.length));
        char buffer[128];
        std::memset(buffer, 0xCC, sizeof buffer);
        BYTE* got = loadPartial((dir / row.file).c_str(), reinterpret_cast<BYTE*>(buffer),
                                row.offset, row.length);
        EXPECT_EQ(got, row.ok ? reinterpret_cast<BYTE*>(buffer) : nullptr);
        if (row.ok) {
            EXPECT_EQ(std::string(buffer, row.length), content.substr(row.offset, row.length));
        }
        EXPECT_EQ(static_cast<unsigned char>(buffer[row.ok ? row.length : 0]), 0xCC);
    }
    // Without a buffer: an exact block, read in several chunks.
    const std::string big = Digits(100000);
    WriteBytes(dir / "big", big);
    BYTE* got = loadPartial((dir / "big").c_str(), nullptr, 5, 70000);
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(GlobalSize(GlobalHandle(got)), 70000u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(got), 70000), big.substr(5, 70000));
    Free(got);
}

TEST_F(FileIoTest, PutFileStyles) {
    const std::string path = dir / "out.txt";
    const struct {
        const char* data;
        UINT style;
        const char* expected;
    } rows[] = {{"hello", OF_CREATE | OF_WRITE, "hello"},
                {" world", OF_READWRITE, "hello world"}, // OF_READWRITE alone appends
                {"J", OF_READWRITE | OF_SHARE_DENY_NONE, "Jello world"},
                {"new", 0x50000u | OF_CREATE | OF_WRITE, "new"}, // only the low 16 bits count
                {"", OF_CREATE, ""}};
    for (const auto& row : rows) {
        EXPECT_EQ(putFile(path.c_str(), row.data, std::strlen(row.data), row.style), 1);
        EXPECT_EQ(ReadBytes(path), row.expected);
    }
    EXPECT_EQ(putFile((dir / "nope.txt").c_str(), "x", 1, OF_WRITE), 0);
    EXPECT_FALSE(FileExists(dir / "nope.txt"));

    // Writes of at most 32767 bytes: one byte more takes a second write.
    const std::string big = Digits(32768);
    qvr::WriteLog log = {};
    qvr::SetWriteLog(&log);
    EXPECT_EQ(qvr::PutFile(path.c_str(), big.data(), 32768, OF_CREATE | OF_WRITE), 1);
    qvr::SetWriteLog(nullptr);
    EXPECT_EQ(std::vector<DWORD>(log.sizes, log.sizes + log.count), (std::vector<DWORD>{32767, 1}));
    EXPECT_EQ(ReadBytes(path), big);
}

TEST_F(FileIoTest, UpdateFileOverwritesInPlace) {
    const std::string path = dir / "u.txt";
    WriteBytes(path, "0123456789");
    EXPECT_EQ(updateFile(path.c_str(), "ab", 3, 2), 1);
    EXPECT_EQ(ReadBytes(path), "012ab56789");
    // Only where the file is: from past its end nothing is written (no gap
    // grows it); from inside it, the write may go on past the end.
    EXPECT_EQ(updateFile(path.c_str(), "Z", 11, 1), 0);
    EXPECT_EQ(updateFile(path.c_str(), "XYZ", 9, 3), 1);
    EXPECT_EQ(ReadBytes(path), "012ab5678XYZ");
    // Length 0 fails and leaves the file as it was (no truncation).
    EXPECT_EQ(updateFile(path.c_str(), "x", 2, 0), 0);
    EXPECT_EQ(ReadBytes(path).size(), 12u);
}

} // namespace
