// textfile/plain_text_file.cpp
#include "textfile/plain_text_file.h"

#include "fileops/file_io.h"
#include "textfile/line_flags.h"
#include "textfile/parse_helpers.h"
#include "textfile/work_buffers.h"
#include "util/ascii.h"
#include "util/global_memory.h"

#include <cstring>

namespace qvr {

void AppendText(LPSTR buffer, int capacity, LPCSTR text) {
    int used = lstrlenA(buffer);
    if (text != nullptr && used < capacity - 1)
        lstrcpynA(buffer + used, text, capacity - used);
}

} // namespace qvr

using namespace qvr;

namespace {
constexpr char kCarriageReturn = 0x0D;
constexpr char kLineFeed = 0x0A;
constexpr BYTE kEndOfFile = 0x1A; // Ctrl-Z

// The characters a read-back operation copies for a caller's size.
int ReadBackLimit(int size) {
    if (size < 0)
        return 0;
    return size > TextLine::kTextLimit ? TextLine::kTextLimit : size;
}
} // namespace

PlainTextFile::PlainTextFile()
    : fileName(kWorkBufferSize), commentMarkers{CountedString(kWorkBufferSize),
                                                CountedString(kWorkBufferSize),
                                                CountedString(kWorkBufferSize),
                                                CountedString(kWorkBufferSize)} {}

PlainTextFile::~PlainTextFile() {
    // Last to first, each record before its entry.
    for (int i = lines.GetCount() - 1; i >= 0; --i) {
        TextLine::Destroy(LineAt(i));
        lines.RemoveAt(i);
    }
}

void PlainTextFile::LowerCase(LPSTR text) const {
    if (ansiCase != 0) {
        CharLowerA(text);
        return;
    }
    for (char* p = text; *p != '\0'; ++p) // A to Z only: bytes, not characters
        *p = LowerAscii(*p);
}

bool PlainTextFile::StoreLoadedLine(const BYTE* bytes, size_t length, bool appendLineEnd) {
    // The text is a C string: a zero byte ends it (and drops the line end).
    const char* chars = reinterpret_cast<const char*>(bytes);
    size_t textLength = strnlen(chars, length);
    size_t total = textLength + (appendLineEnd ? 2 : 0);

    // A line that does not fit the work buffer is built in a string of its
    // own and stored whole; read-backs still give its first 511 characters.
    CountedString longLine(0);
    char* text = lineWorkBuffer;
    if (total > static_cast<size_t>(kWorkTextLimit)) {
        longLine.SetCapacity(static_cast<int>(total + 1));
        text = longLine.GetBuffer();
    }
    std::memcpy(text, chars, textLength);
    if (appendLineEnd) {
        text[textLength] = kCarriageReturn;
        text[textLength + 1] = kLineFeed;
    }
    text[total] = '\0';

    TextLine* line = TextLine::Create();
    if (line == nullptr)
        return false;
    line->SetText(text);
    line->SetFlags(ClassifyLine(line->GetFullText()));
    lines.Add(line);
    return true;
}

int PlainTextFile::Open(LPCSTR name, LPCSTR marker1, LPCSTR marker2, LPCSTR marker3, LPCSTR marker4,
                        DWORD caseChoice) {
    if (name == nullptr || *name == '\0')
        return 0;
    fileName = name;
    LPCSTR markers[kMarkerCount] = {marker1, marker2, marker3, marker4};
    for (int k = 0; k < kMarkerCount; ++k)
        if (markers[k] != nullptr && *markers[k] != '\0')
            commentMarkers[k] = markers[k];
    ansiCase = caseChoice;

    HGLOBAL block = nullptr;
    DWORD size = 0;
    const BYTE* data = static_cast<const BYTE*>(LoadWholeFile(name, &block, &size));
    if (data == nullptr)
        return 0;

    // Lines end after CR LF. The last byte always ends a line, which then
    // gets a CR LF of its own (even a Ctrl-Z there). Any other Ctrl-Z ends
    // the data. Bare CRs and LFs stay inside their line.
    int result = 1;
    size_t start = 0;
    for (size_t i = 0; i < size; ++i) {
        if (size - i == 1) {
            if (!StoreLoadedLine(data + start, i + 1 - start, true))
                result = 0;
            break;
        }
        if (data[i] == kCarriageReturn && data[i + 1] == kLineFeed) {
            if (!StoreLoadedLine(data + start, i + 2 - start, false)) {
                result = 0;
                break;
            }
            start = i + 2;
            ++i;
            continue;
        }
        if (data[i] == kEndOfFile) {
            if (i > start && !StoreLoadedLine(data + start, i - start, false))
                result = 0;
            break;
        }
    }
    FreeGlobalLocked(data);
    return result;
}

