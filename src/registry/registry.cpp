// registry/registry.cpp
#include "registry/registry.h"

#include "util/counted_string.h"
#include "util/fault_injection.h"
#include "util/global_memory.h"
#include "util/unique.h"

#include <cstddef>
#include <cstring>

// The search context crosses the export boundary: in the 32-bit library it
// is five 4-byte fields. A 64-bit build widens the four pointers naturally.
#ifndef _WIN64
static_assert(sizeof(RegValueSearch) == 20, "RegValueSearch is 20 bytes");
static_assert(offsetof(RegValueSearch, name) == 0, "name at 0");
static_assert(offsetof(RegValueSearch, type) == 4, "type at 4");
static_assert(offsetof(RegValueSearch, data) == 8, "data at 8");
static_assert(offsetof(RegValueSearch, size) == 12, "size at 12");
static_assert(offsetof(RegValueSearch, status) == 16, "status at 16");
#endif

namespace qvr {

namespace {

// What RegQueryInfoKeyA tells about a key before a walk. The walk relies on
// these figures; entries added during it are not looked for.
struct KeyStatistics {
    DWORD subKeyCount = 0;
    DWORD maxSubKeyLength = 0;
    DWORD maxClassLength = 0;
    DWORD valueCount = 0;
    DWORD maxValueNameLength = 0;
    DWORD maxValueLength = 0;
};

// The size handed to the registry for a name buffer: one less than its
// capacity (264 for a fresh buffer).
DWORD NameBufferSize(const CountedString& buffer) {
    return static_cast<DWORD>(buffer.GetCapacity() - 1);
}

// Names are held in 265-byte buffers; a key that reports a longer maximum
// gets a buffer of that maximum (low 16 bits) plus 2. The text in the buffer
// is kept across the growth.
void GrowForLength(CountedString& buffer, DWORD maxLength) {
    if (maxLength < static_cast<DWORD>(CountedString::kDefaultCapacity))
        return;
    CountedString saved(buffer);
    buffer.SetCapacity(static_cast<int>(maxLength & 0xFFFF) + 2);
    buffer = saved.GetString();
}

// A key opened for a walk: the key, its class, its statistics and the name
// buffer of the walk.
struct KeyWalk {
    CountedString keyClass;
    CountedString name;
    RegKey key;
    KeyStatistics stats;

