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
    PlainTextFile::ParseText(source, destination, size);
    if (destination == nullptr)
        return 1;
    // The destination may be the source, and GetParsedLineText parses into
    // the line work buffer: work in a buffer of our own.
    lstrcpynA(parseWorkBuffer, destination, kWorkBufferSize);
    LPCSTR text = parseWorkBuffer;

    // "name = value" becomes "name=value".
    CountedString rebuilt(kWorkBufferSize);
    LPCSTR equals = std::strchr(text, '=');
    if (equals != nullptr) {
        LPCSTR nameEnd = equals;
        while (nameEnd > text && IsBlankOrTab(nameEnd[-1]))
            --nameEnd;
        LPSTR out = rebuilt.GetBuffer();
        int nameLength = static_cast<int>(nameEnd - text);
        std::memcpy(out, text, static_cast<size_t>(nameLength));
        out[nameLength] = '=';
        LPCSTR value = equals + 1;
        while (IsBlankOrTab(*value))
            ++value;
        // The rebuilt text is never longer than the 511 characters it came from.
        lstrcpynA(out + nameLength + 1, value, kWorkBufferSize - nameLength - 1);
        text = rebuilt.GetString();
    }

    // Never longer than what the plain parse left in the destination.
    CopyCollapsingBlanks(text, destination);
    return 1;
}

DWORD ConfigTextFile::ClassifyLine(LPCSTR text) {
    if (text == nullptr || *text == '\0')
        return 0;
    // The plain classification parses through our ParseText into the same
    // buffer, so the parsed text is there afterwards either way.
    DWORD flags = PlainTextFile::ClassifyLine(text);
    if (flags != 0)
        return flags;
    ParseText(text, classifyBuffer, kWorkTextLimit);
    LPCSTR parsed = classifyBuffer;
    if (std::strchr(parsed, '=') != nullptr)
        return LINE_ASSIGNMENT;
    if (!IsBracketHeader(parsed))
        return 0;
    // Only the first eight characters count: "[common] ; shared" is common.
    if (EqualNoCaseAscii(parsed, kCommonHeader, kCommonHeaderLength))
        return LINE_SECTION | LINE_COMMON;
    return LINE_SECTION;
}
