// native/win_layer.cpp: the Windows calls of native/include/windows.h over
// the C library. Behaviour follows what Wine does for the same calls; the
// probe in tests/native checks the two against each other.
#include "native/win_layer.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <string>
#include <sys/stat.h>

namespace {

#include "western_tables.inc"

UINT InitialCodePage() {
    const char* wanted = std::getenv("QVR_NATIVE_ACP");
    return wanted != nullptr && std::strcmp(wanted, "932") == 0 ? 932 : 1252;
}

UINT codePage = InitialCodePage();
DWORD lastError = 0;
size_t liveBlocks = 0;
std::vector<qvrnative::RecordedBox> boxes;

bool DoubleByte() {
    return codePage == 932;
}

bool IsLead(unsigned char c) {
    return DoubleByte() && ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC));
}

unsigned char UpperByte(unsigned char c) {
    if (c >= 'a' && c <= 'z')
        return static_cast<unsigned char>(c - 32);
    return c >= 0x80 && !DoubleByte() ? kWesternUpper[c - 0x80] : c;
}

unsigned char LowerByte(unsigned char c) {
    if (c >= 'A' && c <= 'Z')
        return static_cast<unsigned char>(c + 32);
    return c >= 0x80 && !DoubleByte() ? kWesternLower[c - 0x80] : c;
}

// Code page 932 letters with a case: full-width Latin, Greek and Cyrillic.
struct CaseRange {
    unsigned upperFirst, upperLast, lowerFirst;
};
const CaseRange kDoubleByteCases[] = {
    {0x8260, 0x8279, 0x8281}, // full-width A-Z
    {0x839F, 0x83B6, 0x83BF}, // Greek
    {0x8440, 0x8460, 0x8470}, // Cyrillic (the lower row skips 0x847F)
};

unsigned CyrillicLowerToIndex(unsigned c) {
    return c < 0x847F ? c - 0x8470 : c - 0x8471;
}
unsigned CyrillicIndexToLower(unsigned i) {
    return i < 0x0F ? 0x8470 + i : 0x8471 + i;
}

unsigned UpperPair(unsigned c) {
    for (const CaseRange& r : kDoubleByteCases) {
        unsigned count = r.upperLast - r.upperFirst + 1;
        bool cyrillic = r.upperFirst == 0x8440;
        if (cyrillic) {
            if (c >= 0x8470 && c <= 0x8491 && c != 0x847F)
                return r.upperFirst + CyrillicLowerToIndex(c);
        } else if (c >= r.lowerFirst && c < r.lowerFirst + count) {
            return r.upperFirst + (c - r.lowerFirst);
        }
    }
    return c;
}

unsigned LowerPair(unsigned c) {
    for (const CaseRange& r : kDoubleByteCases) {
        if (c < r.upperFirst || c > r.upperLast)
            continue;
        if (r.upperFirst == 0x8440)
            return CyrillicIndexToLower(c - r.upperFirst);
        return r.lowerFirst + (c - r.upperFirst);
    }
    return c;
}

template <class ByteMap, class PairMap>
LPSTR MapCase(LPSTR text, ByteMap byteMap, PairMap pairMap) {
    // A value below 64K is one character in the low word, not a pointer.
    auto value = reinterpret_cast<ULONG_PTR>(text);
    if (value >> 16 == 0)
        return reinterpret_cast<LPSTR>(
            static_cast<ULONG_PTR>(byteMap(static_cast<unsigned char>(value))));
    auto* p = reinterpret_cast<unsigned char*>(text);
    while (*p) {
        if (IsLead(p[0]) && p[1]) {
            unsigned mapped = pairMap((unsigned{p[0]} << 8) | p[1]);
            p[0] = static_cast<unsigned char>(mapped >> 8);
            p[1] = static_cast<unsigned char>(mapped);
            p += 2;
        } else {
            *p = byteMap(*p);
            ++p;
        }
    }
    return text;
}

