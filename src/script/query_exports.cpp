// script/query_exports.cpp: the installer's questions about the parsed script
// and disks.inf images. Exports that fall back on the current script context
// answer null, 0, -1 or nothing when there is none (before InfInit, after
// InfClose).
#include "fileops/file_io.h"
#include "qvrdll32.h"
#include "script/script_context.h"
#include "script/script_query.h"

using namespace qvr;

namespace {
char* ImageOrScript(char* image) {
    return image != nullptr ? image : CurrentScriptImage();
}
} // namespace

// Finds a section of `image` (null: the script): the address of its first
// line, or null.
extern "C" char* WINAPI InfFindSection(char* image, LPCSTR name) noexcept {
    return FindSection(ImageOrScript(image), name);
}

// Reads the value of `key` in `section` of `image` (null: the script).
extern "C" int WINAPI InfGetProfileString(char* image, LPCSTR section, LPCSTR key,
                                          char* value) noexcept {
    return GetProfileValue(ImageOrScript(image), section, key, value);
}

// Copies field `field` of a line (0: the key) into `text`.
extern "C" int WINAPI InfParseField(char* line, WORD field, char* text) noexcept {
    return ParseField(line, field, text, kUnboundedText);
}

// The next line of the same section, or null.
extern "C" char* WINAPI InfNextLine(char* line) noexcept {
    return NextLine(line);
}

// The start of the line that holds `line`, or null for a header. The bytes
// below are scanned only down to the start of the image that holds `line`
// (the script's or disks.inf's); an address in neither gives null.
extern "C" char* WINAPI InfPrevLine(char* line) noexcept {
    size_t size = 0;
    char* image = CurrentImageHolding(line, &size);
    return image != nullptr ? PrevLine(image, size, line) : nullptr;
}

// Number of lines from `line` to the end of its section, `line` included.
extern "C" int WINAPI InfLineCount(char* line) noexcept {
    return LineCount(line);
}

// Reads the value named "section.key" from the script.
extern "C" int WINAPI InfLookup(char* keyPath, char* value) noexcept {
    return LookupKeyPath(CurrentScriptImage(), keyPath, value);
}

// The part of "section.key" after its last dot.
extern "C" char* WINAPI InfGetNamedSection(char* keyPath) noexcept {
    return GetNamedSection(keyPath);
}

// Row (from 0) of the first line of a script section whose field `field`
// equals `match` ignoring case, or -1.
extern "C" SHORT WINAPI InfSearchRow(LPCSTR section, WORD field, LPCSTR match) noexcept {
    return SearchRow(CurrentScriptImage(), section, field, match);
}

// The parsed script image, for the installer to walk.
extern "C" char* WINAPI InfGetScriptPtr() noexcept {
    return CurrentScriptImage();
}

// The parsed disks.inf image, for the installer to walk.
extern "C" char* WINAPI InfGetDiskInfPtr() noexcept {
    return CurrentDiskInfImage();
}

// Releases both images, the current script context and its file service.
extern "C" void WINAPI InfClose() noexcept {
    CloseScriptContext();
    ReplaceFileService(nullptr);
}

// Releases the disks.inf image; the script stays.
extern "C" void WINAPI InfCloseDiskInf() noexcept {
    CloseDiskInfImage();
}
