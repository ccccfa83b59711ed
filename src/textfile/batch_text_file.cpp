// textfile/batch_text_file.cpp
#include "textfile/batch_text_file.h"

#include "resources/resource_ids.h"
#include "textfile/library_string.h"
#include "textfile/line_flags.h"
#include "textfile/parse_helpers.h"
#include "textfile/work_buffers.h"

#include <cstring>
#include <new>

namespace qvr {

char pathWord[kKeywordSize];
char setPathWord[kKeywordSize];
char pathReference[kKeywordSize];
char pathAssign[kKeywordSize];

namespace {
// The longest search path the start-up shell accepts, "path=" included.
constexpr int kMaxPathLength = 127;
// CheckPathLen's strings: prefix, before, running value and after together
// stay below 127 * 3 characters.
constexpr int kPathCheckCapacity = 552;

LPSTR SkipBlanksAndTabs(LPSTR p) {
    while (IsBlankOrTab(*p))
        ++p;
    return p;
}

// p + n, but never past the terminator.
LPSTR Advance(LPSTR p, int n) {
    while (n-- > 0 && *p != '\0')
        ++p;
    return p;
}

// Loads string `id` into a keyword string, cut to fit.
void SetKeyword(LPSTR keyword, UINT id) {
    lstrcpynA(keyword, LoadLibraryString(id, nullptr), kKeywordSize);
}

// Copies the first `length` bytes of `text` into the string (cut to fit).
void AssignPart(CountedString& target, LPCSTR text, int length) {
    target.Clear();
    if (length > target.GetCapacity() - 1)
        length = target.GetCapacity() - 1;
    if (length > 0)
        std::memcpy(target.GetBuffer(), text, static_cast<size_t>(length));
}

bool IsWinWordStart(const char* buffer, const char* at) {
    if (at == buffer)
        return true;
    unsigned char before = static_cast<unsigned char>(at[-1]);
    return before <= 32 || before >= 0x80 || before == '\\' || before == ':' || before == '/';
}

// What follows "WIN" must end the word: the end, a blank or control byte, a
// byte of 0x80 or more, or ".COM", ".EXE", ".BAT".
bool IsWinWordEnd(const char* after) {
    unsigned char c = static_cast<unsigned char>(*after);
    if (c == '\0' || c <= 32 || c >= 0x80)
        return true;
    if (c != '.' || lstrlenA(after) < 4)
        return false;
    char extension[4] = {after[1], after[2], after[3], '\0'};
    return std::strstr("COM EXE BAT", extension) != nullptr;
}
} // namespace

int IsWinCommand(LPCSTR text) {
    if (text == nullptr)
        return 0;
    char buffer[256];
    lstrcpynA(buffer, text, sizeof buffer);
    CharUpperA(buffer);
    for (const char* at = std::strstr(buffer, "WIN"); at != nullptr;
         at = std::strstr(at + 1, "WIN"))
        if (IsWinWordEnd(at + 3) && IsWinWordStart(buffer, at))
            return 1;
    return 0;
}

int IsShellKdos() {
    char kdos[kWorkBufferSize];
    char zdos[kWorkBufferSize];
    LoadLibraryString(IDS_SHELL_KDOS, kdos);
    LoadLibraryString(IDS_SHELL_ZDOS, zdos);
    // A value that does not fit is not read at all (the call reports the
    // size it needs): such a COMSPEC counts as no alternative shell.
    char comspec[kWorkBufferSize];
    DWORD length = GetEnvironmentVariableA("COMSPEC", comspec, sizeof comspec);
    if (length == 0 || length >= sizeof comspec)
        return 0;
    // Case-sensitive on purpose: the shells are spelled in capitals.
    if (kdos[0] != '\0' && std::strstr(comspec, kdos) != nullptr)
        return 1;
    if (zdos[0] != '\0' && std::strstr(comspec, zdos) != nullptr)
        return 1;
    return 0;
}

} // namespace qvr

using namespace qvr;

BatchTextFile::BatchTextFile() {
    SetKeyword(pathWord, IDS_PATH_KEYWORD);
    AppendText(pathWord, kKeywordSize, " ");
    SetKeyword(setPathWord, IDS_SET_KEYWORD);
    AppendText(setPathWord, kKeywordSize, " ");
    AppendText(setPathWord, kKeywordSize, LoadLibraryString(IDS_PATH_ASSIGNMENT, nullptr));
    SetKeyword(pathReference, IDS_PATH_VARIABLE);
    SetKeyword(pathAssign, IDS_PATH_ASSIGNMENT);
}

int BatchTextFile::ParseText(LPCSTR source, LPSTR destination, int size) {
    // "name = value" becomes "name=value", an echo-off "@" goes, and every
    // run of blanks and tabs becomes one blank. The result is never longer
    // than what the plain parse left in the destination.
    char rebuilt[kWorkBufferSize];
    LPCSTR text = ParseAssignment(source, destination, size, AssignmentName::TrimEnd, rebuilt);
    if (text == nullptr)
        return 1;
    if (*text == '@')
        ++text;
    CopyCollapsingBlanks(text, destination);
    return 1;
}

