// textfile/config_text_file.cpp
#include "textfile/config_text_file.h"

#include "textfile/line_flags.h"
#include "textfile/parse_helpers.h"
#include "textfile/work_buffers.h"

#include <cstring>

using namespace qvr;

namespace {
constexpr char kCommonHeader[] = "[common]";
constexpr int kCommonHeaderLength = sizeof kCommonHeader - 1;
constexpr DWORD kAddedCommonFlags = LINE_COMMON | LINE_SECTION | LINE_ADDED;
} // namespace

int ConfigTextFile::AddCommonHeader(bool top) {
    TextLine* line = TextLine::Create();
    if (line == nullptr)
        return 0;
    // The flags are set outright: an added header is always the common one.
    line->SetText("[common]\r\n");
    line->SetFlags(kAddedCommonFlags);
    if (top) {
        lines.InsertAt(0, line);
        commonAddedTop = 1;
    } else {
        lines.Add(line);
        commonAddedBottom = 1;
    }
    return 1;
}

int ConfigTextFile::AddTopCommon() {
    return AddCommonHeader(true);
}

int ConfigTextFile::AddBottomCommon() {
    return AddCommonHeader(false);
}

int ConfigTextFile::IsCommonAddedTop() {
    return commonAddedTop == 1 ? 1 : 0;
}

int ConfigTextFile::IsCommonAddedBottom() {
    return commonAddedBottom == 1 ? 1 : 0;
}

int ConfigTextFile::ParseText(LPCSTR source, LPSTR destination, int size) {
    // "name = value" becomes "name=value", then every run of blanks and tabs
    // one blank; never longer than what the plain parse left.
    char rebuilt[kWorkBufferSize];
    LPCSTR text = ParseAssignment(source, destination, size, AssignmentName::TrimEnd, rebuilt);
    if (text != nullptr)
        CopyCollapsingBlanks(text, destination);
    return 1;
}

DWORD ConfigTextFile::ClassifyLine(LPCSTR text) {
    DWORD flags = ClassifySettingLine(text);
    // Only the first eight characters count: "[common] ; shared" is common.
    if (flags == LINE_SECTION &&
        EqualNoCaseAscii(classifyBuffer, kCommonHeader, kCommonHeaderLength))
        flags |= LINE_COMMON;
    return flags;
}