    // Opens the key with full access, reads its class and statistics and
    // makes the name buffer fit the longest name that `maxNameLength`
    // (a member of the statistics) reports.
    LONG Open(HKEY root, LPCSTR subKey, DWORD KeyStatistics::*maxNameLength) {
        HKEY opened = nullptr;
        LONG code = RegOpenKeyExA(root, subKey, 0, KEY_ALL_ACCESS, &opened);
        if (code != ERROR_SUCCESS)
            return code;
        key.reset(opened);
        DWORD classLength = NameBufferSize(keyClass);
        FILETIME lastWriteTime;
        code = RegQueryInfoKeyA(key.get(), keyClass.GetBuffer(), &classLength, nullptr,
                                &stats.subKeyCount, &stats.maxSubKeyLength, &stats.maxClassLength,
                                &stats.valueCount, &stats.maxValueNameLength, &stats.maxValueLength,
                                nullptr, &lastWriteTime);
        if (code == ERROR_SUCCESS)
            GrowForLength(name, stats.*maxNameLength);
        return code;
    }
};

// Allocates and locks a block for a copy of value data; null on failure.
void* AllocValueCopy(DWORD size) {
    if (ShouldFail(Fault::ValueCopy) || ShouldFail(Fault::MovableBlock))
        return nullptr;
    GlobalBlock block(GlobalAlloc(kValueCopyFlags, size));
    if (!block)
        return nullptr;
    void* p = GlobalLock(block.get());
    if (p != nullptr)
        block.release(); // the caller owns it now
    return p;
}

BOOL WINAPI SearchStep(HKEY, DWORD type, LPCSTR name, const BYTE* data, DWORD size,
                       DWORD_PTR context) {
    return MatchRegValue(type, name, data, size, reinterpret_cast<RegValueSearch*>(context));
}

} // namespace

LONG CreateRegKey(HKEY root, LPCSTR subKey, LPSTR keyClass) {
    HKEY created = nullptr;
    DWORD disposition = 0;
    LONG code = RegCreateKeyExA(root, subKey, 0, keyClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                nullptr, &created, &disposition);
    if (code == ERROR_SUCCESS)
        RegCloseKey(created);
    return code;
}

LONG SetRegValue(HKEY root, LPCSTR subKey, LPCSTR valueName, DWORD type, const BYTE* data,
                 DWORD size) {
    char emptyClass[1] = "";
    LONG code = CreateRegKey(root, subKey, emptyClass);
    if (code != ERROR_SUCCESS)
        return code;
    HKEY opened = nullptr;
    code = RegOpenKeyExA(root, subKey, 0, KEY_ALL_ACCESS, &opened);
    if (code != ERROR_SUCCESS)
        return code;
    RegKey key(opened);
    RegSetValueExA(key.get(), valueName, 0, type, data, size);
    return ERROR_SUCCESS;
}

LONG EnumRegKeys(HKEY root, LPCSTR subKey, DWORD_PTR context, QVRRegKeyProc callback) {
    KeyWalk walk;
    if (LONG code = walk.Open(root, subKey, &KeyStatistics::maxSubKeyLength))
        return code; // not ERROR_SUCCESS
    GrowForLength(walk.keyClass, walk.stats.maxClassLength);
    for (DWORD index = 0; index < walk.stats.subKeyCount; ++index) {
        if (RegEnumKeyA(walk.key.get(), index, walk.name.GetBuffer(), NameBufferSize(walk.name)) !=
            ERROR_SUCCESS)
            continue; // unreadable or gone since the key was queried
        if (!callback(walk.key.get(), walk.name.GetString(), walk.keyClass.GetString(), context))
            break;
    }
    return ERROR_SUCCESS;
}

LONG EnumRegValues(HKEY root, LPCSTR subKey, DWORD_PTR context, QVRRegValueProc callback) {
    KeyWalk walk;
    if (LONG code = walk.Open(root, subKey, &KeyStatistics::maxValueNameLength))
        return code; // not ERROR_SUCCESS
    // One spare byte beyond the longest value; the walk reuses the buffer.
    DWORD maxLength = walk.stats.maxValueLength;
    BYTE* data = static_cast<BYTE*>(AllocGlobalLocked(SIZE_T(maxLength) + 1));
    if (data == nullptr)
        return ERROR_SUCCESS; // nothing walked, the key itself was fine
    for (DWORD index = 0; index < walk.stats.valueCount; ++index) {
        DWORD nameSize = NameBufferSize(walk.name);
        DWORD dataSize = maxLength;
        DWORD type = 0;
        if (RegEnumValueA(walk.key.get(), index, walk.name.GetBuffer(), &nameSize, nullptr, &type,
                          data, &dataSize) != ERROR_SUCCESS)
            continue; // unreadable or gone since the key was queried
        if (!callback(walk.key.get(), type, walk.name.GetString(), data, dataSize, context))
            break;
    }
    FreeGlobalLocked(data);
    return ERROR_SUCCESS;
}

BOOL MatchRegValue(DWORD type, LPCSTR name, const BYTE* data, DWORD size, RegValueSearch* search) {
    if (search == nullptr)
        return TRUE;
    if (lstrcmpiA(name ? name : "", search->name ? search->name : "") != 0)
        return TRUE;
    search->status = ERROR_SUCCESS;
    if (search->type != nullptr)
        *search->type = type;
    if (search->size != nullptr)
        *search->size = size;
    search->data = nullptr;
    // A value of 0 bytes has nothing to copy: found, with no block (a movable
    // block of 0 bytes cannot be locked).
    if (size == 0)
        return FALSE;
    void* copy = AllocValueCopy(size);
    if (copy == nullptr) {
        search->status = kValueCopyFailed;
        if (search->type != nullptr)
            *search->type = 0;
        if (search->size != nullptr)
            *search->size = 0;
        return FALSE;
    }
    if (data != nullptr)
        std::memcpy(copy, data, size);
    search->data = copy;
    return FALSE;
}

DWORD GetRegValue(HKEY root, LPCSTR subKey, LPCSTR valueName, DWORD* type, void** data,
                  DWORD* size) {
    *type = 0;
    *data = nullptr;
    *size = 0;
    RegValueSearch search = {valueName, type, nullptr, size, kValueNotFound};
    EnumRegValues(root, subKey, reinterpret_cast<DWORD_PTR>(&search), SearchStep);
    if (search.status == ERROR_SUCCESS)
        *data = search.data;
    return search.status;
}

LONG DeleteRegKey(HKEY root, LPCSTR subKey) {
    return RegDeleteKeyA(root, subKey);
}

LONG DeleteRegValue(HKEY root, LPCSTR subKey, LPCSTR valueName) {
    HKEY opened = nullptr;
    LONG code = RegOpenKeyA(root, subKey, &opened);
    if (code != ERROR_SUCCESS)
        return code;
    // For a null or empty subkey RegOpenKeyA hands back `root` itself: that
    // handle is the caller's and stays open.
    RegKey key(opened != root ? opened : nullptr);
    RegDeleteValueA(opened, valueName);
    return ERROR_SUCCESS;
}

} // namespace qvr
