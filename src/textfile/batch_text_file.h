// textfile/batch_text_file.h: the start-up batch file. On top of the plain
// line editing it knows the lines that set the search path (PATH), puts a
// directory on that path without losing what is there, checks the
// 127-character limit of the path the file builds, and finds the line that
// starts Windows so that new commands can go before it.
#pragma once

#include "textfile/plain_text_file.h"

class BatchTextFile : public PlainTextFile {
  public:
    // Also rebuilds the module-wide keyword strings from the string table.
    BatchTextFile();

    int AddPath(LPCSTR directory, LONG* result) override;
    int PathExists(LPCSTR directory) override;
    int CheckPathLen() override;
    int BeforeWin(LPCSTR text) override;
    int ParseText(LPCSTR source, LPSTR destination, int size) override;
    DWORD ClassifyLine(LPCSTR text) override;
    LineList* CollectPathList() override;

    // Index of the first line (deleted or remarked ones too) that starts
    // Windows, or -1.
    int FindWinLine();
};

namespace qvr {

// Keyword strings shared by every batch file object, rebuilt by each
// construction: "path ", "set path=", "%path%", "path=".
constexpr int kKeywordSize = 16;
extern char pathWord[kKeywordSize];
extern char setPathWord[kKeywordSize];
extern char pathReference[kKeywordSize];
extern char pathAssign[kKeywordSize];

// 1 when the text (its first 255 characters) runs Windows: the word WIN,
// or WIN.COM, WIN.EXE or WIN.BAT, after a word start or a path separator.
int IsWinCommand(LPCSTR text);

// 1 when COMSPEC names one of the two alternative command shells.
int IsShellKdos();

} // namespace qvr
