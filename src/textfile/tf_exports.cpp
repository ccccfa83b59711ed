// textfile/tf_exports.cpp: the text file handles and the TF family. Each TF
// export finds the object of its handle and calls the one operation of the
// same name; a handle that is 0 or names no object gives the export's
// failure value and calls nothing.
#include "qvrdll32.h"
#include "textfile/line_flags.h"
#include "textfile/text_file_table.h"

namespace {

template <class T> struct Same { using Type = T; };

// Calls `operation` with `args` on the object that `handle` names; a handle
// that is 0 or names no object gives `failure` and calls nothing.
template <class R, class... Params, class... Args>
R Dispatch(DWORD handle, typename Same<R>::Type failure, R (TextFile::*operation)(Params...),
           Args... args) {
    TextFile* file = qvr::LookupTextFile(handle);
    return file == nullptr ? failure : (file->*operation)(args...);
}

} // namespace

// The public header spells out the values installers rely on.
static_assert(QVR_TEXT_BATCH == qvr::kBatchFileType && QVR_TEXT_CONFIG == qvr::kConfigFileType &&
              QVR_TEXT_INI == qvr::kIniFileType && QVR_TEXT_PLAIN == qvr::kPlainFileType);
static_assert(QVR_LINE_ADDED == LINE_ADDED && QVR_LINE_REMARKED == LINE_REMARKED &&
              QVR_LINE_COMMENT == LINE_COMMENT && QVR_LINE_DELETED == LINE_DELETED &&
              QVR_LINE_PATH == LINE_PATH && QVR_LINE_SET_PATH == LINE_SET_PATH &&
              QVR_LINE_PATH_ABSOLUTE == LINE_PATH_ABSOLUTE &&
              QVR_LINE_ASSIGNMENT == LINE_ASSIGNMENT && QVR_LINE_SECTION == LINE_SECTION &&
              QVR_LINE_COMMON == LINE_COMMON && QVR_LINE_PATH_EXTENDED == LINE_PATH_EXTENDED &&
              QVR_NO_LINE_FLAGS == NO_LINE_FLAGS);

// Loads `fileName` as a text file of `type` (1, 2, 4 or 8): its handle (1 to
// 5), or -1.
extern "C" int WINAPI CreateTextFileObject(LPCSTR fileName, int type, LPCSTR marker1,
                                           LPCSTR marker2, LPCSTR marker3, LPCSTR marker4,
                                           DWORD ansiCase) noexcept {
    return qvr::CreateTextFileObject(fileName, type, marker1, marker2, marker3, marker4, ansiCase);
}

// Frees the object and its handle without writing the file: 1, else 0.
extern "C" int WINAPI DestroyTextFileObject(DWORD handle) noexcept {
    return qvr::DestroyTextFileObject(handle);
}

// 1 when the handle names an open text file, else 0.
extern "C" int WINAPI IsValidTextFile(DWORD handle) noexcept {
    return qvr::IsValidTextFile(handle);
}

// Number of lines, deleted ones included.
extern "C" int WINAPI TFGetLineCount(DWORD handle) noexcept {
    return Dispatch(handle, 0, &TextFile::GetLineCount);
}

// Adds a line at the top (of the current section for type 4).
extern "C" int WINAPI TFAddLineTop(DWORD handle, LPCSTR text) noexcept {
    return Dispatch(handle, 0, &TextFile::AddLineTop, text);
}

// Adds a line at the end (of the current section for type 4).
extern "C" int WINAPI TFAddLineTail(DWORD handle, LPCSTR text) noexcept {
    return Dispatch(handle, 0, &TextFile::AddLineTail, text);
}

// Adds a line after line `index`.
extern "C" int WINAPI TFInsertLine(DWORD handle, LPCSTR text, int index) noexcept {
    return Dispatch(handle, 0, &TextFile::InsertLine, text, index);
}

// The line's flags; NO_LINE_FLAGS for a missing line. A bad handle gives
// NO_LINE_FLAGS too, not 0: 0 is a real answer (a line without flags).
extern "C" DWORD WINAPI TFGetLineFlags(DWORD handle, int index) noexcept {
    return Dispatch(handle, NO_LINE_FLAGS, &TextFile::GetLineFlags, index);
}

// Replaces the line's whole flags word.
extern "C" int WINAPI TFSetLineFlags(DWORD handle, int index, DWORD flags) noexcept {
    return Dispatch(handle, 0, &TextFile::SetLineFlags, index, flags);
}

