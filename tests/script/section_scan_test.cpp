// script/section_scan_test.cpp: the section search reads the image in
// aligned blocks; these tests move headers, 0x1A bytes and NUL runs across
// every block position and compare it with a line-by-line walk.
#include "script/script_query.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

bool SameFolded(const char* text, const std::string& name) {
    auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    for (size_t i = 0; i < name.size(); ++i)
        if (fold(text[i]) != fold(name[i]))
            return false;
    return true;
}

// The search as the image layout defines it: look at the first byte of each
// stored line, stop at a 0x1A anywhere; names match with A-Z folded.
DWORD LineByLine(const char* image, const std::string& name) {
    const char* p = image;
    for (;;) {
        if (*p == '\x1A')
            return 0;
        bool match = *p == '[' && SameFolded(p + 1, name) && p[1 + name.size()] == ']';
        for (; *p != '\0'; ++p)
            if (*p == '\x1A')
                return 0;
        while (*p == '\0')
            ++p;
        if (match)
            return *p == '[' || *p == '\x1A' ? 0 : static_cast<DWORD>(p - image);
    }
}

// Copies `bytes` to `shift` bytes past a 64-byte boundary, so that every
// position of the image relative to the search's blocks gets tried.
class Placed {
  public:
    Placed(const std::string& bytes, size_t shift) : storage_(bytes.size() + 128, '\x55') {
        uintptr_t base = reinterpret_cast<uintptr_t>(storage_.data());
        start_ = storage_.data() + ((64 - base % 64) % 64) + shift;
        std::copy(bytes.begin(), bytes.end(), start_);
    }
    const char* data() const { return start_; }

  private:
    std::vector<char> storage_;
    char* start_;
};

std::string Image(const std::string& body) {
    return body + std::string("\0\0\x1A\0", 4);
}

TEST(SectionScanTest, AgreesWithALineWalkAtEveryAlignment) {
    using namespace std::string_literals;
    const struct {
        const char* what;
        std::string image;
        std::vector<std::string> names;
    } rows[] = {
        {"header first", Image("[A]\0x=1\0\0[B]\0y=2\0"s), {"A", "B", "a", "C"}},
        {"lines before the first header", Image("k=v\0w=[A]\0\0[A]\0z=1\0"s), {"A"}},
        {"bracket inside a line is no header", Image("[X]\0a=[B]\0\0[B]\0b=1\0"s), {"B", "X"}},
        {"empty section, later duplicate", Image("[A]\0\0[A]\0x=1\0"s), {"A"}},
        {"Ctrl-Z inside a line ends the search", Image("[A]\0a=\x1A\0\0[B]\0b=1\0"s), {"A", "B"}},
        {"Ctrl-Z in the matching header", Image("[B]\x1A\0x=1\0"s), {"B"}},
        {"NUL content splits a line", Image("[A]\0a=1\0[B]\0b=1\0"s), {"B"}},
        {"long lines over several blocks",
         Image("[First]\0"s + std::string(40, 'x') + "\0\0[Second]\0"s + std::string(70, 'y') +
               "=[Second]\0\0[Third]\0t=3\0"s),
         {"Second", "Third", "Fourth"}},
        {"headers back to back", Image("[A]\0\0[B]\0\0[C]\0\0[D]\0d=1\0"s), {"A", "B", "C", "D"}},
        {"empty name", Image("[]\0e=1\0\0[A]\0a=1\0"s), {"", "A"}},
    };
    for (const auto& row : rows) {
        for (size_t shift = 0; shift < 32; ++shift) {
            Placed image(row.image, shift);
            for (const std::string& name : row.names)
                EXPECT_EQ(qvr::FindSectionOffset(image.data(), name.c_str()),
                          LineByLine(image.data(), name))
                    << row.what << ", section " << name << ", shift " << shift;
        }
    }
}

// The end marker at every position of a block: the bytes past it (here 0x55,
// in a real image the rest of the block) must not be taken for a header.
TEST(SectionScanTest, StopsAtTheEndMarkerWhereverItFalls) {
    using namespace std::string_literals;
    for (size_t pad = 0; pad < 40; ++pad) {
        std::string body = "[A]\0"s + std::string(pad + 1, 'p') + "\0"s;
        std::string image = Image(body) + "\0[Z]\0z=1\0"s;
        for (size_t shift = 0; shift < 16; ++shift) {
            Placed placed(image, shift);
            EXPECT_EQ(qvr::FindSectionOffset(placed.data(), "Z"), 0u)
                << "pad " << pad << ", shift " << shift;
            EXPECT_EQ(qvr::FindSectionOffset(placed.data(), "A"), 4u)
                << "pad " << pad << ", shift " << shift;
        }
    }
}

} // namespace
