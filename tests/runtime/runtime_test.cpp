// runtime/runtime_test.cpp: the library's own memory and string functions
// against the C library's, and the text-mode file reader.
#include "fileops/text_reader.h"
#include "runtime/runtime_names.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace qvrtest;

// `length` non-zero bytes, high ones included, that differ from call to call.
std::string Bytes(size_t length, unsigned seed) {
    std::string s(length, 'x');
    for (size_t i = 0; i < length; ++i)
        s[i] = static_cast<char>(1 + (seed * 131 + i * 37) % 255);
    return s;
}

int Sign(int n) {
    return (n > 0) - (n < 0);
}

// Lengths and offsets on both sides of the 4- and 16-byte steps.
TEST(RuntimeFunctionsTest, MemoryFunctionsMatchTheCLibrary) {
    for (size_t length = 0; length <= 70; ++length) {
        for (size_t from = 0; from < 16; ++from) {
            for (size_t to = 0; to < 16; to += 5) {
                SCOPED_TRACE(testing::Message()
                             << length << " bytes from +" << from << " to +" << to);
                std::string source = Bytes(length + 16, static_cast<unsigned>(length));
                std::string ours = Bytes(length + 40, 7), theirs = ours;
                qvr_memcpy(&ours[to + 8], &source[from], length);
                std::memcpy(&theirs[to + 8], &source[from], length);
                ASSERT_EQ(ours, theirs);
                qvr_memset(&ours[to + 8], 0x1AB, length);
                std::memset(&theirs[to + 8], 0x1AB, length);
                ASSERT_EQ(ours, theirs);
                ASSERT_EQ(qvr_memcmp(&ours[to + 8], &theirs[to + 8], length), 0);
            }
        }
        // Overlapping moves in both directions.
        for (int shift = -20; shift <= 20; ++shift) {
            std::string ours = Bytes(140, 3), theirs = ours;
            qvr_memmove(&ours[40 + shift], &ours[40], length);
            std::memmove(&theirs[40 + shift], &theirs[40], length);
            ASSERT_EQ(ours, theirs) << length << " bytes moved by " << shift;
        }
    }
    const char a[] = "abc\x80", b[] = "abc\x01";
    EXPECT_EQ(Sign(qvr_memcmp(a, b, 4)), Sign(std::memcmp(a, b, 4)));
    EXPECT_EQ(Sign(qvr_memcmp(b, a, 4)), -1);
}

TEST(RuntimeFunctionsTest, StringFunctionsMatchTheCLibrary) {
    const char* patterns[] = {"", "a", "\xE9", "needle", "needlf"};
    for (size_t length = 0; length <= 70; ++length) {
        for (size_t offset = 0; offset < 32; offset += 3) {
            SCOPED_TRACE(testing::Message() << length << " bytes at +" << offset);
            // Non-zero bytes around the string, so that a scan past its end shows.
            std::string buffer = Bytes(offset + length + 40, 9);
            std::string text = Bytes(length, static_cast<unsigned>(offset));
            if (length >= 10)
                text.replace(length / 2, 6, "needle");
            buffer.replace(offset, length, text);
            buffer[offset + length] = '\0';
            const char* s = buffer.c_str() + offset;
            ASSERT_EQ(qvr_strlen(s), std::strlen(s));
            for (size_t limit : {size_t{0}, length / 2, length, length + 5})
                ASSERT_EQ(qvr_strnlen(s, limit), limit < length ? limit : length);
            int last = text.empty() ? 'q' : static_cast<unsigned char>(text.back());
            for (int c : {0, int{'x'}, 0xE9, -23, last}) {
                ASSERT_EQ(qvr_strchr(s, c), std::strchr(s, c)) << c;
                ASSERT_EQ(qvr_strrchr(s, c), std::strrchr(s, c)) << c;
            }
            for (const char* pattern : patterns)
                ASSERT_EQ(qvr_strstr(s, pattern), std::strstr(s, pattern)) << pattern;
            std::string ours(length + 8, '#'), theirs = ours;
            qvr_strcpy(&ours[0], s);
            std::strcpy(&theirs[0], s);
            ASSERT_EQ(ours, theirs);
        }
    }
    const char* pairs[][2] = {{"abc", "abd"}, {"abc", "abc"}, {"ab", "abc"}, {"a\x80", "a\x01"}};
    for (const auto& pair : pairs) {
        for (size_t n : {0u, 1u, 2u, 3u, 9u}) {
            EXPECT_EQ(Sign(qvr_strncmp(pair[0], pair[1], n)),
                      Sign(std::strncmp(pair[0], pair[1], n)));
            EXPECT_EQ(Sign(qvr_strncmp(pair[1], pair[0], n)),
                      Sign(std::strncmp(pair[1], pair[0], n)));
        }
    }
}

using Pieces = std::vector<std::string>;

Pieces ReadPieces(const std::string& path, size_t chunk, size_t bufferSize) {
    qvr::TextFileReader reader(chunk);
    Pieces pieces;
    if (!reader.Open(path.c_str()))
        return {"(cannot open)"};
    std::vector<char> buffer(bufferSize);
    while (reader.ReadLine(buffer.data(), bufferSize))
        pieces.emplace_back(buffer.data());
    return pieces;
}

class TextFileReaderTest : public FileTest {};

TEST_F(TextFileReaderTest, ReadsLikeTextModeFgets) {
    struct Row {
        std::string raw;
        size_t bufferSize;
        Pieces pieces;
    };
    const Row rows[] = {
        {"a\r\nb\r\n", 510, {"a\n", "b\n"}},
        {"a\rb\n", 510, {"a\rb\n"}},       // a lone CR stays
        {"a\r\r\nb", 510, {"a\r\n", "b"}}, // only the CR before the LF goes
        {"a\nb\x1A"
         "c\n",
         510,
         {"a\n", "b"}}, // Ctrl-Z ends the file
        {"a\r\x1A"
         "b",
         510,
         {"a\r"}}, // a CR right before it stays
        {"\x1A"
         "a",
         510,
         {}},
        {"a\r", 510, {"a\r"}}, // a CR at the end of the file
        {"", 510, {}},
        {"abcdefghij\n", 5, {"abcd", "efgh", "ij\n"}},
        {"abcd\r\nx", 5, {"abcd", "\n", "x"}}, // the pair split across two pieces
        {"abc\r\nd", 5, {"abc\n", "d"}},
    };
    // Chunks of 1 to 3 bytes end a read between every CR and what follows.
    for (size_t chunk : {size_t{1}, size_t{2}, size_t{3}, qvr::TextFileReader::kMaxChunk}) {
        for (const Row& row : rows) {
            WriteBytes(dir / "t.txt", row.raw);
            EXPECT_EQ(ReadPieces(dir / "t.txt", chunk, row.bufferSize), row.pieces)
                << "chunk " << chunk << ", text \"" << row.raw << "\"";
#ifdef __MINGW32__
            // The same pieces as the C runtime's text mode.
            if (chunk == 1) {
                Pieces crt;
                std::FILE* file = std::fopen((dir / "t.txt").c_str(), "rt");
                ASSERT_NE(file, nullptr);
                std::vector<char> buffer(row.bufferSize);
                while (std::fgets(buffer.data(), static_cast<int>(row.bufferSize), file) != nullptr)
                    crt.emplace_back(buffer.data());
                std::fclose(file);
                EXPECT_EQ(crt, row.pieces) << "C runtime, text \"" << row.raw << "\"";
            }
#endif
        }
    }
    EXPECT_EQ(ReadPieces(dir / "missing.txt", 1, 8), Pieces{"(cannot open)"});
}

} // namespace