int PlainTextFile::GetLineCount() {
    return lines.GetCount();
}

int PlainTextFile::AddLine(LPCSTR text, Where where, int index) {
    if (text == nullptr || *text == '\0')
        return 0;
    if (where == Where::After && index < 0)
        return 0;
    // The text is stored whole, however long; read-backs give 511 characters.
    TextLine* line = TextLine::Create();
    if (line == nullptr)
        return 0;
    line->SetText(text);
    line->SetFlags(ClassifyLine(line->GetFullText()) | LINE_ADDED);
    int count = lines.GetCount();
    if (where == Where::Top)
        lines.InsertAt(0, line);
    else if (where == Where::After && count > 0 && index <= count - 1)
        lines.InsertAfter(index, line);
    else
        lines.Add(line);
    return 1;
}

int PlainTextFile::AddLineTop(LPCSTR text) {
    return AddLine(text, Where::Top, 0);
}

int PlainTextFile::AddLineTail(LPCSTR text) {
    return AddLine(text, Where::Tail, 0);
}

int PlainTextFile::InsertLine(LPCSTR text, int index) {
    return AddLine(text, Where::After, index);
}

DWORD PlainTextFile::GetLineFlags(int index) {
    TextLine* line = LineAt(index);
    return line == nullptr ? NO_LINE_FLAGS : line->GetFlags();
}

int PlainTextFile::SetLineFlags(int index, DWORD flags) {
    TextLine* line = LineAt(index);
    return line == nullptr ? 0 : line->SetFlags(flags);
}

TextLine* PlainTextFile::LineToReadBack(int index, LPSTR buffer) const {
    if (buffer == nullptr || index >= lines.GetCount())
        return nullptr;
    TextLine* line = LineAt(index);
    if (line == nullptr)
        buffer[0] = '\0';
    return line;
}

LPSTR PlainTextFile::GetLineText(int index, LPSTR buffer, int size) {
    TextLine* line = LineToReadBack(index, buffer);
    if (line == nullptr)
        return nullptr;
    lstrcpynA(buffer, line->GetText(), ReadBackLimit(size) + 1);
    return buffer;
}

LPSTR PlainTextFile::GetParsedLineText(int index, LPSTR buffer, int size) {
    TextLine* line = LineToReadBack(index, buffer);
    if (line == nullptr)
        return nullptr;
    // Cut first, then parse; the parsed form is never longer than its source.
    int limit = ReadBackLimit(size);
    lstrcpynA(buffer, line->GetText(), limit + 1);
    ParseText(buffer, lineWorkBuffer, kWorkTextLimit);
    lstrcpynA(buffer, lineWorkBuffer, limit + 1);
    return buffer;
}

int PlainTextFile::SetLineText(int index, LPCSTR text) {
    TextLine* line = LineAt(index);
    if (line == nullptr || text == nullptr)
        return 0;
    return line->SetText(text);
}

