// script/script_image.h: building and releasing parsed images. An image is
// a locked movable global block: the tokenizer's lines, then NUL NUL 0x1A
// and one more 0 byte; its size is (offset of 0x1A) + 2.
#pragma once

#include <windows.h>
#include <cstddef>

namespace qvr {

// Largest image size that gives no warning.
constexpr DWORD kImageWarningSize = 0xFFFF;

// disks.inf is read in pieces of at most this many characters.
constexpr int kDiskInfPieceChars = 509;

// Parses the whole file at `path` (fully qualified). Null when there is no
// path, the file cannot be read, or memory runs out.
char* BuildScriptImage(LPCSTR path);

// Parses the sections of the disks.inf at `path` whose names begin with
// `sectionPrefix` (ASCII case ignored). Null when nothing was selected.
char* BuildDiskInfImage(LPCSTR path, LPCSTR sectionPrefix);

// Parses `length` bytes of text into a new image; `messageId` is the string
// shown when the image exceeds 64K. Null when memory runs out.
char* BuildImageFromText(const unsigned char* text, size_t length, UINT messageId);

// Releases an image (null does nothing).
void ReleaseImage(char* image);

} // namespace qvr
