// native/include/windows.h: the few Windows types and calls that the
// platform-independent sources use, for the native Linux build that runs
// them under the address and undefined-behaviour sanitizers. Everything here
// is implemented in native/win_layer.cpp; it is never part of the DLL.
#pragma once

#include <cstddef>
#include <cstdint>

// The native build is a 64-bit one, like the win64 test build.
#ifndef _WIN64
#define _WIN64 1
#endif

#define WINAPI
#define CALLBACK
#define CONST const

typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef uint32_t DWORD;
typedef unsigned int UINT;
typedef int INT;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef char CHAR;
typedef unsigned char UCHAR;
typedef short SHORT;
typedef size_t SIZE_T;
typedef intptr_t INT_PTR;
typedef uintptr_t UINT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t ULONG_PTR;
typedef uintptr_t DWORD_PTR;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef const char* LPCCH;
typedef char* LPCH;
typedef BYTE* LPBYTE;
typedef DWORD* LPDWORD;
typedef LONG* PLONG;
typedef BOOL* LPBOOL;

struct NativeHandle_;
typedef NativeHandle_* HANDLE;
typedef HANDLE HGLOBAL;
typedef HANDLE HLOCAL;
struct NativeInstance_;
typedef NativeInstance_* HINSTANCE;
typedef HINSTANCE HMODULE;
struct NativeWindow_;
typedef NativeWindow_* HWND;
struct NativeKey_;
typedef NativeKey_* HKEY;
typedef int HFILE;

#define TRUE 1
#define FALSE 0
#define MAX_PATH 260
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)))
#define HFILE_ERROR (static_cast<HFILE>(-1))
#define LOWORD(l) (static_cast<WORD>(static_cast<ULONG_PTR>(l) & 0xffff))
#define HIWORD(l) (static_cast<WORD>((static_cast<ULONG_PTR>(l) >> 16) & 0xffff))
#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(i))))

#define ERROR_SUCCESS 0L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_ALREADY_EXISTS 183L
#define ERROR_FILENAME_EXCED_RANGE 206L

// Global memory.
#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
HGLOBAL GlobalReAlloc(HGLOBAL block, SIZE_T bytes, UINT flags);
LPVOID GlobalLock(HGLOBAL block);
BOOL GlobalUnlock(HGLOBAL block);
HGLOBAL GlobalFree(HGLOBAL block);
HGLOBAL GlobalHandle(LPCVOID pointer);
SIZE_T GlobalSize(HGLOBAL block);

// Process heap.
#define HEAP_ZERO_MEMORY 0x00000008
HANDLE GetProcessHeap();
LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes);
BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID block);
SIZE_T HeapSize(HANDLE heap, DWORD flags, LPCVOID block);

// Last error.
DWORD GetLastError();
void SetLastError(DWORD error);

// Strings and characters of the ANSI code page.
int lstrlenA(LPCSTR text);
LPSTR lstrcpyA(LPSTR destination, LPCSTR source);
LPSTR lstrcpynA(LPSTR destination, LPCSTR source, int size);
LPSTR lstrcatA(LPSTR destination, LPCSTR source);
int lstrcmpA(LPCSTR a, LPCSTR b);
int lstrcmpiA(LPCSTR a, LPCSTR b);
LPSTR CharNextA(LPCSTR p);
LPSTR CharPrevA(LPCSTR start, LPCSTR p);
LPSTR CharLowerA(LPSTR text);
LPSTR CharUpperA(LPSTR text);
BOOL CharToOemA(LPCSTR source, LPSTR destination);
BOOL OemToCharA(LPCSTR source, LPSTR destination);
BOOL IsDBCSLeadByte(BYTE c);
UINT GetACP();

// Resources, windows and boxes.
int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int size);
HMODULE GetModuleHandleA(LPCSTR name);
HWND GetActiveWindow();
#define MB_OK 0x00000000L
#define MB_ICONHAND 0x00000010L
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_SYSTEMMODAL 0x00001000L
#define IDOK 1
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// Environment.
DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size);
BOOL SetEnvironmentVariableA(LPCSTR name, LPCSTR value);

// Directories (over mkdir; backslashes are taken as slashes).
struct SECURITY_ATTRIBUTES;
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;
BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES security);

// Reading a file (over the C library's stdio; only GENERIC_READ of an
// existing file), and ending the process.
#define GENERIC_READ 0x80000000L
#define FILE_SHARE_READ 0x00000001L
#define FILE_SHARE_WRITE 0x00000002L
#define OPEN_EXISTING 3
#define FILE_ATTRIBUTE_NORMAL 0x00000080L
struct OVERLAPPED;
typedef OVERLAPPED* LPOVERLAPPED;
HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                   DWORD disposition, DWORD flags, HANDLE templateFile);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped);
BOOL CloseHandle(HANDLE handle);
[[noreturn]] void ExitProcess(UINT code);

// Declared so that shared headers holding handle owners compile; the native
// build uses none of them, so they are never defined.
BOOL FindClose(HANDLE handle);
LONG RegCloseKey(HKEY key);
HFILE _lclose(HFILE file);
#define FILE_BEGIN 0
#define INVALID_FILE_SIZE (static_cast<DWORD>(0xFFFFFFFF))
struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};
struct WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    CHAR cFileName[MAX_PATH];
    CHAR cAlternateFileName[14];
};
struct OFSTRUCT {
    BYTE cBytes;
    BYTE fFixedDisk;
    WORD nErrCode;
    WORD Reserved1;
    WORD Reserved2;
    CHAR szPathName[128];
};
