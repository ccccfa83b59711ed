// textfile/text_file.h: the abstract text file object. The 29 virtual
// operations below are everything the text file exports reach, declared in
// their fixed slot order (the destructor is slot 0). Operations call one
// another through the virtual table, so a file-type class that overrides
// one of them changes the behaviour of the operations built on it.
//
// The defaults here do nothing: they neither read nor change the object.
#pragma once

#include "textfile/line_list.h"

#include <windows.h>

class TextFile {
  public:
    TextFile() = default;
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;

    // 0: frees the array of `lines` (the line records are the derived
    // class's to delete).
    virtual ~TextFile();
    // 1: loads the file; 1 loaded, 0 failed.
    virtual int Open(LPCSTR fileName, LPCSTR marker1, LPCSTR marker2, LPCSTR marker3,
                     LPCSTR marker4, DWORD ansiCase);
    // 2: number of lines, deleted ones included.
    virtual int GetLineCount();
    // 3-5: add a line at the top, at the end, or after line `index`.
    virtual int AddLineTop(LPCSTR text);
    virtual int AddLineTail(LPCSTR text);
    virtual int InsertLine(LPCSTR text, int index);
    // 6-7: the flags word of a line; NO_LINE_FLAGS for a missing line.
    virtual DWORD GetLineFlags(int index);
    virtual int SetLineFlags(int index, DWORD flags);
    // 8-9: the line's text (or its parsed form) cut to `size` characters
    // into `buffer` (size + 1 bytes); the buffer, or null.
    virtual LPSTR GetLineText(int index, LPSTR buffer, int size);
    virtual LPSTR GetParsedLineText(int index, LPSTR buffer, int size);
    // 10: replaces the text, flags kept.
    virtual int SetLineText(int index, LPCSTR text);
    // 11: comments the line out with marker 1.
    virtual int RemLine(int index);
    // 12: marks the line deleted (kept in the list, left out of the output).
    virtual int DeleteLine(int index);
    // 13: index of the first line from firstIndex matching the pattern, or -1.
    virtual int LineExists(int firstIndex, LPCSTR pattern, int includeComments);
    // 14: bytes of the output image.
    virtual DWORD GetSize();
    // 15: the output image in a new locked global block, or null.
    virtual LPSTR CreateOutput(DWORD* size);
    // 16: puts a directory on the search path; the line number goes to
    // *result (the operation's own result is not used).
    virtual int AddPath(LPCSTR directory, LONG* result);
    // 17-18: search path queries.
    virtual int PathExists(LPCSTR directory);
    virtual int CheckPathLen();
    // 19-22: the common block of a configuration file.
    virtual int AddTopCommon();
    virtual int AddBottomCommon();
    virtual int IsCommonAddedTop();
    virtual int IsCommonAddedBottom();
    // 23-24: the current section of an initialisation file.
    virtual int SetSection(LPCSTR name);
    virtual int ClearSection();
    // 25: adds a line before the line that starts Windows.
    virtual int BeforeWin(LPCSTR text);
    // 26: the comparison form of a line's text, at most `size` characters.
    virtual int ParseText(LPCSTR source, LPSTR destination, int size);
    // 27: the flags a line with this text starts with.
    virtual DWORD ClassifyLine(LPCSTR text);
    // 28: the directories on the search path (a list of heap strings that
    // the caller frees with FreePathList), or null.
    virtual LineList* CollectPathList();

  protected:
    LineList lines; // TextLine records in file order
};

namespace qvr {

// Frees a list from CollectPathList: every string, the array and the list.
void FreePathList(LineList* list);

} // namespace qvr