// Copies the line's text, cut to `size` characters, into `buffer`.
extern "C" LPSTR WINAPI TFGetLineText(DWORD handle, int index, LPSTR buffer, int size) noexcept {
    return Dispatch(handle, nullptr, &TextFile::GetLineText, index, buffer, size);
}

// The same as TFGetLineText: the text as stored, not its parsed form.
extern "C" LPSTR WINAPI TFGetParsedLineText(DWORD handle, int index, LPSTR buffer,
                                            int size) noexcept {
    return Dispatch(handle, nullptr, &TextFile::GetLineText, index, buffer, size);
}

// Replaces the line's text; its flags stay.
extern "C" int WINAPI TFSetLineText(DWORD handle, int index, LPCSTR text) noexcept {
    return Dispatch(handle, 0, &TextFile::SetLineText, index, text);
}

// Comments the line out with the first comment marker.
extern "C" int WINAPI TFRemLine(DWORD handle, int index) noexcept {
    return Dispatch(handle, 0, &TextFile::RemLine, index);
}

// Leaves the line out of the output; it keeps its number.
extern "C" int WINAPI TFDeleteLine(DWORD handle, int index) noexcept {
    return Dispatch(handle, 0, &TextFile::DeleteLine, index);
}

// The first line from `firstIndex` that matches the pattern, or -1. A bad
// handle gives -1 too, not 0: 0 is a real answer (a match on line 0).
extern "C" int WINAPI TFLineExists(DWORD handle, int firstIndex, LPCSTR pattern,
                                   int includeComments) noexcept {
    return Dispatch(handle, -1, &TextFile::LineExists, firstIndex, pattern, includeComments);
}

// Bytes of the output image.
extern "C" DWORD WINAPI TFGetSize(DWORD handle) noexcept {
    return Dispatch(handle, 0, &TextFile::GetSize);
}

// The edited text in a new locked global block that the caller owns; its
// length goes to *size.
extern "C" LPSTR WINAPI TFCreateOutput(DWORD handle, DWORD* size) noexcept {
    return Dispatch(handle, nullptr, &TextFile::CreateOutput, size);
}

// Puts a directory on a batch file's search path: the number of the line
// written, the line count after extending PATH lines, or -1 when nothing
// was added.
extern "C" LONG WINAPI TFAddPath(DWORD handle, LPCSTR directory) noexcept {
    // The operation's own result is not the answer: the line number it
    // leaves in `result` is.
    LONG result = -1;
    Dispatch(handle, 0, &TextFile::AddPath, directory, &result);
    return result;
}

// 1 when the directory is on a batch file's search path.
extern "C" int WINAPI TFPathExists(DWORD handle, LPCSTR directory) noexcept {
    return Dispatch(handle, 0, &TextFile::PathExists, directory);
}

// 1 when the path a batch file builds stays within 127 characters.
extern "C" int WINAPI TFCheckPathLen(DWORD handle) noexcept {
    return Dispatch(handle, 0, &TextFile::CheckPathLen);
}

// Adds a "[common]" header as a configuration file's first line.
extern "C" int WINAPI TFAddTopCommon(DWORD handle) noexcept {
    return Dispatch(handle, 0, &TextFile::AddTopCommon);
}

// Adds a "[common]" header as a configuration file's last line.
extern "C" int WINAPI TFAddBottomCommon(DWORD handle) noexcept {
    return Dispatch(handle, 0, &TextFile::AddBottomCommon);
}

// 1 once TFAddTopCommon added a header to this file.
extern "C" int WINAPI TFIsCommonAddedTop(DWORD handle) noexcept {
    return Dispatch(handle, 0, &TextFile::IsCommonAddedTop);
}

// 1 once TFAddBottomCommon added a header to this file.
extern "C" int WINAPI TFIsCommonAddedBottom(DWORD handle) noexcept {
    return Dispatch(handle, 0, &TextFile::IsCommonAddedBottom);
}

// Chooses an initialisation file's section: its header's line number, or -1.
extern "C" int WINAPI TFSetSection(DWORD handle, LPCSTR name) noexcept {
    return Dispatch(handle, 0, &TextFile::SetSection, name);
}

// Forgets the current section.
extern "C" int WINAPI TFClearSection(DWORD handle) noexcept {
    return Dispatch(handle, 0, &TextFile::ClearSection);
}

// Adds a line before the line that starts Windows (type 1), else at the end.
extern "C" int WINAPI TFBeforeWin(DWORD handle, LPCSTR text) noexcept {
    return Dispatch(handle, 0, &TextFile::BeforeWin, text);
}
