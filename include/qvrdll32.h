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
void QVRAPI QVRSetHInstbin(HWND window);
/* Asks the installer window (WM_COMMAND 509) for the selected size: returns
 * the first word of its reply and stores the second through `second` when it
 * is not NULL. */
DWORD QVRAPI QVRGetSelectedSize(DWORD* second);
/* Stores the current script context and file service through the pointers. */
void QVRAPI SaveFunctions(ScriptContext** context, FileService** service);
/* Deletes the current context record and service and makes the given pair
 * current (images of the deleted record are not released). */
void QVRAPI RestoreFunctions(ScriptContext* context, FileService* service);
/* EnumWindows callback: stops at the first window with an instance handle
 * and stores that handle in the cell at `found`. Exported under its C++
 * decorated name ?TaskEnumProc@@YGHPAUHWND__@@J@Z. */
BOOL QVRAPI TaskEnumProc(HWND window, LPARAM found);

/* ---- File I/O --------------------------------------------------------- */

/* OpenFile(path, info, style): the HFILE, or -1 (HFILE_ERROR). */
HFILE QVRAPI QVROpenFile(LPCSTR path, OFSTRUCT* info, UINT style);
/* Reads a whole file into a locked movable global block that the caller
 * owns. An empty file reads as one zero byte. Returns the locked pointer and
 * fills *block and *size; NULL (and *block = 0) on failure. */
void* QVRAPI QVRLoadFile(LPCSTR path, HGLOBAL* block, DWORD* size);
/* Reads `length` bytes at `offset` into `buffer` (or, when it is NULL, into a
 * new locked global block that the caller owns). The range must end before
 * the file's last byte. Returns the buffer or NULL. */
BYTE* QVRAPI QVRLoadFilePartial(LPCSTR path, BYTE* buffer, DWORD offset, DWORD length);
/* Writes `length` bytes to the file opened with OpenFile style `style`
 * (OF_READWRITE alone appends). 1 on success, 0 on failure. */
int QVRAPI QVRPutFile(LPCSTR path, const void* data, DWORD length, UINT style);
/* Overwrites `length` bytes at `offset` in an existing file. 1 or 0. */
int QVRAPI QVRUpdateFile(LPCSTR path, const void* data, LONG offset, DWORD length);

/* ---- Script loading and parsing --------------------------------------- */

/* Loads and parses the installation script; starts a new script context.
 * 1 when the image was built, 0 otherwise. */
int QVRAPI InfInit(LPCSTR path);
/* Adds the image of the disks.inf sections whose names begin with
 * `sectionPrefix` to the current context. 1 or 0. */
int QVRAPI InfInitDiskInf(LPCSTR path, LPCSTR sectionPrefix);

/* ---- Paths and directories ------------------------------------------- */

/* Makes sure the directory `path` exists, creating every missing level.
 * `window` (may be NULL) first gets WM_COMMAND 507 with lParam pointing at a
 * 32-bit cell holding the upper-case drive letter; writing 8 there vetoes a
 * path with a drive. 0 exists or created, 1 vetoed, 2 not possible (or a
 * drive root of unknown type), 3 the root of a known drive (nothing done). */
int QVRAPI QVRCreateDir(HWND window, LPCSTR path);
/* Non-zero when `path` is a directory that can be entered; the current
 * directory is left as it was. */
BOOL QVRAPI QVRIsValidDir(LPCSTR path);
/* 1 for a \\server\share path, else 0. */
int QVRAPI IsUNCPath(LPCSTR path);
/* Always 1: long file names are supported. */
int QVRAPI QVRSystemSupportsLFN(void);
/* GetVolumeInformationA of `root`: the low 16 bits of the file system flags,
 * maximum component length and serial number (all 0 on failure). */
BOOL QVRAPI QVRGetLFNVolumeInfo(LPCSTR root, WORD* flags, WORD* maxComponentLength,
                                WORD* serial);
/* SetCurrentDirectoryA(path). */
BOOL QVRAPI QVRChangeDirectory(LPCSTR path);
/* The current directory into `buffer` (the first argument is ignored): 1, or
 * 0 on failure; a too small buffer is left empty with the result 1. */
