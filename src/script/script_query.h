// script/script_query.h: reading parsed images in place. A line is named by
// the address of its first byte; a section by the address of the first line
// of its body. Every function here is a linear scan from the address it is
// given; nothing is indexed, cached or allocated, and the image is never
// written. Pure logic: the callers choose the image (the exports take the
// current script context's).
#pragma once

#include <windows.h>
#include <cstddef>

namespace qvr {

// Offset of the first line of section `name`'s body from `image`, or 0 when
// there is no such section: no image, no name, no header `[name]` (ASCII case
// ignored) before the first Ctrl-Z byte, or the first such header is directly
// followed by another header or by the end of the image.
DWORD FindSectionOffset(const char* image, const char* name);

// The section scan steps from one header candidate to the next byte by byte
// (the shipped 32-bit DLL) or sixteen bytes at a time with SSE2 (builds for
// processors that all have it). FindSectionOffset uses the build's own;
// this one the chosen (Sse2 falls back to Scalar where SSE2 is not built),
// so that tests can hold both to the same answers.
enum class SectionScan { Scalar, Sse2 };
DWORD FindSectionOffsetWith(SectionScan scan, const char* image, const char* name);

// The same as an address: the section address, or null.
char* FindSection(char* image, const char* name);

// The line after the one that holds `line` when it belongs to the same
// section, else null (also for a null `line`).
char* NextLine(char* line);

// Lines from `line` to the end of its section, `line` included; 0 for null.
int LineCount(char* line);

// The start of the line that holds `line` (an address inside the
// `imageSize` bytes at `imageStart`), scanning back no further than
// `imageStart`; null when that line is a section header or `line` lies
// outside the image. See the .cpp for the exact stepping rules.
char* PrevLine(char* imageStart, size_t imageSize, char* line);

// Copies field `field` of `line` into `text` (at most `textSize` - 1 bytes
// and a terminator; `textSize` must be at least 1). Field 0 is the key (the
// text before the first unquoted '=' when that comes before any unquoted
// ','), fields 1, 2, ... the values after it. Quotes are removed ("" inside
// quotes gives one quote), blanks trimmed. 1 when the field exists, else 0
// with an empty `text`. A null `line` or `text` writes nothing and gives 1.
int ParseField(const char* line, unsigned field, char* text, size_t textSize);

// No output limit: the field is never longer than its line.
constexpr size_t kUnboundedText = static_cast<size_t>(-1);

// Looks `key` up in the section whose body starts at `section` and copies its
// value into `value` (a list value unchanged, a single value unquoted and
// trimmed). 1 when found; 0 and an empty `value` otherwise. `value` must not
// be null; it may share storage with `key` only when it starts before it.
int GetKeyValue(const char* section, const char* key, char* value);

// Value of `key` in `section` of `image`: 1, or 0 and an empty `value`.
int GetProfileValue(const char* image, const char* section, const char* key, char* value);

// Value of "section.key" (split at the last dot) in `image`. `keyPath` is
// written at that dot and restored before the return, unless `value` is the
// same buffer as `keyPath`: the buffer then holds the result (empty when there
// is none). 1, or 0 and an empty `value`; null `value` gives 0.
int LookupKeyPath(const char* image, char* keyPath, char* value);

// The text after the last dot of `keyPath` that is not its first character, or
// `keyPath` itself.
char* GetNamedSection(char* keyPath);

// Size of InfSearchRow's work buffer; longer names and fields are cut to fit.
constexpr size_t kSearchRowBufferSize = 512;

// Row (from 0) of the first line of `section` whose field `field` equals
// `match` (lstrcmpiA), or -1. The section name and each field pass through
// `work` (`workSize` bytes), cut to workSize - 1 characters. The row number
// is returned in 16 bits, as the installer receives it.
SHORT SearchRowIn(const char* image, const char* section, unsigned field, const char* match,
                  char* work, size_t workSize);
SHORT SearchRow(const char* image, const char* section, unsigned field, const char* match);

} // namespace qvr
