// fileops/text_reader.h: reading a file line by line in the C runtime's text
// mode, without a C runtime: a CR LF pair arrives as LF, a CR that is not
// followed by LF stays, and the first Ctrl-Z (0x1A) ends the file.
#pragma once

#include <windows.h>

#include <stddef.h>

#include "util/unique.h"

namespace qvr {

// The text-mode rules over a stream of raw chunks. A CR at the end of a
// chunk is held back until the next byte tells whether it starts a CR LF
// pair; a CR followed by Ctrl-Z stays a CR, and the Ctrl-Z ends the text.
class TextModeDecoder {
  public:
    // Decodes `length` raw bytes into `out`, which must hold length + 1
    // bytes (a CR held back from the last chunk may come first). Returns the
    // number of bytes written. After the end of the text it writes nothing.
    size_t Decode(const char* raw, size_t length, char* out);
    // At the end of the file: writes a CR still held back (0 or 1 bytes).
    size_t Finish(char* out);
    bool Ended() const { return ended_; }

  private:
    bool heldCr_ = false;
    bool ended_ = false;
};

// A file opened for text-mode reading, as fopen(path, "rt") with fgets.
class TextFileReader {
  public:
    static constexpr size_t kMaxChunk = 1024;

    // `chunk` (1 to kMaxChunk) is the size of each read from the file.
    explicit TextFileReader(size_t chunk = kMaxChunk);
    TextFileReader(const TextFileReader&) = delete;
    TextFileReader& operator=(const TextFileReader&) = delete;

    // Opens an existing file for reading; others may read and write it meanwhile.
    bool Open(LPCSTR path);

    // Like fgets: reads up to size - 1 bytes, stopping after a line feed,
    // and terminates them with a zero byte. False, with the buffer untouched,
    // once there is nothing left to read (or on a read error).
    bool ReadLine(char* buffer, size_t size);

  private:
    // Reads and decodes the next chunk; false at the end of the text.
    bool Fill();

    FileHandle file_;
    size_t chunk_;
    size_t position_ = 0;
    size_t available_ = 0;
    bool atEnd_ = false;
    TextModeDecoder decoder_;
    char raw_[kMaxChunk];
    char decoded_[kMaxChunk + 1];
};

} // namespace qvr
