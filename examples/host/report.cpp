// report.cpp: report lines and a small longest-common-subsequence line diff
// (start-up files are a few dozen lines, so the quadratic table is fine).
#include "report.h"

#include <cstdio>

namespace host {

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        size_t next = end == std::string::npos ? text.size() : end + 1;
        if (end == std::string::npos)
            end = text.size();
        size_t stop = end;
        if (stop > start && text[stop - 1] == '\r')
            --stop;
        lines.push_back(text.substr(start, stop - start));
        start = next;
    }
    return lines;
}

namespace {

struct Edit {
    char kind; // ' ', '-' or '+'
    size_t oldLine;
    size_t newLine;
};

std::vector<Edit> DiffLines(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    const size_t n = a.size(), m = b.size();
    // common[i][j]: length of the longest common subsequence of a[i..] and b[j..].
    std::vector<std::vector<size_t>> common(n + 1, std::vector<size_t>(m + 1, 0));
    for (size_t i = n; i-- > 0;)
        for (size_t j = m; j-- > 0;)
            common[i][j] = a[i] == b[j] ? common[i + 1][j + 1] + 1
                                        : std::max(common[i + 1][j], common[i][j + 1]);
    std::vector<Edit> edits;
    size_t i = 0, j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && a[i] == b[j]) {
            edits.push_back({' ', i++, j++});
        } else if (i < n && (j == m || common[i + 1][j] >= common[i][j + 1])) {
            edits.push_back({'-', i++, j});
        } else {
            edits.push_back({'+', i, j++});
        }
    }
    return edits;
}

} // namespace

std::string UnifiedDiff(const std::string& name, const std::string& before,
                        const std::string& after) {
    const std::vector<std::string> a = SplitLines(before), b = SplitLines(after);
    const std::vector<Edit> edits = DiffLines(a, b);
    const size_t context = 3;
    std::string out;
    size_t k = 0;
    while (k < edits.size()) {
        if (edits[k].kind == ' ') {
            ++k;
            continue;
        }
        // A hunk: from `context` lines before this change to `context` lines
        // after the last change that is at most 2 * context lines further on.
        size_t first = k >= context ? k - context : 0;
        size_t last = k;
        for (size_t scan = k; scan < edits.size(); ++scan) {
            if (edits[scan].kind != ' ')
                last = scan;
            else if (scan - last > 2 * context)
                break;
        }
        size_t end = std::min(edits.size(), last + context + 1);
        size_t oldCount = 0, newCount = 0;
        for (size_t e = first; e < end; ++e) {
            oldCount += edits[e].kind != '+';
            newCount += edits[e].kind != '-';
        }
        if (out.empty())
            out = "--- a/" + name + "\n+++ b/" + name + "\n";
        char header[80];
        std::snprintf(header, sizeof header, "@@ -%zu,%zu +%zu,%zu @@\n",
                      edits[first].oldLine + (oldCount ? 1 : 0), oldCount,
                      edits[first].newLine + (newCount ? 1 : 0), newCount);
        out += header;
        for (size_t e = first; e < end; ++e) {
            const std::string& text =
                edits[e].kind == '+' ? b[edits[e].newLine] : a[edits[e].oldLine];
            out += edits[e].kind + text + "\n";
        }
        k = end;
    }
    return out.empty() ? name + ": (unchanged)\n" : out;
}

void Heading(const std::string& title) {
    std::printf("\n== %s ==\n", title.c_str());
}

void Step(const std::string& call, long long result, const std::string& meaning) {
    std::printf("  %s = %lld%s%s\n", call.c_str(), result, meaning.empty() ? "" : "  ",
                meaning.empty() ? "" : ("(" + meaning + ")").c_str());
}

void Note(const std::string& text) {
    std::printf("    %s\n", text.c_str());
}

} // namespace host
