/*
 * qvrdll32.h: the exported interface of qvrdll32.dll for installer authors.
 *
 * Every function uses the standard Windows calling convention and is
 * exported under its decorated name: a leading underscore, the name, an at
 * sign and the number of argument bytes (_InfInit@4). Strings are
 * NUL-terminated ANSI text. The library is not reentrant: call it from one
 * thread, one function at a time.
 *
 * Results: 1 (or a count, index, handle, pointer) on success, 0 or NULL on
 * failure, -1 for a missing index, row or handle, 1000 from the file and tree
 * operations when work was put off to the next restart; the registry
 * functions return the platform's error code (0 = success). The reason for a
 * failure is left in GetLastError().
 */
#ifndef QVRDLL32_H
#define QVRDLL32_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifndef QVRAPI
#define QVRAPI WINAPI
#endif

/* The functions never throw: C++ callers see them as noexcept, which is also
 * how the library defines them. */
#ifdef __cplusplus
#define QVR_NOEXCEPT noexcept
#else
#define QVR_NOEXCEPT
#endif

/* Opaque records that SaveFunctions/RestoreFunctions pass around. */
typedef struct ScriptContext ScriptContext;
typedef struct FileService FileService;

/* WM_COMMAND wParam values the library sends to the installer's main window
 * (set with QVRSetHInstbin). */
#define QVR_SELECTED_SIZE_COMMAND 509 /* lParam: DWORD[2] reply block to fill */
#define QVR_DRIVE_VETO_COMMAND 507    /* the window writes 8 to veto the drive */

/* Result of the file and tree operations when work waits for the restart. */
#define QVR_DEFERRED_TO_RESTART 1000

/* ---- Library frame ---------------------------------------------------- */

/* Remembers the installer's main window. */
void QVRAPI QVRSetHInstbin(HWND window) QVR_NOEXCEPT;
/* Asks the installer window (WM_COMMAND 509) for the selected size: returns
 * the first word of its reply and stores the second through `second` when it
 * is not NULL. */
DWORD QVRAPI QVRGetSelectedSize(DWORD* second) QVR_NOEXCEPT;
/* Stores the current script context and file service through the pointers. */
void QVRAPI SaveFunctions(ScriptContext** context, FileService** service) QVR_NOEXCEPT;
/* Deletes the current context record and service and makes the given pair
 * current (images of the deleted record are not released). */
void QVRAPI RestoreFunctions(ScriptContext* context, FileService* service) QVR_NOEXCEPT;
/* EnumWindows callback: stops at the first window with an instance handle
 * and stores that handle in the cell at `found`. Exported under the C++
 * decorated name of int __stdcall TaskEnumProc(HWND, long), which is
 * QVR_TASKENUMPROC_NAME; the declaration below makes callers reference
 * exactly that name:
 *   - Microsoft's C++ compilers (and clang for *-windows-msvc) mangle the
 *     declaration to it themselves;
 *   - GCC and clang, in C or in MinGW's C++ (which mangles differently),
 *     take it from an asm label.
 * A C compiler that has neither (Microsoft's C) sees no declaration: look the
 * function up with GetProcAddress(module, QVR_TASKENUMPROC_NAME). */
