// registry/registry_exports.cpp: registry keys and values for the installer's
// script.
#include "qvrdll32.h"
#include "registry/registry.h"

#include <initializer_list>

using namespace qvr;

namespace {

// The registry measures a name in 16 bits of bytes once it is converted to
// UTF-16: a longer name arrives cut short (under Wine, as the empty name, so
// that the root key itself or its default value would be meant). Such names
// are refused before the registry sees them.
constexpr int kRegistryNameMax = 32766;

// True when any of the names (null ones are fine) is too long.
bool AnyTooLong(std::initializer_list<LPCSTR> names) {
    for (LPCSTR name : names) {
        if (name != nullptr && lstrlenA(name) > kRegistryNameMax)
            return true;
    }
    return false;
}

} // namespace

// Creates a key (and its missing parents) with the given class.
extern "C" LONG WINAPI QVRCreateReg32Key(HKEY root, LPCSTR subKey, LPSTR keyClass) noexcept {
    if (AnyTooLong({subKey, keyClass}))
        return ERROR_INVALID_PARAMETER;
    return CreateRegKey(root, subKey, keyClass);
}

// Writes one value, creating the key first.
extern "C" LONG WINAPI QVRSetReg32Value(HKEY root, LPCSTR subKey, LPCSTR valueName, DWORD type,
                                        const BYTE* data, DWORD size) noexcept {
    if ((data == nullptr && size != 0) || AnyTooLong({subKey, valueName}))
        return ERROR_INVALID_PARAMETER;
    return SetRegValue(root, subKey, valueName, type, data, size);
}

// Reads one value into a block that the caller owns.
extern "C" LONG WINAPI QVRGetReg32Value(HKEY root, LPCSTR subKey, LPCSTR valueName, DWORD* type,
                                        void** data, DWORD* size) noexcept {
    if (type == nullptr || data == nullptr || size == nullptr || AnyTooLong({subKey, valueName}))
        return ERROR_INVALID_PARAMETER;
    return static_cast<LONG>(GetRegValue(root, subKey, valueName, type, data, size));
}

// Calls the installer's callback for each subkey.
extern "C" LONG WINAPI QVREnumReg32Keys(HKEY root, LPCSTR subKey, DWORD_PTR context,
                                        QVRRegKeyProc callback) noexcept {
    if (callback == nullptr || AnyTooLong({subKey}))
        return ERROR_INVALID_PARAMETER;
    return EnumRegKeys(root, subKey, context, callback);
}

// Calls the installer's callback for each value.
extern "C" LONG WINAPI QVREnumReg32Values(HKEY root, LPCSTR subKey, DWORD_PTR context,
                                          QVRRegValueProc callback) noexcept {
    if (callback == nullptr || AnyTooLong({subKey}))
        return ERROR_INVALID_PARAMETER;
    return EnumRegValues(root, subKey, context, callback);
}

// Value callback that finds one value by name and copies it out.
extern "C" BOOL WINAPI QVRRegEnumValProc(HKEY, DWORD type, LPCSTR valueName, const BYTE* data,
                                         DWORD size, RegValueSearch* search) noexcept {
    return MatchRegValue(type, valueName, data, size, search);
}

// Deletes a key.
extern "C" LONG WINAPI QVRDeleteReg32Key(HKEY root, LPCSTR subKey) noexcept {
    if (AnyTooLong({subKey}))
        return ERROR_INVALID_PARAMETER;
    return DeleteRegKey(root, subKey);
}

// Deletes one value of a key.
extern "C" LONG WINAPI QVRDeleteReg32Value(HKEY root, LPCSTR subKey, LPCSTR valueName) noexcept {
    if (AnyTooLong({subKey, valueName}))
        return ERROR_INVALID_PARAMETER;
    return DeleteRegValue(root, subKey, valueName);
}
