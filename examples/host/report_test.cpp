// report_test.cpp: the demo report's line splitting and unified diffs.
#include "report.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase {
    const char* text;
    std::vector<std::string> lines;
};

TEST(ReportSplitLines, EndsOfLineAndLastLine) {
    const SplitCase cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\rb\r\n", {"a\rb"}}, // a lone CR is not a line end
    };
    for (size_t row = 0; row < std::size(cases); ++row)
        EXPECT_EQ(host::SplitLines(cases[row].text), cases[row].lines) << "row " << row;
}

struct DiffCase {
    const char* before;
    const char* after;
    const char* diff; // after the "---"/"+++" header
};

TEST(ReportUnifiedDiff, Hunks) {
    const DiffCase cases[] = {
        // Only the line ends differ: no change.
        {"a\r\nb\r\n", "a\nb\n", nullptr},
        // A line first, then a replacement in the middle: one hunk, old
        // lines before new ones.
        {"1\n2\n3\n4\n5\n", "0\n1\n2\nX\n4\n5\n", "@@ -1,5 +1,6 @@\n+0\n 1\n 2\n-3\n+X\n 4\n 5\n"},
        // Into an empty file.
        {"", "a\nb\n", "@@ -0,0 +1,2 @@\n+a\n+b\n"},
        // Everything deleted.
        {"a\n", "", "@@ -1,1 +0,0 @@\n-a\n"},
        // A line at the end of a long file: context of three lines only.
        {"1\n2\n3\n4\n5\n6\n", "1\n2\n3\n4\n5\n6\n7\n", "@@ -4,3 +4,4 @@\n 4\n 5\n 6\n+7\n"},
        // Changes more than six lines apart make two hunks.
        {"1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n", "A\n2\n3\n4\n5\n6\n7\n8\n9\nJ\n",
         "@@ -1,4 +1,4 @@\n-1\n+A\n 2\n 3\n 4\n@@ -7,4 +7,4 @@\n 7\n 8\n 9\n-10\n+J\n"},
        // Six lines apart: the context joins them into one hunk.
        {"1\n2\n3\n4\n5\n6\n7\n8\n", "A\n2\n3\n4\n5\n6\n7\nH\n",
         "@@ -1,8 +1,8 @@\n-1\n+A\n 2\n 3\n 4\n 5\n 6\n 7\n-8\n+H\n"},
    };
    for (size_t row = 0; row < std::size(cases); ++row) {
        std::string expected = cases[row].diff == nullptr
                                   ? "F.TXT: (unchanged)\n"
                                   : std::string("--- a/F.TXT\n+++ b/F.TXT\n") + cases[row].diff;
        EXPECT_EQ(host::UnifiedDiff("F.TXT", cases[row].before, cases[row].after), expected)
            << "row " << row;
    }
}

} // namespace
