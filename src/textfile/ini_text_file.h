// textfile/ini_text_file.h: the initialisation file, edited one section at a
// time. SetSection chooses a section and finds its window, the body lines
// between its header and the next header; from then on adding, inserting,
// commenting out, deleting and finding lines act only inside that window.
// A section the file lacks gets its header appended to the file when the
// first line is added to it. Operations on the whole file (flags, texts,
// size, output) are the plain ones and take line numbers of the whole file.
#pragma once

#include "textfile/plain_text_file.h"

class IniTextFile : public PlainTextFile {
  public:
    // The longest section name: an added header "[name]" CR LF is built in a
    // string of 265 bytes.
    static constexpr int kMaxSectionName = 260;

    IniTextFile();

    // Adds at the top or the tail of the current section's body (creating a
    // missing header first). 0 for a null or empty text or while no section
    // is chosen, else 1.
    int AddLineTop(LPCSTR text) override;
    int AddLineTail(LPCSTR text) override;
    // Adds after line max(index, first body line), or at the tail when the
    // index is past the body, the body is empty or the header is missing.
    int InsertLine(LPCSTR text, int index) override;
    // Only lines inside the window; 1 when passed on, else 0. DeleteLine
    // also ends the window one line earlier.
    int RemLine(int index) override;
    int DeleteLine(int index) override;
    // The first match inside the window, searched from max(firstIndex,
    // first body line); -1 when none or when there is no window.
    int LineExists(int firstIndex, LPCSTR pattern, int includeComments) override;
    // Chooses the section and finds its header and body: the header's line
    // number, or -1 (the name stays chosen when only the header is missing).
    // A null or empty name, or one longer than kMaxSectionName, gives -1
    // and changes nothing.
    int SetSection(LPCSTR name) override;
    // Forgets the current section; 1.
    int ClearSection() override;
    // The plain parse; then a key loses every blank, control byte and byte
    // of 0x80 or more, the value its leading blanks; a header keeps its
    // blank runs (tabs become blanks), other lines get them made one blank.
    int ParseText(LPCSTR source, LPSTR destination, int size) override;
    // LINE_COMMENT, LINE_ASSIGNMENT or LINE_SECTION; at most one.
    DWORD ClassifyLine(LPCSTR text) override;

    int GetSectionLine() const { return sectionLine; }
    int GetSectionFirst() const { return sectionFirst; }
    int GetSectionLast() const { return sectionLast; }
    int GetSectionFound() const { return sectionFound; }
    LPCSTR GetSectionName() const { return sectionName.GetString(); }

  private:
    // The common first steps of the add operations: refuse a null or empty
    // text and the state with no section chosen; append a missing header.
    bool PrepareAdd(LPCSTR text);
    // A chosen section whose header is known and whose body is not empty.
    bool HasWindow() const;

    int sectionLine = -1;  // header line number, or -1
    int sectionFirst = -1; // first body line, or -1 for an empty body
    int sectionLast = -1;  // last body line, or -1 for an empty body
    int sectionFound = 0;  // 1 while the header line is known
    CountedString sectionName;
};