// Global blocks: the handle is a record of its own; the data is preceded
// by a pointer back to it, which is how a locked pointer finds its handle.
struct GlobalRecord {
    unsigned magic;
    unsigned locks;
    size_t size;
    unsigned char* data;
};
constexpr unsigned kGlobalMagic = 0x47424C4B;
constexpr size_t kBackPointer = alignof(std::max_align_t);

GlobalRecord* RecordOf(HGLOBAL block) {
    auto* record = reinterpret_cast<GlobalRecord*>(block);
    return record != nullptr && record->magic == kGlobalMagic ? record : nullptr;
}

unsigned char* NewData(GlobalRecord* record, size_t bytes, bool zero) {
    auto* raw = static_cast<unsigned char*>(zero ? std::calloc(1, kBackPointer + bytes)
                                                 : std::malloc(kBackPointer + bytes));
    if (raw == nullptr)
        return nullptr;
    std::memcpy(raw, &record, sizeof record);
    return raw + kBackPointer;
}

void FreeData(unsigned char* data) {
    if (data != nullptr)
        std::free(data - kBackPointer);
}

} // namespace

namespace qvrnative {

bool SetCodePage(UINT wanted) {
    if (wanted != 1252 && wanted != 932)
        return false;
    codePage = wanted;
    return true;
}

std::vector<RecordedBox> TakeMessageBoxes() {
    std::vector<RecordedBox> taken;
    taken.swap(boxes);
    return taken;
}

size_t LiveBlockCount() {
    return liveBlocks;
}

} // namespace qvrnative

// The data of a block lives in a heap block of exactly `bytes` (plus the
// back pointer), so that the sanitizer sees any access past its end.
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
    auto* record = static_cast<GlobalRecord*>(std::malloc(sizeof(GlobalRecord)));
    if (record == nullptr)
        return nullptr;
    *record = GlobalRecord{kGlobalMagic, 0, bytes, nullptr};
    record->data = NewData(record, bytes, (flags & GMEM_ZEROINIT) != 0);
    if (record->data == nullptr) {
        std::free(record);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    ++liveBlocks;
    return reinterpret_cast<HGLOBAL>(record);
}

