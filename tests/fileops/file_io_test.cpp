// fileops/file_io_test.cpp: whole-file loads, ranged reads, writes and
// in-place updates, through the exports.
#include "fileops/file_io.h"
#include "support/dll.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace qvrtest;

using OpenFileFn = HFILE(WINAPI*)(LPCSTR, OFSTRUCT*, UINT);
using LoadFileFn = void*(WINAPI*)(LPCSTR, HGLOBAL*, DWORD*);
using LoadPartialFn = BYTE*(WINAPI*)(LPCSTR, BYTE*, DWORD, DWORD);
using PutFileFn = int(WINAPI*)(LPCSTR, const void*, DWORD, UINT);
using UpdateFileFn = int(WINAPI*)(LPCSTR, const void*, LONG, DWORD);

class FileIoTest : public FileTest {
  protected:
    OpenFileFn openFile = Export<OpenFileFn>("_QVROpenFile@12");
    LoadFileFn loadFile = Export<LoadFileFn>("_QVRLoadFile@12");
    LoadPartialFn loadPartial = Export<LoadPartialFn>("_QVRLoadFilePartial@16");
    PutFileFn putFile = Export<PutFileFn>("_QVRPutFile@16");
    UpdateFileFn updateFile = Export<UpdateFileFn>("_QVRUpdateFile@16");

    void SetUp() override {
        ASSERT_TRUE(openFile && loadFile && loadPartial && putFile && updateFile);
    }
    static void Free(const void* p) {
        HGLOBAL block = GlobalHandle(p);
        GlobalUnlock(block);
        EXPECT_EQ(GlobalFree(block), nullptr);
    }
    static std::string Digits(size_t n) {
        std::string s;
        for (size_t i = 0; i < n; ++i)
            s += static_cast<char>('0' + i % 10);
        return s;
    }
};

TEST_F(FileIoTest, OpenFileReportsFullNameAndFailure) {
    WriteBytes(dir / "x.txt", "x");
    OFSTRUCT info = {};
    HFILE file = openFile((dir / "x.txt").c_str(), &info, OF_EXIST);
    EXPECT_NE(file, HFILE_ERROR);
    EXPECT_EQ(lstrcmpiA(info.szPathName, (dir / "x.txt").c_str()), 0);

    info = {};
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(openFile((dir / "missing.txt").c_str(), &info, OF_READ), HFILE_ERROR);
    EXPECT_EQ(info.nErrCode, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(FileIoTest, LoadFileGivesExactBytesInCallerOwnedBlock) {
    std::string content("a\0b\r\n\x1A z", 8);
    WriteBytes(dir / "f.bin", content);
    HGLOBAL block = reinterpret_cast<HGLOBAL>(0x1);
    DWORD size = 0;
    char* p = static_cast<char*>(loadFile((dir / "f.bin").c_str(), &block, &size));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(size, content.size());
    EXPECT_EQ(block, GlobalHandle(p));
    EXPECT_EQ(GlobalSize(block), content.size()); // no terminator added
    EXPECT_EQ(std::string(p, size), content);
    Free(p);
}

TEST_F(FileIoTest, LoadFileEdgeCases) {
    WriteBytes(dir / "empty", "");
    HGLOBAL block = nullptr;
    DWORD size = 0;
    char* p = static_cast<char*>(loadFile((dir / "empty").c_str(), &block, &size));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(size, 1u);
    EXPECT_NE(block, nullptr);
    EXPECT_EQ(p[0], 0);
    Free(p);

    block = reinterpret_cast<HGLOBAL>(0x1);
    EXPECT_EQ(loadFile((dir / "missing").c_str(), &block, &size), nullptr);
    EXPECT_EQ(block, nullptr);

    // A directory cannot be read as a file; an empty or null path neither.
    block = reinterpret_cast<HGLOBAL>(0x1);
    EXPECT_EQ(loadFile(dir.path().c_str(), &block, &size), nullptr);
    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(loadFile("", &block, &size), nullptr);
    EXPECT_EQ(loadFile(nullptr, &block, &size), nullptr);
}


TEST_F(FileIoTest, PartialReadBoundaries) {
    std::string content = Digits(100);
    WriteBytes(dir / "hundred", content);
    WriteBytes(dir / "empty", "");
    struct Row {
        const char* file;
        DWORD offset;
        DWORD length;
        bool ok;
    } rows[] = {
        {"hundred", 10, 89, true},  {"hundred", 10, 90, false}, {"hundred", 0, 99, true},
        {"hundred", 0, 100, false}, {"hundred", 99, 0, true},   {"hundred", 100, 0, false},
        {"hundred", 150, 1, false}, {"empty", 0, 0, false},     {"missing", 0, 1, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.file) + " offset " + std::to_string(row.offset) +
                     " length " + std::to_string(row.length));
        char buffer[128];
        memset(buffer, 0xCC, sizeof buffer);
        BYTE* got = loadPartial((dir / row.file).c_str(), reinterpret_cast<BYTE*>(buffer),
                                row.offset, row.length);
        if (!row.ok) {
            EXPECT_EQ(got, nullptr);
            EXPECT_EQ(static_cast<unsigned char>(buffer[0]), 0xCC);
            continue;
        }
        ASSERT_EQ(got, reinterpret_cast<BYTE*>(buffer));
        EXPECT_EQ(std::string(buffer, row.length), content.substr(row.offset, row.length));
        EXPECT_EQ(static_cast<unsigned char>(buffer[row.length]), 0xCC); // nothing past
    }
}

TEST_F(FileIoTest, PartialReadAllocatesExactBlockAndChunksLargeRanges) {
    std::string content = Digits(100000);
    WriteBytes(dir / "big", content);
    BYTE* got = loadPartial((dir / "big").c_str(), nullptr, 5, 70000);
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(GlobalSize(GlobalHandle(got)), 70000u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(got), 70000), content.substr(5, 70000));
    Free(got);
}