DWORD BatchTextFile::ClassifyLine(LPCSTR text) {
    if (text == nullptr || *text == '\0')
        return 0;
    DWORD flags = PlainTextFile::ClassifyLine(text);
    ParseText(text, classifyBuffer, kWorkTextLimit);
    LPCSTR parsed = classifyBuffer;

    auto startsWith = [parsed](LPCSTR keyword) {
        int length = lstrlenA(keyword);
        return length > 0 && EqualNoCaseAscii(parsed, keyword, length);
    };
    if (flags == 0) {
        if (startsWith(pathWord) || startsWith(pathAssign))
            flags = LINE_PATH;
        else if (startsWith(setPathWord))
            flags = LINE_PATH | LINE_SET_PATH;
        if (flags != 0 && std::strstr(parsed, pathReference) == nullptr)
            flags |= LINE_PATH_ABSOLUTE;
    }
    if ((flags & LINE_COMMENT) == 0 && std::strchr(parsed, '=') != nullptr)
        flags |= LINE_ASSIGNMENT;
    return flags;
}

LineList* BatchTextFile::CollectPathList() {
    int count = GetLineCount();
    if (count <= 0)
        return nullptr;
    void* memory = AllocateRecord(sizeof(LineList));
    if (memory == nullptr)
        return nullptr;
    LineList* list = new (memory) LineList();

    int referenceLength = lstrlenA(pathReference);
    bool failed = false;
    for (int i = 0; i < count && !failed; ++i) {
        DWORD flags = GetLineFlags(i);
        if (flags == NO_LINE_FLAGS) {
            failed = true;
            break;
        }
        // Deleted and remarked PATH lines are collected too.
        if ((flags & LINE_COMMENT) != 0 || (flags & LINE_PATH) == 0)
            continue;
        pathLineBuffer[0] = '\0';
        GetLineText(i, pathLineBuffer, kWorkTextLimit);
        ParseText(pathLineBuffer, pathParsedBuffer, kWorkTextLimit);

        LPSTR value = std::strchr(pathParsedBuffer, '=');
        if (value != nullptr)
            ++value;
        else
            value = Advance(pathParsedBuffer, lstrlenA(pathWord));
        while (*value == ' ')
            ++value;

        // Pieces between ";" as they are (blanks kept, empty ones too),
        // except the reference to the path itself.
        for (LPCSTR piece = value; *piece != '\0';) {
            LPCSTR semicolon = std::strchr(piece, ';');
            int length =
                semicolon != nullptr ? static_cast<int>(semicolon - piece) : lstrlenA(piece);
            if (length != referenceLength || !EqualNoCaseAscii(piece, pathReference, length)) {
                char* copy = static_cast<char*>(AllocateRecord(static_cast<size_t>(length) + 1));
                if (copy == nullptr) {
                    failed = true;
                    break;
                }
                std::memcpy(copy, piece, static_cast<size_t>(length));
                copy[length] = '\0';
                list->Add(copy);
            }
            if (semicolon == nullptr)
                break;
            piece = semicolon + 1; // a ";" at the very end adds nothing after it
        }
    }
    if (failed || list->GetCount() == 0) {
        FreePathList(list);
        return nullptr;
    }
    return list;
}

int BatchTextFile::PathExists(LPCSTR directory) {
    if (directory == nullptr)
        return 0;
    LineList* list = CollectPathList();
    if (list == nullptr)
        return 0;
    int found = 0;
    for (int i = 0; i < list->GetCount() && found == 0; ++i)
        if (lstrcmpiA(directory, static_cast<LPCSTR>(list->GetAt(i))) == 0)
            found = 1;
    FreePathList(list);
    return found;
}

