// script/tokenizer.h: turns script and disks.inf text into the parsed image
// body: blanks outside quotes, comments, carriage returns and empty lines
// dropped; each stored line followed by NUL; one extra NUL before every
// section header that is not the first byte. Pure logic: no files, no
// memory blocks of its own (the caller's sink stores the bytes).
#pragma once

#include <cstddef>

namespace qvr {

// Receives the image bytes in order. The tokenizer needs to know whether
// anything was stored yet and what the last stored byte was.
class ImageSink {
  public:
    virtual ~ImageSink() = default;
    // Stores one byte; false when it could not (the tokenizer stops).
    virtual bool Put(unsigned char c) = 0;
    virtual size_t Size() const = 0;
    virtual unsigned char LastByte() const = 0;
};

// Runs the tokenizer over `length` bytes. Returns false only when the sink
// refused a byte. The NUL NUL 0x1A end is not appended (see AppendImageEnd).
bool Tokenize(const unsigned char* text, size_t length, ImageSink& sink);

// Appends NUL, NUL and the end marker 0x1A.
bool AppendImageEnd(ImageSink& sink);

constexpr unsigned char kImageEndMarker = 0x1A;

} // namespace qvr
