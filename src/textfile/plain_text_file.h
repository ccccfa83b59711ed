// textfile/plain_text_file.h: the general line editing that every file type
// shares: loading and splitting, classifying by comment markers, adding,
// commenting out and deleting lines, the wildcard search and the output
// image. Type 8 files use it as it is; the file-type classes derive from it.
#pragma once

#include "textfile/parse_helpers.h"
#include "textfile/text_file.h"
#include "textfile/text_line.h"
#include "util/counted_string.h"

class PlainTextFile : public TextFile {
  public:
    static constexpr int kMarkerCount = 4;
    // LineExists splits a pattern into at most this many pieces.
    static constexpr int kMaxPatternPieces = 4;

    PlainTextFile();
    ~PlainTextFile() override;

    int Open(LPCSTR fileName, LPCSTR marker1, LPCSTR marker2, LPCSTR marker3, LPCSTR marker4,
             DWORD ansiCase) override;
    int GetLineCount() override;
    int AddLineTop(LPCSTR text) override;
    int AddLineTail(LPCSTR text) override;
    int InsertLine(LPCSTR text, int index) override;
    DWORD GetLineFlags(int index) override;
    int SetLineFlags(int index, DWORD flags) override;
    LPSTR GetLineText(int index, LPSTR buffer, int size) override;
    LPSTR GetParsedLineText(int index, LPSTR buffer, int size) override;
    int SetLineText(int index, LPCSTR text) override;
    int RemLine(int index) override;
    int DeleteLine(int index) override;
    int LineExists(int firstIndex, LPCSTR pattern, int includeComments) override;
    DWORD GetSize() override;
    LPSTR CreateOutput(DWORD* size) override;
    int BeforeWin(LPCSTR text) override;
    int ParseText(LPCSTR source, LPSTR destination, int size) override;
    DWORD ClassifyLine(LPCSTR text) override;

  protected:
    // The line at index, or null for a missing line.
    TextLine* LineAt(int index) const { return static_cast<TextLine*>(lines.GetAt(index)); }
    // The plain parse of `source` into `destination`, then "name = value"
    // of it rewritten as NormaliseAssignment says, in `rebuilt`
    // (kWorkBufferSize bytes) or the parse work buffer; null (nothing to do)
    // without a destination.
    LPCSTR ParseAssignment(LPCSTR source, LPSTR destination, int size, qvr::AssignmentName rule,
                           LPSTR rebuilt);
    // The flags of a line of a settings file (configuration or
    // initialisation): the plain ones (comments), else an assignment, else a
    // section header, else 0. The parsed text is left in classifyBuffer.
    DWORD ClassifySettingLine(LPCSTR text);
    // Lower-cases in place by the ansiCase rule.
    void LowerCase(LPSTR text) const;
    // Stores one line read from the file; false when its record could not
    // be made.
    bool StoreLoadedLine(const BYTE* bytes, size_t length, bool appendLineEnd);

  private:
    // The line that GetLineText and GetParsedLineText copy from; null when
    // there is none (the buffer, if any, is then emptied for a missing
    // line record, left alone for an index past the end).
    TextLine* LineToReadBack(int index, LPSTR buffer) const;

    enum class Where { Top, Tail, After };
    int AddLine(LPCSTR text, Where where, int index);

    DWORD ansiCase = 0; // set by Open
    CountedString fileName;
    CountedString commentMarkers[kMarkerCount];
};

namespace qvr {

// Appends text to the string in buffer, cut so that buffer (capacity bytes)
// keeps its terminator.
void AppendText(LPSTR buffer, int capacity, LPCSTR text);

} // namespace qvr