int PlainTextFile::RemLine(int index) {
    TextLine* line = LineAt(index);
    if (line == nullptr)
        return 0;
    if (commentMarkers[0].IsEmpty())
        return 1;
    // Marker, blank, old text: cut to 511 characters (a long line loses its
    // end, line end included).
    CountedString remarked(kWorkBufferSize);
    AppendText(remarked.GetBuffer(), kWorkBufferSize, commentMarkers[0].GetString());
    AppendText(remarked.GetBuffer(), kWorkBufferSize, " ");
    AppendText(remarked.GetBuffer(), kWorkBufferSize, line->GetText());
    line->SetText(remarked.GetString());
    line->SetFlags(line->GetFlags() | LINE_REMARKED);
    return 1;
}

int PlainTextFile::DeleteLine(int index) {
    if (LineAt(index) == nullptr)
        return 0;
    return SetLineFlags(index, GetLineFlags(index) | LINE_DELETED) ? 1 : 0;
}

int PlainTextFile::LineExists(int firstIndex, LPCSTR pattern, int includeComments) {
    int count = lines.GetCount();
    if (count == 0 || pattern == nullptr || *pattern == '\0' || firstIndex > count - 1)
        return -1;

    // A longer pattern is cut to what the buffer holds.
    lstrcpynA(patternBuffer, pattern, kWorkBufferSize);
    LowerCase(patternBuffer);
    int length = lstrlenA(patternBuffer);
    if (length >= 1 && patternBuffer[length - 1] == '*' &&
        (length == 1 || patternBuffer[length - 2] != '*'))
        patternBuffer[--length] = '\0';

    // A leading "*" frees the first piece from the line's start; "**" at the
    // start keeps it anchored, beginning with the second "*".
    char* scan = patternBuffer;
    bool anchored = true;
    if (*scan == '*') {
        ++scan;
        anchored = *scan == '*';
    }

    // Split at every single "*". A "**" pair stays in its piece, and the
    // first character of a piece is never a separator. Pieces past the
    // fourth are ignored.
    LPCSTR pieces[kMaxPatternPieces];
    int pieceCount = 0;
    char* pieceStart = scan;
    auto passFirstCharacter = [&scan]() {
        if (scan[0] == '*' && scan[1] == '*')
            scan += 2;
        else if (*scan != '\0')
            ++scan;
    };
    passFirstCharacter();
    while (*scan != '\0' && pieceCount < kMaxPatternPieces) {
        if (*scan != '*') {
            ++scan;
            continue;
        }
        if (scan[1] == '*') {
            scan += 2;
            continue;
        }
        *scan = '\0';
        pieces[pieceCount++] = pieceStart;
        pieceStart = ++scan;
        passFirstCharacter();
    }
    if (pieceCount < kMaxPatternPieces)
        pieces[pieceCount++] = pieceStart;

    for (int i = firstIndex < 0 ? 0 : firstIndex; i < count; ++i) {
        DWORD flags = GetLineFlags(i);
        if ((flags & (LINE_REMARKED | LINE_COMMENT)) != 0 && includeComments == 0)
            continue;
        searchLineBuffer[0] = '\0';
        GetParsedLineText(i, searchLineBuffer, kWorkTextLimit);

        LPCSTR position = searchLineBuffer;
        for (int k = 0; k < pieceCount; ++k) {
            int pieceLength = lstrlenA(pieces[k]);
            LPCSTR matchEnd;
            if (k == 0 && anchored) {
                if (pieceLength == 0 || !EqualNoCaseAscii(position, pieces[k], pieceLength))
                    break;
                matchEnd = position + pieceLength;
            } else {
                LPCSTR found = std::strstr(position, pieces[k]);
                if (found == nullptr)
                    break;
                matchEnd = found + pieceLength;
            }
            if (k == pieceCount - 1)
                return i;
            position = matchEnd;
            if (*position == '\0')
                break;
        }
    }
    return -1;
}

DWORD PlainTextFile::GetSize() {
    DWORD total = 0;
    int count = lines.GetCount();
    for (int i = 0; i < count; ++i) {
        if ((GetLineFlags(i) & LINE_DELETED) != 0)
            continue;
        lineWorkBuffer[0] = '\0';
        GetLineText(i, lineWorkBuffer, kWorkTextLimit);
        total += static_cast<DWORD>(lstrlenA(lineWorkBuffer));
    }
    return total;
}

