// textfile/text_line.h: one line of a text file: its flags word and its
// bytes (with the line end) in a counted string that grows as needed.
#pragma once

#include "util/counted_string.h"

#include <windows.h>

class TextLine {
  public:
    static constexpr int kInitialCapacity = 512;
    // GetText's limit on the characters it gives back.
    static constexpr int kTextLimit = 511;

    // A record from the text file heap (AllocateRecord); null when none can
    // be had. The flags are left for the creator to set.
    static TextLine* Create();
    static void Destroy(TextLine* line);

    TextLine() : text(kInitialCapacity) {}

    // Clears the whole buffer, then copies the text in (growing the buffer
    // when it is too small). 0 and no change for null text, else 1.
    int SetText(LPCSTR newText);
    // The text cut to 511 characters, in one static 512-byte buffer shared
    // by all lines: non-reentrant, overwritten by the next GetText.
    LPCSTR GetText() const;
    // The whole stored text, however long.
    LPCSTR GetFullText() const { return text.IsEmpty() ? "" : text.GetString(); }
    int GetCapacity() const { return text.GetCapacity(); }

    DWORD GetFlags() const { return flags; }
    int SetFlags(DWORD newFlags) {
        flags = newFlags;
        return 1;
    }

  private:
    DWORD flags = 0;
    CountedString text;
};