// Always moves the data, so that a pointer kept across a reallocation is
// caught as a use after free.
HGLOBAL GlobalReAlloc(HGLOBAL block, SIZE_T bytes, UINT flags) {
    GlobalRecord* record = RecordOf(block);
    if (record == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    unsigned char* data = NewData(record, bytes, (flags & GMEM_ZEROINIT) != 0);
    if (data == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    std::memcpy(data, record->data, bytes < record->size ? bytes : record->size);
    FreeData(record->data);
    record->data = data;
    record->size = bytes;
    return block;
}

LPVOID GlobalLock(HGLOBAL block) {
    GlobalRecord* record = RecordOf(block);
    if (record == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    ++record->locks;
    return record->data;
}

BOOL GlobalUnlock(HGLOBAL block) {
    GlobalRecord* record = RecordOf(block);
    if (record == nullptr || record->locks == 0)
        return FALSE;
    return --record->locks != 0;
}

HGLOBAL GlobalFree(HGLOBAL block) {
    GlobalRecord* record = RecordOf(block);
    if (record == nullptr)
        return block;
    FreeData(record->data);
    record->magic = 0;
    std::free(record);
    --liveBlocks;
    return nullptr;
}

HGLOBAL GlobalHandle(LPCVOID pointer) {
    if (pointer == nullptr)
        return nullptr;
    GlobalRecord* record;
    std::memcpy(&record, static_cast<const unsigned char*>(pointer) - kBackPointer, sizeof record);
    return reinterpret_cast<HGLOBAL>(record);
}

SIZE_T GlobalSize(HGLOBAL block) {
    GlobalRecord* record = RecordOf(block);
    return record != nullptr ? record->size : 0;
}

HANDLE GetProcessHeap() {
    return reinterpret_cast<HANDLE>(&liveBlocks);
}

LPVOID HeapAlloc(HANDLE, DWORD flags, SIZE_T bytes) {
    void* p = (flags & HEAP_ZERO_MEMORY) ? std::calloc(1, bytes ? bytes : 1)
                                         : std::malloc(bytes ? bytes : 1);
    if (p != nullptr)
        ++liveBlocks;
    return p;
}

BOOL HeapFree(HANDLE, DWORD, LPVOID block) {
    if (block == nullptr)
        return TRUE;
    std::free(block);
    --liveBlocks;
    return TRUE;
}

SIZE_T HeapSize(HANDLE, DWORD, LPCVOID block) {
    return block != nullptr ? malloc_usable_size(const_cast<void*>(block))
                            : static_cast<SIZE_T>(-1);
}

DWORD GetLastError() {
    return lastError;
}
void SetLastError(DWORD error) {
    lastError = error;
}

int lstrlenA(LPCSTR text) {
    return text != nullptr ? static_cast<int>(std::strlen(text)) : 0;
}

LPSTR lstrcpyA(LPSTR destination, LPCSTR source) {
    return std::strcpy(destination, source);
}

// A size of 0 writes nothing; a negative size counts as a very large one.
LPSTR lstrcpynA(LPSTR destination, LPCSTR source, int size) {
    if (size == 0)
        return destination;
    auto room = static_cast<unsigned>(size);
    unsigned i = 0;
    for (; i + 1 < room && source[i] != '\0'; ++i)
        destination[i] = source[i];
    destination[i] = '\0';
    return destination;
}

LPSTR lstrcatA(LPSTR destination, LPCSTR source) {
    return std::strcat(destination, source);
}

int lstrcmpA(LPCSTR a, LPCSTR b) {
    return std::strcmp(a, b);
}

// Case-insensitive by the code page's letters; a lead byte without its
// trail byte is one invalid character, all of them alike (as in Wine). Only equality is modelled:
// the order of unequal strings is by their lower-cased bytes, not Wine's
// linguistic order.
constexpr unsigned kLoneLeadByte = 0x30000;

int lstrcmpiA(LPCSTR a, LPCSTR b) {
    auto* p = reinterpret_cast<const unsigned char*>(a);
    auto* q = reinterpret_cast<const unsigned char*>(b);
    while (*p || *q) {
        unsigned x, y;
        if (IsLead(*p) && p[1]) {
            x = LowerPair((unsigned{p[0]} << 8) | p[1]) + 0x10000;
            p += 2;
        } else if (IsLead(*p)) {
            x = kLoneLeadByte;
            ++p;
        } else {
            x = LowerByte(*p);
            p += *p ? 1 : 0;
        }
        if (IsLead(*q) && q[1]) {
            y = LowerPair((unsigned{q[0]} << 8) | q[1]) + 0x10000;
            q += 2;
        } else if (IsLead(*q)) {
            y = kLoneLeadByte;
            ++q;
        } else {
            y = LowerByte(*q);
            q += *q ? 1 : 0;
        }
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

LPSTR CharNextA(LPCSTR p) {
    if (*p == '\0')
        return const_cast<LPSTR>(p);
    if (IsLead(static_cast<unsigned char>(p[0])) && p[1] != '\0')
        return const_cast<LPSTR>(p + 2);
    return const_cast<LPSTR>(p + 1);
}

LPSTR CharPrevA(LPCSTR start, LPCSTR p) {
    while (*start && start < p) {
        LPCSTR next = CharNextA(start);
        if (next >= p)
            break;
        start = next;
    }
    return const_cast<LPSTR>(start);
}

LPSTR CharLowerA(LPSTR text) {
    return MapCase(text, LowerByte, LowerPair);
}
LPSTR CharUpperA(LPSTR text) {
    return MapCase(text, UpperByte, UpperPair);
}

// The OEM code page is 437 beside 1252; beside 932 it is 932 itself.
BOOL CharToOemA(LPCSTR source, LPSTR destination) {
    if (source == nullptr || destination == nullptr)
        return FALSE;
    for (;; ++source, ++destination) {
        auto c = static_cast<unsigned char>(*source);
        *destination = static_cast<char>(c >= 0x80 && !DoubleByte() ? kWesternToOem[c - 0x80] : c);
        if (c == 0)
            return TRUE;
    }
}

BOOL IsDBCSLeadByte(BYTE c) {
    return IsLead(c);
}

UINT GetACP() {
    return codePage;
}

namespace {
struct StringEntry {
    UINT id;
    const char* text;
};
#include "resources/resource_ids.h"
const StringEntry kStrings[] = {
#include "string_table.inc"
};
} // namespace

int LoadStringA(HINSTANCE, UINT id, LPSTR buffer, int size) {
    if (buffer == nullptr || size <= 0)
        return 0;
    for (const StringEntry& entry : kStrings) {
        if (entry.id != id)
            continue;
        lstrcpynA(buffer, entry.text, size);
        return lstrlenA(buffer);
    }
    buffer[0] = '\0';
    return 0;
}

HMODULE GetModuleHandleA(LPCSTR) {
    static char self;
    return reinterpret_cast<HMODULE>(&self);
}

HWND GetActiveWindow() {
    return nullptr;
}

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
    boxes.push_back({caption != nullptr ? caption : "Error", text != nullptr ? text : "", type});
    return IDOK;
}

DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size) {
    const char* value = name != nullptr ? std::getenv(name) : nullptr;
    if (value == nullptr) {
        SetLastError(203); // ERROR_ENVVAR_NOT_FOUND
        return 0;
    }
    DWORD length = static_cast<DWORD>(std::strlen(value));
    if (buffer == nullptr || length + 1 > size)
        return length + 1;
    std::memcpy(buffer, value, length + 1);
    return length;
}

namespace {
// Backslashes taken as slashes.
std::string UnixPath(LPCSTR path) {
    std::string unixPath(path != nullptr ? path : "");
    for (char& c : unixPath)
        if (c == '\\')
            c = '/';
    return unixPath;
}
} // namespace

BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES) {
    if (mkdir(UnixPath(path).c_str(), 0777) == 0)
        return TRUE;
    SetLastError(errno == EEXIST         ? ERROR_ALREADY_EXISTS
                 : errno == ENOENT       ? ERROR_PATH_NOT_FOUND
                 : errno == ENAMETOOLONG ? ERROR_FILENAME_EXCED_RANGE
                                         : ERROR_ACCESS_DENIED);
    return FALSE;
}

// A file handle is the stdio stream itself.
HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition,
                   DWORD, HANDLE) {
    if (path == nullptr || access != static_cast<DWORD>(GENERIC_READ) ||
        disposition != OPEN_EXISTING) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::FILE* file = std::fopen(UnixPath(path).c_str(), "rb");
    if (file == nullptr) {
        SetLastError(errno == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return reinterpret_cast<HANDLE>(file);
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED) {
    auto* stream = reinterpret_cast<std::FILE*>(file);
    *read = static_cast<DWORD>(std::fread(buffer, 1, toRead, stream));
    return *read == toRead || !std::ferror(stream);
}

BOOL CloseHandle(HANDLE handle) {
    return std::fclose(reinterpret_cast<std::FILE*>(handle)) == 0;
}

void ExitProcess(UINT code) {
    std::_Exit(static_cast<int>(code));
}

BOOL OemToCharA(LPCSTR source, LPSTR destination) {
    if (source == nullptr || destination == nullptr)
        return FALSE;
    for (;; ++source, ++destination) {
        auto c = static_cast<unsigned char>(*source);
        *destination = static_cast<char>(c >= 0x80 && !DoubleByte() ? kOemToWestern[c - 0x80] : c);
        if (c == 0)
            return TRUE;
    }
}

// A null value removes the variable.
BOOL SetEnvironmentVariableA(LPCSTR name, LPCSTR value) {
    if (name == nullptr)
        return FALSE;
    return (value != nullptr ? setenv(name, value, 1) : unsetenv(name)) == 0;
}
