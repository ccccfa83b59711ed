// textfile/ini_text_file.cpp
#include "textfile/ini_text_file.h"

#include "textfile/line_flags.h"
#include "textfile/parse_helpers.h"
#include "textfile/work_buffers.h"

#include <cstring>

using namespace qvr;

namespace {
// "[" + name + "]" + CR LF.
constexpr int kHeaderCapacity = 265;
} // namespace

IniTextFile::IniTextFile() : sectionName(kWorkBufferSize) {}

bool IniTextFile::HasWindow() const {
    return !sectionName.IsEmpty() && sectionFound != 0 && sectionLine >= 0 && sectionFirst >= 0 &&
           sectionLast >= sectionFirst;
}

int IniTextFile::SetSection(LPCSTR name) {
    if (name == nullptr || *name == '\0' || lstrlenA(name) > kMaxSectionName)
        return -1;
    sectionName = name;
    sectionSearchBuffer[0] = '[';
    lstrcpynA(sectionSearchBuffer + 1, name, kWorkBufferSize - 2);
    AppendText(sectionSearchBuffer, kWorkBufferSize, "]");
    LowerCase(sectionSearchBuffer);

    sectionFound = 0;
    sectionLine = sectionFirst = sectionLast = -1;
    int count = GetLineCount();
    if (count == 0)
        return -1;

    // Remarked and comment lines are passed over; "*" in the name is the
    // search's wildcard.
    int header = PlainTextFile::LineExists(0, sectionSearchBuffer, 0);
    if (header < 0)
        return -1;
    sectionLine = header;
    sectionFound = 1;

    // The body runs to the line before the next header (a deleted header
    // still ends it) or to the last line.
    int next = header + 1;
    while (next < count && (GetLineFlags(next) & LINE_SECTION) == 0)
        ++next;
    if (next > header + 1) {
        sectionFirst = header + 1;
        sectionLast = next - 1;
    }
    return header;
}

int IniTextFile::ClearSection() {
    sectionName.Clear();
    sectionFound = 0;
    sectionLine = sectionFirst = sectionLast = -1;
    return 1;
}

bool IniTextFile::PrepareAdd(LPCSTR text) {
    if (text == nullptr || *text == '\0' || sectionName.IsEmpty())
        return false;
    if (sectionLine == -1) {
        CountedString header(kHeaderCapacity);
        AppendText(header.GetBuffer(), kHeaderCapacity, "[");
        AppendText(header.GetBuffer(), kHeaderCapacity, sectionName.GetString());
        AppendText(header.GetBuffer(), kHeaderCapacity, "]\r\n");
        // Like every add below, the header counts as placed even if its
        // record could not be had: the window follows the line count.
        PlainTextFile::AddLineTail(header.GetString());
        sectionFound = 1;
        sectionLine = GetLineCount() - 1;
    }
    return true;
}

int IniTextFile::AddLineTop(LPCSTR text) {
    if (!PrepareAdd(text))
        return 0;
    PlainTextFile::InsertLine(text, sectionLine);
    if (sectionLast == -1)
        sectionFirst = sectionLast = sectionLine + 1;
    else
        ++sectionLast;
    return 1;
}

int IniTextFile::AddLineTail(LPCSTR text) {
    if (!PrepareAdd(text))
        return 0;
    if (sectionLast == -1) {
        PlainTextFile::InsertLine(text, sectionLine);
        sectionFirst = sectionLast = sectionLine + 1;
    } else {
        PlainTextFile::InsertLine(text, sectionLast);
        ++sectionLast;
    }
    return 1;
}

int IniTextFile::InsertLine(LPCSTR text, int index) {
    if (text == nullptr || *text == '\0' || sectionName.IsEmpty())
        return 0;
    if (sectionFound == 0 || sectionLast == -1 || index > sectionLast) {
        IniTextFile::AddLineTail(text);
        return 1;
    }
    // A line number before the body lands after the body's first line.
    PlainTextFile::InsertLine(text, index > sectionFirst ? index : sectionFirst);
    ++sectionLast;
    return 1;
}

int IniTextFile::RemLine(int index) {
    if (index < 0 || !HasWindow() || index < sectionFirst || index > sectionLast)
        return 0;
    PlainTextFile::RemLine(index);
    return 1;
}

int IniTextFile::DeleteLine(int index) {
    if (index < 0 || !HasWindow() || index < sectionFirst || index > sectionLast)
        return 0;
    PlainTextFile::DeleteLine(index);
    // The deleted line stays in the list, yet the window ends one line
    // earlier: the line that was last in the body falls outside it.
    --sectionLast;
    if (sectionFirst > sectionLast)
        sectionFirst = sectionLast = -1;
    return 1;
}

int IniTextFile::LineExists(int firstIndex, LPCSTR pattern, int includeComments) {
    if (!HasWindow() || firstIndex > sectionLast)
        return -1;
    int from = firstIndex < sectionFirst ? sectionFirst : firstIndex;
    int found = PlainTextFile::LineExists(from, pattern, includeComments);
    return found < 0 || found > sectionLast ? -1 : found;
}

int IniTextFile::ParseText(LPCSTR source, LPSTR destination, int size) {
    // "Device Name = X" becomes "devicename=x": the key loses every blank
    // and control byte (inside it too), the value its leading blanks. A
    // header keeps the length of its blank runs; neither form is longer than
    // what the plain parse left.
    char rebuilt[kWorkBufferSize];
    LPCSTR text =
        ParseAssignment(source, destination, size, AssignmentName::DropBlanksInside, rebuilt);
    if (text == nullptr)
        return 1;
    if (IsBracketHeader(text))
        CopyBlanksAsSpaces(text, destination);
    else
        CopyCollapsingBlanks(text, destination);
    return 1;
}

DWORD IniTextFile::ClassifyLine(LPCSTR text) {
    return ClassifySettingLine(text);
}