TEST_F(FileIoTest, PutFileStyles) {
    std::string path = dir / "out.txt";
    EXPECT_EQ(putFile(path.c_str(), "hello", 5, OF_CREATE | OF_WRITE), 1);
    EXPECT_EQ(ReadBytes(path), "hello");
    // OF_READWRITE alone appends.
    EXPECT_EQ(putFile(path.c_str(), " world", 6, OF_READWRITE), 1);
    EXPECT_EQ(ReadBytes(path), "hello world");
    // OF_READWRITE with another flag does not append.
    EXPECT_EQ(putFile(path.c_str(), "J", 1, OF_READWRITE | OF_SHARE_DENY_NONE), 1);
    EXPECT_EQ(ReadBytes(path), "Jello world");
    // OF_CREATE | OF_WRITE replaces; only the low 16 bits of the style count.
    EXPECT_EQ(putFile(path.c_str(), "new", 3, 0x50000u | OF_CREATE | OF_WRITE), 1);
    EXPECT_EQ(ReadBytes(path), "new");
    // Length 0 still opens with the style: OF_CREATE leaves an empty file.
    EXPECT_EQ(putFile(path.c_str(), nullptr, 0, OF_CREATE), 1);
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(ReadBytes(path), "");
    // A file that must exist but does not.
    EXPECT_EQ(putFile((dir / "nope.txt").c_str(), "x", 1, OF_WRITE), 0);
    EXPECT_FALSE(FileExists(dir / "nope.txt"));
    // A directory cannot be opened for writing.
    EXPECT_EQ(putFile(dir.path().c_str(), "x", 1, OF_CREATE | OF_WRITE), 0);
}

TEST_F(FileIoTest, PutFileWritesInChunksOf32767) {
    std::string content = Digits(100000);
    qvr::WriteLog log = {};
    qvr::SetWriteLog(&log);
    int result = qvr::PutFile((dir / "big").c_str(), content.data(),
                              static_cast<DWORD>(content.size()), OF_CREATE | OF_WRITE);
    qvr::SetWriteLog(nullptr);
    EXPECT_EQ(result, 1);
    ASSERT_EQ(log.count, 4);
    EXPECT_EQ(log.sizes[0], 32767u);
    EXPECT_EQ(log.sizes[1], 32767u);
    EXPECT_EQ(log.sizes[2], 32767u);
    EXPECT_EQ(log.sizes[3], 100000u - 3 * 32767u);
    EXPECT_EQ(ReadBytes(dir / "big"), content);
}

TEST_F(FileIoTest, UpdateFileOverwritesInPlace) {
    std::string path = dir / "u.txt";
    WriteBytes(path, "0123456789");
    EXPECT_EQ(updateFile(path.c_str(), "ab", 3, 2), 1);
    EXPECT_EQ(ReadBytes(path), "012ab56789");
    // Past the end: the file grows.
    EXPECT_EQ(updateFile(path.c_str(), "Z", 12, 1), 1);
    EXPECT_EQ(ReadBytes(path).size(), 13u);
    // Length 0 fails and leaves the file as it was (no truncation).
    EXPECT_EQ(updateFile(path.c_str(), "x", 2, 0), 0);
    EXPECT_EQ(ReadBytes(path).size(), 13u);
    // A missing file is not created.
    EXPECT_EQ(updateFile((dir / "missing").c_str(), "x", 0, 1), 0);
    EXPECT_FALSE(FileExists(dir / "missing"));
}

} // namespace