int BatchTextFile::AddPath(LPCSTR directory, LONG* result) {
    // An empty name is no directory: nothing to put on the path.
    if (directory == nullptr || *directory == '\0')
        return 0;
    if (PathExists(directory) == 1)
        return 0;
    LONG ignored = 0;
    if (result == nullptr)
        result = &ignored;
    int originalCount = GetLineCount();
    if (originalCount == 0) {
        *result = -1;
        return 0;
    }

    // Extend every PATH line that sets the path outright or that the
    // library wrote itself: the new text goes in a new line after it, the
    // old one is marked deleted. What the last insertion did decides.
    bool anyTried = false;
    bool lastInserted = false;
    int position = 0;
    for (int k = 0; k < originalCount; ++k, ++position) {
        DWORD flags = GetLineFlags(position);
        if (flags == NO_LINE_FLAGS)
            break;
        if ((flags & LINE_PATH) == 0 || (flags & LINE_DELETED) != 0 ||
            (flags & (LINE_ADDED | LINE_PATH_ABSOLUTE)) == 0)
            continue;
        pathLineBuffer[0] = '\0';
        GetLineText(position, pathLineBuffer, kWorkTextLimit);
        LPSTR text = pathLineBuffer;
        if (*text == '\0')
            continue;

        LPSTR value = std::strchr(text, '=');
        if (value != nullptr) {
            ++value;
        } else {
            value = SkipBlanksAndTabs(text);
            if (*value == '\0')
                continue;
            value = Advance(value, lstrlenA(pathWord));
        }
        value = SkipBlanksAndTabs(value);
        // The directory goes in front of the old value; a ";" standing there
        // already is dropped rather than doubled.
        int prefixLength = static_cast<int>(value - text);
        if (*value == ';')
            ++value;

        CountedString extended(kWorkBufferSize);
        AssignPart(extended, text, prefixLength);
        AppendText(extended.GetBuffer(), kWorkBufferSize, directory);
        AppendText(extended.GetBuffer(), kWorkBufferSize, ";");
        AppendText(extended.GetBuffer(), kWorkBufferSize, value);

        anyTried = true;
        lastInserted = InsertLine(extended.GetString(), position) == 1;
        if (!lastInserted)
            continue;
        DeleteLine(position);
        ++position; // the new line; the scan goes on after it
        SetLineFlags(position, GetLineFlags(position) | LINE_PATH_EXTENDED);
    }
    if (anyTried && lastInserted) {
        *result = GetLineCount();
        return 1;
    }

    // No line could take the directory: a line of its own at the end.
    CountedString appended(kWorkBufferSize);
    AppendText(appended.GetBuffer(), kWorkBufferSize, setPathWord);
    AppendText(appended.GetBuffer(), kWorkBufferSize, directory);
    AppendText(appended.GetBuffer(), kWorkBufferSize, ";");
    AppendText(appended.GetBuffer(), kWorkBufferSize, pathReference);
    AppendText(appended.GetBuffer(), kWorkBufferSize, "\r\n");
    int added = AddLineTail(appended.GetString());
    *result = added == 1 ? GetLineCount() - 1 : -1;
    return added;
}

int BatchTextFile::CheckPathLen() {
    if (IsShellKdos() == 1)
        return 1;
    int assignLength = lstrlenA(pathAssign);
    int referenceLength = lstrlenA(pathReference);
    CountedString running(kPathCheckCapacity);
    CountedString next(kPathCheckCapacity);
    int count = GetLineCount();
    for (int i = 0; i < count; ++i) {
        DWORD flags = GetLineFlags(i);
        if ((flags & LINE_PATH) == 0)
            continue;
        // Cut to 127 characters; a shorter text keeps its CR LF, which
        // counts in every length below.
        pathLineBuffer[0] = '\0';
        if (GetLineText(i, pathLineBuffer, kMaxPathLength) == nullptr)
            continue;
        LPSTR text = pathLineBuffer;
        if ((flags & LINE_PATH_ABSOLUTE) != 0)
            running.Clear();

        LPSTR value = std::strchr(text, '=');
        if (value != nullptr) {
            ++value;
        } else {
            int keyword = (flags & LINE_SET_PATH) != 0 ? lstrlenA(setPathWord) : lstrlenA(pathWord);
            value = Advance(SkipBlanksAndTabs(text), keyword);
        }
        value = SkipBlanksAndTabs(value);
        int prefixLength = static_cast<int>(value - text);
        int runningLength = running.GetLength();

        // "%path%" is looked for in the value, where it stands for the path
        // built so far.
        LPCSTR reference = FindNoCaseAscii(value, pathReference);
        if (reference != nullptr) {
            int beforeLength = static_cast<int>(reference - value);
            LPCSTR after = reference + referenceLength;
            int afterLength = lstrlenA(after);
            if (prefixLength + beforeLength + runningLength > kMaxPathLength ||
                prefixLength + beforeLength + runningLength + afterLength > kMaxPathLength)
                return 0;
            AssignPart(next, value, beforeLength);
            AppendText(next.GetBuffer(), kPathCheckCapacity, running.GetString());
            AppendText(next.GetBuffer(), kPathCheckCapacity, after);
            running = next;
        } else {
            running = value;
        }
        if (assignLength + running.GetLength() > kMaxPathLength)
            return 0;
    }
    return 1;
}

int BatchTextFile::FindWinLine() {
    char text[256];
    for (int i = 0; i < GetLineCount(); ++i)
        if (GetLineText(i, text, sizeof text - 1) != nullptr && IsWinCommand(text) == 1)
            return i;
    return -1;
}

int BatchTextFile::BeforeWin(LPCSTR text) {
    int win = FindWinLine();
    if (win == -1)
        return AddLineTail(text);
    if (win == 0)
        return AddLineTop(text);
    return InsertLine(text, win - 1);
}
