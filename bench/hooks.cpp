// hooks.cpp: import patching for the benchmark host.
#include "hooks.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace bench {

namespace {

int messageBoxes = 0;
std::size_t live = 0;
std::size_t peak = 0;

void Add(std::size_t bytes) {
    live += bytes;
    if (live > peak)
        peak = live;
}

void Sub(std::size_t bytes) {
    live = bytes > live ? 0 : live - bytes;
}

int WINAPI QuietMessageBox(HWND, LPCSTR text, LPCSTR caption, UINT) {
    // Only the first of each run is shown: the size warning comes with every
    // parse of a large script.
    if (messageBoxes++ == 0 || std::strstr(text != nullptr ? text : "", "64K") == nullptr)
        std::fprintf(stderr, "message box answered: [%s] %s\n", caption != nullptr ? caption : "",
                     text != nullptr ? text : "");
    return IDOK;
}

HGLOBAL WINAPI CountedGlobalAlloc(UINT flags, SIZE_T bytes) {
    HGLOBAL block = GlobalAlloc(flags, bytes);
    if (block != nullptr)
        Add(GlobalSize(block));
    return block;
}

HGLOBAL WINAPI CountedGlobalReAlloc(HGLOBAL block, SIZE_T bytes, UINT flags) {
    SIZE_T before = GlobalSize(block);
    HGLOBAL moved = GlobalReAlloc(block, bytes, flags);
    if (moved != nullptr) {
        Sub(before);
        Add(GlobalSize(moved));
    }
    return moved;
}

HGLOBAL WINAPI CountedGlobalFree(HGLOBAL block) {
    if (block != nullptr)
        Sub(GlobalSize(block));
    return GlobalFree(block);
}

LPVOID WINAPI CountedHeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
    LPVOID p = HeapAlloc(heap, flags, bytes);
    if (p != nullptr)
        Add(HeapSize(heap, 0, p));
    return p;
}

BOOL WINAPI CountedHeapFree(HANDLE heap, DWORD flags, LPVOID p) {
    if (p != nullptr)
        Sub(HeapSize(heap, 0, p));
    return HeapFree(heap, flags, p);
}

template <class F> void* Address(F f) {
    return reinterpret_cast<void*>(f);
}

} // namespace

bool PatchImport(HMODULE module, const char* dll, const char* function, void* replacement) {
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (dir.VirtualAddress == 0)
        return false;
    auto* desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
    for (; desc->Name != 0; ++desc) {
        if (_stricmp(reinterpret_cast<const char*>(base + desc->Name), dll) != 0)
            continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0)
                continue;
            DWORD old = 0;
            if (!VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), PAGE_READWRITE,
                                &old))
                return false;
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), old, &old);
            return true;
        }
    }
    return false;
}

bool SilenceMessageBoxes(HMODULE module) {
    return PatchImport(module, "user32.dll", "MessageBoxA", Address(QuietMessageBox));
}

int MessageBoxCount() {
    return messageBoxes;
}

bool TrackAllocations(HMODULE module) {
    // The library allocates global blocks and, through operator new, heap
    // blocks; it links no C runtime with allocators of its own.
    bool ok = PatchImport(module, "kernel32.dll", "GlobalAlloc", Address(CountedGlobalAlloc));
    ok = PatchImport(module, "kernel32.dll", "GlobalReAlloc", Address(CountedGlobalReAlloc)) && ok;
    ok = PatchImport(module, "kernel32.dll", "GlobalFree", Address(CountedGlobalFree)) && ok;
    ok = PatchImport(module, "kernel32.dll", "HeapAlloc", Address(CountedHeapAlloc)) && ok;
    ok = PatchImport(module, "kernel32.dll", "HeapFree", Address(CountedHeapFree)) && ok;
    return ok;
}

void ResetPeak() {
    peak = live;
}
std::size_t LiveBytes() {
    return live;
}
std::size_t PeakBytes() {
    return peak;
}

} // namespace bench