int QVRAPI QVRGetCurrentDirectory(int unused, LPSTR buffer, DWORD size);
/* CreateDirectoryA(path, NULL). */
BOOL QVRAPI QVRMakeDirectory(LPCSTR path);
/* set != 0: SetFileAttributesA(path, *attributes). set == 0: stores the
 * attributes in *attributes and returns 1, or 0 (with 0xFFFFFFFF stored) for
 * a missing path. */
BOOL QVRAPI QVRGetSetFileAttributes(BOOL set, LPCSTR path, DWORD* attributes);
/* MoveFileA(from, to); 0 when either name is NULL or empty. */
BOOL QVRAPI QVRRenameFile(LPCSTR from, LPCSTR to);
/* RemoveDirectoryA(path); 0 when `path` is NULL or empty. */
BOOL QVRAPI QVRRemoveDirectory(LPCSTR path);
/* The short form of an existing path into `buffer`: 1, or 0 when the path
 * does not exist (1 with an empty buffer when it is too small). */
int QVRAPI QVRGetNonLFNName(LPCSTR path, LPSTR buffer, DWORD size);
/* Always 0; the arguments are ignored. */
int QVRAPI QVRGetLFNName(DWORD unused1, DWORD unused2, DWORD unused3);
/* FindFirstFileA(pattern, data) (`attributes` is ignored): the search
 * handle, or NULL (never INVALID_HANDLE_VALUE) when nothing is found. */
HANDLE QVRAPI QVRFindFirstFile(LPCSTR pattern, DWORD attributes, WIN32_FIND_DATAA* data);
/* FindNextFileA(search, data). */
BOOL QVRAPI QVRFindNextFile(HANDLE search, WIN32_FIND_DATAA* data);
/* FindClose(search); 1 for a NULL handle. */
BOOL QVRAPI QVRFindClose(HANDLE search);

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
LONG QVRAPI QVRCreateReg32Key(HKEY root, LPCSTR subKey, LPSTR keyClass);
/* Creates the key (with missing parents) and writes one value. Returns the
 * code of creating or opening the key: a refused value write still gives 0.
 * ERROR_INVALID_PARAMETER when `data` is NULL and `size` is not 0. */
LONG QVRAPI QVRSetReg32Value(HKEY root, LPCSTR subKey, LPCSTR valueName, DWORD type,
                             const BYTE* data, DWORD size);
/* Reads one value (name compared without regard to case; NULL = the key's
 * default value). Returns 0 with *data a locked global block of *size bytes
 * that the caller frees (GlobalUnlock and GlobalFree of GlobalHandle(*data);
 * NULL for a value of 0 bytes), 8 when the copy could not be allocated, 13
 * when there is no such value or key; ERROR_INVALID_PARAMETER when an output
 * pointer is NULL. */
LONG QVRAPI QVRGetReg32Value(HKEY root, LPCSTR subKey, LPCSTR valueName, DWORD* type, void** data,
                             DWORD* size);
/* Calls `callback` for each subkey of the key until it returns 0. Returns the
 * code of opening and querying the key (0 whatever the walk gave);
 * ERROR_INVALID_PARAMETER for a NULL callback. */
LONG QVRAPI QVREnumReg32Keys(HKEY root, LPCSTR subKey, DWORD_PTR context, QVRRegKeyProc callback);
/* Calls `callback` for each value of the key until it returns 0. Returns the
 * code of opening and querying the key; ERROR_INVALID_PARAMETER for a NULL
 * callback. */
LONG QVRAPI QVREnumReg32Values(HKEY root, LPCSTR subKey, DWORD_PTR context,
                               QVRRegValueProc callback);
/* A value callback for QVREnumReg32Values whose context is a RegValueSearch:
 * on the value named search->name it fills the search and returns 0 (stop);
 * 1 (go on) for any other value. */
BOOL QVRAPI QVRRegEnumValProc(HKEY key, DWORD type, LPCSTR valueName, const BYTE* data, DWORD size,
                              RegValueSearch* search);
/* RegDeleteKeyA(root, subKey) and its result. */
LONG QVRAPI QVRDeleteReg32Key(HKEY root, LPCSTR subKey);
/* Deletes one value. Returns the code of opening the key: deleting a missing
 * value of an existing key gives 0. */
LONG QVRAPI QVRDeleteReg32Value(HKEY root, LPCSTR subKey, LPCSTR valueName);

#ifdef __cplusplus
}
#endif

#endif /* QVRDLL32_H */