LPSTR PlainTextFile::CreateOutput(DWORD* sizeOut) {
    if (lines.GetCount() == 0)
        return nullptr;
    DWORD size = GetSize();
    if (size == 0)
        return nullptr;
    // A null size pointer is allowed: the size is then not reported.
    if (sizeOut != nullptr)
        *sizeOut = size;
    char* image = static_cast<char*>(AllocGlobalLocked(static_cast<SIZE_T>(size) + 1));
    if (image == nullptr) {
        if (sizeOut != nullptr)
            *sizeOut = 0;
        return nullptr;
    }
    // Each line is read back the way GetSize measured it; the copy never
    // goes past `size` even if a line read back longer this time.
    DWORD written = 0;
    int count = lines.GetCount();
    for (int i = 0; i < count && written < size; ++i) {
        if ((GetLineFlags(i) & LINE_DELETED) != 0)
            continue;
        lineWorkBuffer[0] = '\0';
        GetLineText(i, lineWorkBuffer, kWorkTextLimit);
        DWORD length = static_cast<DWORD>(lstrlenA(lineWorkBuffer));
        if (length > size - written)
            length = size - written;
        std::memcpy(image + written, lineWorkBuffer, length);
        written += length;
    }
    return image;
}

int PlainTextFile::BeforeWin(LPCSTR text) {
    return AddLineTail(text);
}

int PlainTextFile::ParseText(LPCSTR source, LPSTR destination, int size) {
    if (destination == nullptr)
        return 1;
    if (source == nullptr) {
        destination[0] = '\0';
        return 1;
    }
    // Copy without the leading blanks and tabs, at most `size` bytes. The
    // copy runs forward, so the source may be the destination itself.
    while (IsBlankOrTab(*source))
        ++source;
    int length = 0;
    while (length < size && source[length] != '\0') {
        destination[length] = source[length];
        ++length;
    }
    destination[length] = '\0';
    // Trailing bytes up to 32, taken as signed (so 0x80-0xFF too), go;
    // a single character stays as it is.
    if (length > 1)
        while (length > 0 && static_cast<signed char>(destination[length - 1]) <= 32)
            destination[--length] = '\0';
    if (length > 0)
        LowerCase(destination);
    return 1;
}

DWORD PlainTextFile::ClassifySettingLine(LPCSTR text) {
    if (text == nullptr || *text == '\0')
        return 0;
    // The plain classification parses through the file type's ParseText
    // into the same buffer, so the parsed text is there either way.
    DWORD flags = PlainTextFile::ClassifyLine(text);
    if (flags != 0)
        return flags;
    ParseText(text, classifyBuffer, kWorkTextLimit);
    if (std::strchr(classifyBuffer, '=') != nullptr)
        return LINE_ASSIGNMENT;
    return IsBracketHeader(classifyBuffer) ? LINE_SECTION : 0;
}

LPCSTR PlainTextFile::ParseAssignment(LPCSTR source, LPSTR destination, int size,
                                      AssignmentName rule, LPSTR rebuilt) {
    PlainTextFile::ParseText(source, destination, size);
    if (destination == nullptr)
        return nullptr;
    // The destination may be the source, and GetParsedLineText parses into
    // the line work buffer: the rewriting works on a copy.
    lstrcpynA(parseWorkBuffer, destination, kWorkBufferSize);
    return NormaliseAssignment(parseWorkBuffer, rule, rebuilt, kWorkBufferSize);
}

DWORD PlainTextFile::ClassifyLine(LPCSTR text) {
    if (text == nullptr || *text == '\0')
        return 0;
    ParseText(text, classifyBuffer, kWorkTextLimit);
    for (const CountedString& marker : commentMarkers)
        if (!marker.IsEmpty() &&
            EqualNoCaseAscii(classifyBuffer, marker.GetString(), marker.GetLength()))
            return LINE_COMMENT;
    return 0;
}
