// textfile/line_flags.h: the bits of a line's flags word. The installer sees
// and sets them through the text file exports, so the values are fixed.
#pragma once

#include <windows.h>

constexpr DWORD LINE_ADDED = 0x1;    // not read from the file
constexpr DWORD LINE_REMARKED = 0x2; // commented out by RemLine
constexpr DWORD LINE_COMMENT = 0x4;  // parsed text begins with a comment marker
constexpr DWORD LINE_DELETED = 0x8;  // left out of the output

// Start-up batch file lines.
constexpr DWORD LINE_PATH = 0x10;           // sets the search path
constexpr DWORD LINE_SET_PATH = 0x20;       // the "set path=" form
constexpr DWORD LINE_PATH_ABSOLUTE = 0x40;  // no "%path%" in the parsed text
constexpr DWORD LINE_ASSIGNMENT = 0x80;     // parsed text holds "=" (not a comment)
constexpr DWORD LINE_PATH_EXTENDED = 0x800; // written by AddPath over a deleted PATH line

// Configuration and initialisation file lines.
constexpr DWORD LINE_SECTION = 0x100; // "[" then "]" later: a block or section header
constexpr DWORD LINE_COMMON = 0x400;  // the "[common]" block header (with LINE_SECTION)

// What GetLineFlags reports for a line that does not exist; never stored.
constexpr DWORD NO_LINE_FLAGS = 0xFFFF;