#define QVR_TASKENUMPROC_NAME "?TaskEnumProc@@YGHPAUHWND__@@J@Z"
#if defined(QVR_BUILDING_LIBRARY)
/* The library defines it under a C name that its export list maps. */
BOOL QVRAPI TaskEnumProc(HWND window, LPARAM found) QVR_NOEXCEPT;
#elif defined(_MSC_VER) && defined(__cplusplus) && !defined(_WIN64)
} /* extern "C" */
BOOL QVRAPI TaskEnumProc(struct HWND__* window, LPARAM found) QVR_NOEXCEPT;
extern "C" {
#elif defined(__clang__)
BOOL QVRAPI TaskEnumProc(HWND window, LPARAM found) QVR_NOEXCEPT __asm__(QVR_TASKENUMPROC_NAME);
#elif defined(__GNUC__)
/* The GNU assembler takes a name with '?' and '@' only in quotes. */
BOOL QVRAPI TaskEnumProc(HWND window, LPARAM found) QVR_NOEXCEPT __asm__("\"" QVR_TASKENUMPROC_NAME "\"");
#endif

/* ---- File I/O --------------------------------------------------------- */

/* OpenFile(path, info, style): the HFILE, or -1 (HFILE_ERROR). */
HFILE QVRAPI QVROpenFile(LPCSTR path, OFSTRUCT* info, UINT style) QVR_NOEXCEPT;
/* Reads a whole file into a locked movable global block that the caller
 * owns. An empty file reads as one zero byte. Returns the locked pointer and
 * fills *block and *size; NULL (and *block = 0) on failure. */
void* QVRAPI QVRLoadFile(LPCSTR path, HGLOBAL* block, DWORD* size) QVR_NOEXCEPT;
/* Reads `length` bytes at `offset` into `buffer` (or, when it is NULL, into a
 * new locked global block that the caller owns). The range must end before
 * the file's last byte. Returns the buffer or NULL. */
BYTE* QVRAPI QVRLoadFilePartial(LPCSTR path, BYTE* buffer, DWORD offset, DWORD length) QVR_NOEXCEPT;
/* Writes `length` bytes to the file opened with OpenFile style `style`
 * (OF_READWRITE alone appends). 1 on success, 0 on failure. */
int QVRAPI QVRPutFile(LPCSTR path, const void* data, DWORD length, UINT style) QVR_NOEXCEPT;
/* Overwrites `length` bytes at `offset` in an existing file. 1 or 0. */
int QVRAPI QVRUpdateFile(LPCSTR path, const void* data, LONG offset, DWORD length) QVR_NOEXCEPT;

/* ---- Script loading and parsing --------------------------------------- */

/* Loads and parses the installation script; starts a new script context.
 * 1 when the image was built, 0 otherwise. */
int QVRAPI InfInit(LPCSTR path) QVR_NOEXCEPT;
/* Adds the image of the disks.inf sections whose names begin with
 * `sectionPrefix` to the current context. 1 or 0. */
int QVRAPI InfInitDiskInf(LPCSTR path, LPCSTR sectionPrefix) QVR_NOEXCEPT;

/* ---- Script queries ---------------------------------------------------- */
/* A line is named by the address of its first byte in a parsed image; a
 * section by the address of the first line after its header. Addresses stay
 * valid until the image is released. Output buffers have no size: a buffer
 * as long as the image's longest line is always enough. Without a current
 * script context (before InfInit, after InfClose) the functions that use the
 * script image answer NULL, 0 or -1. */

/* Finds section `name` (ASCII case ignored) in `image` (NULL: the script):
 * the address of its first line, or NULL (also for a section without lines). */
char* QVRAPI InfFindSection(char* image, LPCSTR name) QVR_NOEXCEPT;
/* Copies the value of `key` in `section` of `image` (NULL: the script) into
 * `value`: 1, or 0 and an empty string. */
int QVRAPI InfGetProfileString(char* image, LPCSTR section, LPCSTR key, char* value) QVR_NOEXCEPT;
/* Copies field `field` of `line` into `text` (0: the key, 1...: the values),
 * unquoted and trimmed: 1, or 0 and an empty string when the line has no such
 * field. A NULL `line` or `text` writes nothing and gives 1. */
int QVRAPI InfParseField(char* line, WORD field, char* text) QVR_NOEXCEPT;
/* The next line of the same section, or NULL. */
char* QVRAPI InfNextLine(char* line) QVR_NOEXCEPT;
/* The start of the line that holds `line` (pass the address of the previous
 * line's last byte, line - 2, to step back a line), or NULL when that is a
 * section header or `line` lies in neither current image. */
char* QVRAPI InfPrevLine(char* line) QVR_NOEXCEPT;
/* Number of lines from `line` to the end of its section, `line` included. */
int QVRAPI InfLineCount(char* line) QVR_NOEXCEPT;
/* Copies the value named "section.key" (split at the last dot) from the
 * script into `value`: 1, or 0 and an empty string. `keyPath` is unchanged
 * afterwards unless `value` is the same buffer, which then holds the value. */
int QVRAPI InfLookup(char* keyPath, char* value) QVR_NOEXCEPT;
/* The address of the text after the last dot of `keyPath` (a dot in the first
 * position does not count), or `keyPath` itself. */
char* QVRAPI InfGetNamedSection(char* keyPath) QVR_NOEXCEPT;
/* Row (from 0) of the first line of script section `section` whose field
 * `field` equals `match` ignoring case, or -1. Names and fields are compared
 * up to 511 characters. */
SHORT QVRAPI InfSearchRow(LPCSTR section, WORD field, LPCSTR match) QVR_NOEXCEPT;
/* The parsed script image, or NULL. */
char* QVRAPI InfGetScriptPtr(void) QVR_NOEXCEPT;
/* The parsed disks.inf image, or NULL. */
char* QVRAPI InfGetDiskInfPtr(void) QVR_NOEXCEPT;
/* Releases both images and the current script context. */
void QVRAPI InfClose(void) QVR_NOEXCEPT;
/* Releases the disks.inf image; the script image stays. */
void QVRAPI InfCloseDiskInf(void) QVR_NOEXCEPT;

/* ---- Text files ------------------------------------------------------- */

/* 1 when the command interpreter named by the environment variable COMSPEC
 * is KDOS.COM or ZDOS.COM (case-sensitive substring), else 0. Under those
 * shells the start-up batch file has no 127-character path limit. */
int QVRAPI IsShellKdos(void) QVR_NOEXCEPT;
/* ---- Paths and directories ------------------------------------------- */

/* Makes sure the directory `path` exists, creating every missing level.
 * `window` (may be NULL) first gets WM_COMMAND 507 with lParam pointing at a
 * 32-bit cell holding the upper-case drive letter; writing 8 there vetoes a
 * path with a drive. 0 exists or created, 1 vetoed, 2 not possible (or a
 * drive root of unknown type), 3 the root of a known drive (nothing done). */
int QVRAPI QVRCreateDir(HWND window, LPCSTR path) QVR_NOEXCEPT;
/* Non-zero when `path` is a directory that can be entered; the current
 * directory is left as it was. */
BOOL QVRAPI QVRIsValidDir(LPCSTR path) QVR_NOEXCEPT;
/* 1 for a \\server\share path, else 0. */
int QVRAPI IsUNCPath(LPCSTR path) QVR_NOEXCEPT;
/* Always 1: long file names are supported. */
int QVRAPI QVRSystemSupportsLFN(void) QVR_NOEXCEPT;
/* GetVolumeInformationA of `root`: the low 16 bits of the file system flags,
 * maximum component length and serial number (all 0 on failure). */
BOOL QVRAPI QVRGetLFNVolumeInfo(LPCSTR root, WORD* flags, WORD* maxComponentLength,
                                WORD* serial) QVR_NOEXCEPT;
/* SetCurrentDirectoryA(path). */
BOOL QVRAPI QVRChangeDirectory(LPCSTR path) QVR_NOEXCEPT;
/* The current directory into `buffer` (the first argument is ignored): 1, or
 * 0 on failure; a too small buffer is left empty with the result 1. */
int QVRAPI QVRGetCurrentDirectory(int unused, LPSTR buffer, DWORD size) QVR_NOEXCEPT;
/* CreateDirectoryA(path, NULL). */
BOOL QVRAPI QVRMakeDirectory(LPCSTR path) QVR_NOEXCEPT;
/* set != 0: SetFileAttributesA(path, *attributes). set == 0: stores the
 * attributes in *attributes and returns 1, or 0 (with 0xFFFFFFFF stored) for
 * a missing path. */
BOOL QVRAPI QVRGetSetFileAttributes(BOOL set, LPCSTR path, DWORD* attributes) QVR_NOEXCEPT;
/* MoveFileA(from, to); 0 when either name is NULL or empty. */
BOOL QVRAPI QVRRenameFile(LPCSTR from, LPCSTR to) QVR_NOEXCEPT;
/* RemoveDirectoryA(path); 0 when `path` is NULL or empty. */
BOOL QVRAPI QVRRemoveDirectory(LPCSTR path) QVR_NOEXCEPT;
/* The short form of an existing path into `buffer`: 1, or 0 when the path
 * does not exist (1 with an empty buffer when it is too small). */
int QVRAPI QVRGetNonLFNName(LPCSTR path, LPSTR buffer, DWORD size) QVR_NOEXCEPT;
/* Always 0; the arguments are ignored. */
int QVRAPI QVRGetLFNName(DWORD unused1, DWORD unused2, DWORD unused3) QVR_NOEXCEPT;
/* FindFirstFileA(pattern, data) (`attributes` is ignored): the search
 * handle, or NULL (never INVALID_HANDLE_VALUE) when nothing is found. */
HANDLE QVRAPI QVRFindFirstFile(LPCSTR pattern, DWORD attributes, WIN32_FIND_DATAA* data) QVR_NOEXCEPT;
/* FindNextFileA(search, data). */
BOOL QVRAPI QVRFindNextFile(HANDLE search, WIN32_FIND_DATAA* data) QVR_NOEXCEPT;
/* FindClose(search); 1 for a NULL handle. */
BOOL QVRAPI QVRFindClose(HANDLE search) QVR_NOEXCEPT;

/* ---- Copy, delete and tree operations --------------------------------- */
/* Each gives 1 when done, QVR_DEFERRED_TO_RESTART (1000) when something was
 * in use and waits for the next restart, 0 on failure (GetLastError() holds
 * the reason; ERROR_INVALID_PARAMETER for a NULL or empty path). A file is in
 * use when it cannot be opened for reading and writing without sharing:
 * open elsewhere, read-only, or in a missing directory.
 *
 * QVRDelTree, InstRemTempDirNT and QVRTryRemoveDir refuse a root that would
 * take a drive or the system with it: a drive or share root in any spelling
 * ("C:", "C:\", "\", "/", "\\server\share"), the Windows directory, the
 * system directory and any directory that holds one of them, in long or
 * short form, also when reached through ".", ".." or the current directory.
 * Such a call gives 0 with ERROR_ACCESS_DENIED; nothing is deleted or
 * scheduled. Paths are resolved as GetFullPathNameA does at the time of the
 * call (for QVRDelTree, with the Windows directory current). */

/* Copies `source` to `destination`. An in-use destination stays as it is:
 * the copy goes beside it under its name with the last byte replaced by '^'
 * (FOO.DLL -> FOO.DL^) and takes its place at the restart. */
int QVRAPI QVRCopyFile(LPCSTR destination, LPCSTR source) QVR_NOEXCEPT;
/* Deletes a file, or schedules an in-use one for deletion. */
int QVRAPI QVRDeleteFile(LPCSTR path) QVR_NOEXCEPT;
/* Removes a directory with all it holds; in-use files, and then the
 * directory, are scheduled (1000). Read-only files and a read-only directory
 * lose that attribute; a directory's other attributes are not changed. 0 for
 * a missing directory or one that cannot be removed. The current directory
 * is the Windows directory during the call and restored afterwards. */
int QVRAPI QVRDelTree(LPCSTR directory) QVR_NOEXCEPT;
/* Copies the tree `sourceDirectory` into `destinationDirectory` (created
 * when missing), expanding LZ-compressed files: FOO.DL_ arrives as FOO.DLL,
 * under its expanded name. Each file passes through a temporary in the
 * destination named with its first character replaced by '~' ('^' for a name
 * that begins with '~'), which is deleted. The first failure stops the copy
 * (0); 1 for a source that cannot be searched. A destination that is the
 * source or lies inside it gives 0 with ERROR_INVALID_PARAMETER, and nothing
 * is made. */
int QVRAPI QVRDumpDirectory(LPCSTR sourceDirectory, LPCSTR destinationDirectory) QVR_NOEXCEPT;
/* Windows NT only: schedules the files directly in `directory` and then the
 * directory for deletion at the restart (subdirectories are left alone).
 * Non-zero when the directory was scheduled; 0 on other platforms. */
int QVRAPI InstRemTempDirNT(LPCSTR directory) QVR_NOEXCEPT;
/* Removes an empty directory (1), or schedules its removal and gives 1000;
 * 0 for a NULL or empty path or a refused root (see above). */
int QVRAPI QVRTryRemoveDir(LPCSTR directory) QVR_NOEXCEPT;

/* ---- Targets ---------------------------------------------------------- */

/* Byte offset, in the installer's own record, of its TargetTable pointer
 * (not aligned; null while the record has no table). */
#define QVR_TARGET_TABLE_OFFSET 810

/* One target: its text in a heap buffer (265 bytes when created) and its
 * relation: kind in the high 16 bits, base target index in the low 16. */
typedef struct TargetEntry {
    char* text;
    DWORD relation;
} TargetEntry;

/* The table of a record: slotCount pointers to entries (null: empty). Both
 * structures are 8 bytes in the 32-bit library. */
typedef struct TargetTable {
    TargetEntry** slots;
    LONG slotCount;
} TargetTable;

/* Kinds of target (high 16 bits of TargetEntry.relation). */
#define QVR_TARGET_ABSOLUTE 0
#define QVR_RELATIVE_TO_TARGET 1
#define QVR_RELATIVE_TO_VARIABLE 2

/* Sets target `index` of the record's table to `value` (at most 264
 * characters). On a relative target, nameOnly != 0 keeps only the value's
 * last component and the relation; nameOnly == 0 makes it absolute. 1 stored,
 * 0 not stored (the old text stays). */
int QVRAPI SetTarget(void* record, int index, LPCSTR value, BOOL nameOnly) QVR_NOEXCEPT;
/* The target's full path into `path` (which must hold the base text, one
 * backslash and the target's text): returns `path`, empty for an empty slot;
 * NULL for a negative index or a record without a table. A target relative
 * to a non-target variable shows a message box and gives its own text. */
char* QVRAPI GetTarget(void* record, int index, char* path) QVR_NOEXCEPT;
/* Stores the relation word (e.g. 0x00010002: relative to TARGET2) of an
 * existing target: non-zero, 0 for an empty slot, `index` when negative. */
int QVRAPI SetRelativeTarget(void* record, int index, DWORD relation) QVR_NOEXCEPT;
/* The relation word of a target, or -1 (0xFFFFFFFF) when there is none. */
DWORD QVRAPI GetRelativeTarget(void* record, int index) QVR_NOEXCEPT;
/* "TARGET" -> 0, "TARGETn" -> n (read like atol); -1 for anything else. */
int QVRAPI GetTargetIndex(LPCSTR name) QVR_NOEXCEPT;
/* Gives the record a new, empty table of `slotCount` slots (0: 20), dropping
 * the old one. 1 when the record has a table, else 0. */
int QVRAPI InitTargetBuffers(void* record, DWORD slotCount) QVR_NOEXCEPT;
/* Drops the record's table; the targets' text buffers stay valid. */
void QVRAPI DeleteTargetBuffers(void* record) QVR_NOEXCEPT;
/* A writable buffer for the target's text of at least minLength + 1 bytes
 * (a new one holds exactly that), creating an empty target first when the
 * slot is empty; NULL when out of range or out of memory. */
char* QVRAPI GetTargetBufPtr(void* record, int index, int minLength) QVR_NOEXCEPT;
/* Copies every target of `source` (text and relation) into the slot of the
 * same index in `destination`, with buffers of the destination's own. */
void QVRAPI DeepCloneTargets(TargetTable* destination, TargetTable* source) QVR_NOEXCEPT;

/* ---- Text file handles and the TF family ------------------------------ */
/* A text file is loaded whole into a list of lines, edited by line number
 * (from 0, in the whole file; deleted lines keep their numbers) and handed
 * back as one block by TFCreateOutput, which the caller writes out itself
 * (QVRPutFile): nothing is written when a handle is destroyed. Texts that
 * are added or set are stored as given; a caller that wants a line to end
 * passes its CR LF. Read-backs give at most 511 characters of a line.
 *
 * Handles are 1 to 5, the first free one is given out (destroyed handles
 * come back), and at most 5 files are open at a time. InfInit forgets every
 * handle given out before it (the objects are abandoned, not written).
 * Every TF function on a handle that is 0 or not open returns 0 (NULL),
 * except TFGetLineFlags (QVR_NO_LINE_FLAGS), TFLineExists (-1) and
 * TFAddPath (-1). */

/* File types of CreateTextFileObject. */
#define QVR_TEXT_BATCH 1  /* start-up batch file: PATH lines, the Windows line */
#define QVR_TEXT_CONFIG 2 /* start-up configuration file: blocks, "[common]" */
#define QVR_TEXT_INI 4    /* initialisation file: edited one section at a time */
#define QVR_TEXT_PLAIN 8  /* any text file, no file-type rules */

/* Line flags, as TFGetLineFlags reports and TFSetLineFlags stores them. */
#define QVR_LINE_ADDED 0x1           /* added, not read from the file */
#define QVR_LINE_REMARKED 0x2        /* commented out by TFRemLine */
#define QVR_LINE_COMMENT 0x4         /* begins with one of the comment markers */
#define QVR_LINE_DELETED 0x8         /* left out of the output */
#define QVR_LINE_PATH 0x10           /* batch: sets the search path */
#define QVR_LINE_SET_PATH 0x20       /* batch: the "set path=" form */
#define QVR_LINE_PATH_ABSOLUTE 0x40  /* batch: PATH line without "%path%" */
#define QVR_LINE_ASSIGNMENT 0x80     /* batch, config, ini: holds "=" */
#define QVR_LINE_SECTION 0x100       /* config, ini: "[name]" header */
#define QVR_LINE_COMMON 0x400        /* config: the "[common]" header */
#define QVR_LINE_PATH_EXTENDED 0x800 /* batch: written by TFAddPath */
/* The flags of a line that does not exist (never stored). */
#define QVR_NO_LINE_FLAGS 0xFFFF

/* Loads `fileName` as a text file of `type` (QVR_TEXT_...): the handle, or -1
 * when 5 are open (the file is not read), the type is unknown, memory is out
 * or the file cannot be read. Lines that begin with one of the up to four
 * comment markers (NULL or "" for none; case of A-Z ignored) are comments;
 * marker 1 is what TFRemLine puts in front of a line. `ansiCase` non-zero
 * lower-cases for comparisons with CharLowerA, zero only A to Z. */
int QVRAPI CreateTextFileObject(LPCSTR fileName, int type, LPCSTR marker1, LPCSTR marker2,
                                LPCSTR marker3, LPCSTR marker4, DWORD ansiCase) QVR_NOEXCEPT;
/* Frees the object and its handle without writing the file: 1, else 0. */
int QVRAPI DestroyTextFileObject(DWORD handle) QVR_NOEXCEPT;
/* 1 when the handle names an open text file, else 0. */
int QVRAPI IsValidTextFile(DWORD handle) QVR_NOEXCEPT;

/* Number of lines, deleted ones included. */
int QVRAPI TFGetLineCount(DWORD handle) QVR_NOEXCEPT;
/* Add a line as the first or last line; type 4: at the top or the tail of
 * the current section's body, its header appended to the file first when
 * it is missing (0 while no section is chosen). 1, or 0 for a NULL or empty
 * text. */
int QVRAPI TFAddLineTop(DWORD handle, LPCSTR text) QVR_NOEXCEPT;
int QVRAPI TFAddLineTail(DWORD handle, LPCSTR text) QVR_NOEXCEPT;
/* Adds a line after line `index` (at the end when `index` is past the last
 * line; 0 for a negative index). Type 4: inside the current section, after
 * max(index, first body line), or at its tail. */
int QVRAPI TFInsertLine(DWORD handle, LPCSTR text, int index) QVR_NOEXCEPT;
/* The line's flags (QVR_LINE_...), or QVR_NO_LINE_FLAGS for a missing line
 * or a handle that is 0 or not open. */
DWORD QVRAPI TFGetLineFlags(DWORD handle, int index) QVR_NOEXCEPT;
/* Stores the whole flags word: 1, or 0 for a missing line. */
int QVRAPI TFSetLineFlags(DWORD handle, int index, DWORD flags) QVR_NOEXCEPT;
/* Copies the line's text (with its line end, at most 511 characters) cut to
 * `size` characters into `buffer` (size + 1 bytes): `buffer`, or NULL. */
LPSTR QVRAPI TFGetLineText(DWORD handle, int index, LPSTR buffer, int size) QVR_NOEXCEPT;
/* The same as TFGetLineText: the text as stored, not a parsed form. */
LPSTR QVRAPI TFGetParsedLineText(DWORD handle, int index, LPSTR buffer, int size) QVR_NOEXCEPT;
/* Replaces the line's text; flags unchanged. 1, or 0 for a missing line. */
int QVRAPI TFSetLineText(DWORD handle, int index, LPCSTR text) QVR_NOEXCEPT;
/* Comments the line out: marker 1, a blank, the old text (QVR_LINE_REMARKED).
 * Type 4: only lines of the current section. 1 or 0. */
int QVRAPI TFRemLine(DWORD handle, int index) QVR_NOEXCEPT;
/* Marks the line QVR_LINE_DELETED: it keeps its number but is not written.
 * Type 4: only lines of the current section, whose window then ends one
 * line earlier. 1 or 0. */
int QVRAPI TFDeleteLine(DWORD handle, int index) QVR_NOEXCEPT;
/* The first line from `firstIndex` whose parsed text (trimmed, lower-cased,
 * blank runs made one) matches `pattern`, or -1 (also for a handle that is
 * 0 or not open). The pattern matches at the start of the text; "*" between
 * pieces (at most 4) matches anything, a leading "*" frees the first piece
 * from the start, "**" stands for a literal "*". Remarked and comment lines
 * are skipped unless `includeComments` is non-zero. Type 4: only inside the
 * current section. */
int QVRAPI TFLineExists(DWORD handle, int firstIndex, LPCSTR pattern, int includeComments) QVR_NOEXCEPT;
/* Bytes of the output image (lines not deleted). */
DWORD QVRAPI TFGetSize(DWORD handle) QVR_NOEXCEPT;
/* The edited text, every line not deleted in order, in a new locked movable
 * global block (one zero byte after the text) that the caller owns; its
 * length goes to *size. NULL when there is nothing to write. */
LPSTR QVRAPI TFCreateOutput(DWORD handle, DWORD* size) QVR_NOEXCEPT;
/* Type 1: puts `directory` first on every PATH line that sets the path
 * outright (or was added by the library), else appends
 * "set path=DIR;%path%". Returns the line count after extending lines, the
 * number of the appended line, or -1 when nothing was added (already on the
 * path, no lines, other types, bad handle). */
LONG QVRAPI TFAddPath(DWORD handle, LPCSTR directory) QVR_NOEXCEPT;
/* Type 1: 1 when `directory` (case ignored) is on the search path, else 0.
 * Other types give 1. */
int QVRAPI TFPathExists(DWORD handle, LPCSTR directory) QVR_NOEXCEPT;
/* Type 1: 1 when the path the file builds stays within 127 characters (or
 * COMSPEC is KDOS.COM or ZDOS.COM), else 0. Other types give 1. */
int QVRAPI TFCheckPathLen(DWORD handle) QVR_NOEXCEPT;
/* Type 2: add "[common]" CR LF as the first (last) line, even when the file
 * has one: 1, or 0 when memory is out. Other types give 1 and do nothing. */
int QVRAPI TFAddTopCommon(DWORD handle) QVR_NOEXCEPT;
int QVRAPI TFAddBottomCommon(DWORD handle) QVR_NOEXCEPT;
/* Type 2: 1 once TFAddTopCommon (TFAddBottomCommon) added a header to this
 * file, else 0. Other types give 1. */
int QVRAPI TFIsCommonAddedTop(DWORD handle) QVR_NOEXCEPT;
int QVRAPI TFIsCommonAddedBottom(DWORD handle) QVR_NOEXCEPT;
/* Type 4: chooses the section `name` (at most 260 characters; case ignored;
 * "*" as in TFLineExists) for the line operations: its header's line
 * number, or -1 when the file lacks it (the name stays chosen and the next
 * add creates the header at the end of the file). Other types give 0. */
int QVRAPI TFSetSection(DWORD handle, LPCSTR name) QVR_NOEXCEPT;
/* Type 4: forgets the current section. 1. */
int QVRAPI TFClearSection(DWORD handle) QVR_NOEXCEPT;
/* Type 1: adds a line just before the line that starts Windows (at the end
 * when there is none). Other types: as TFAddLineTail. */
int QVRAPI TFBeforeWin(DWORD handle, LPCSTR text) QVR_NOEXCEPT;

/* ---- Registry --------------------------------------------------------- */

/* Called once per subkey by QVREnumReg32Keys: the open key being walked, the
 * subkey's name, the walked key's own class string and the caller's context.
 * Return non-zero to go on, 0 to stop. */
typedef BOOL(QVRAPI* QVRRegKeyProc)(HKEY key, LPCSTR subKeyName, LPCSTR keyClass,
                                    DWORD_PTR context);
/* Called once per value by QVREnumReg32Values. `data` points into a buffer
 * that is reused for the next value: copy what must be kept. Return non-zero
 * to go on, 0 to stop. */
typedef BOOL(QVRAPI* QVRRegValueProc)(HKEY key, DWORD type, LPCSTR valueName, const BYTE* data,
                                      DWORD size, DWORD_PTR context);

/* The context of QVRRegEnumValProc: the value sought and where its type, its
 * data and its size go. 20 bytes in the 32-bit library (each field 4 bytes,
 * in this order); pointers are 8 bytes in a 64-bit build. */
typedef struct RegValueSearch {
    LPCSTR name;  /* value name sought, compared without regard to case */
    DWORD* type;  /* receives the value's type */
    void* data;   /* receives the locked copy of the data (caller frees), or NULL */
    DWORD* size;  /* receives the data's size in bytes */
    DWORD status; /* 0 found and copied, 8 copy not allocated; unchanged if no match */
} RegValueSearch;

/* RegCreateKeyExA with KEY_ALL_ACCESS and the class `keyClass`; the key is
 * closed again. Returns the registry's error code. */
LONG QVRAPI QVRCreateReg32Key(HKEY root, LPCSTR subKey, LPSTR keyClass) QVR_NOEXCEPT;
/* Creates the key (with missing parents) and writes one value. Returns the
 * code of creating or opening the key: a refused value write still gives 0.
 * ERROR_INVALID_PARAMETER when `data` is NULL and `size` is not 0. */
LONG QVRAPI QVRSetReg32Value(HKEY root, LPCSTR subKey, LPCSTR valueName, DWORD type,
                             const BYTE* data, DWORD size) QVR_NOEXCEPT;
/* Reads one value (name compared without regard to case; NULL = the key's
 * default value). Returns 0 with *data a locked global block of *size bytes
 * that the caller frees (GlobalUnlock and GlobalFree of GlobalHandle(*data);
 * NULL for a value of 0 bytes), 8 when the copy could not be allocated, 13
 * when there is no such value or key; ERROR_INVALID_PARAMETER when an output
 * pointer is NULL. */
LONG QVRAPI QVRGetReg32Value(HKEY root, LPCSTR subKey, LPCSTR valueName, DWORD* type, void** data,
                             DWORD* size) QVR_NOEXCEPT;
/* Calls `callback` for each subkey of the key until it returns 0. Returns the
 * code of opening and querying the key (0 whatever the walk gave);
 * ERROR_INVALID_PARAMETER for a NULL callback. */
LONG QVRAPI QVREnumReg32Keys(HKEY root, LPCSTR subKey, DWORD_PTR context, QVRRegKeyProc callback) QVR_NOEXCEPT;
/* Calls `callback` for each value of the key until it returns 0. Returns the
 * code of opening and querying the key; ERROR_INVALID_PARAMETER for a NULL
 * callback. */
LONG QVRAPI QVREnumReg32Values(HKEY root, LPCSTR subKey, DWORD_PTR context,
                               QVRRegValueProc callback) QVR_NOEXCEPT;
/* A value callback for QVREnumReg32Values whose context is a RegValueSearch:
 * on the value named search->name it fills the search and returns 0 (stop);
 * 1 (go on) for any other value. */
BOOL QVRAPI QVRRegEnumValProc(HKEY key, DWORD type, LPCSTR valueName, const BYTE* data, DWORD size,
                              RegValueSearch* search) QVR_NOEXCEPT;
/* RegDeleteKeyA(root, subKey) and its result. */
LONG QVRAPI QVRDeleteReg32Key(HKEY root, LPCSTR subKey) QVR_NOEXCEPT;
/* Deletes one value. Returns the code of opening the key: deleting a missing
 * value of an existing key gives 0. */
LONG QVRAPI QVRDeleteReg32Value(HKEY root, LPCSTR subKey, LPCSTR valueName) QVR_NOEXCEPT;

#ifdef __cplusplus
}
#endif

#endif /* QVRDLL32_H */
