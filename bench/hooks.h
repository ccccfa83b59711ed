// hooks.h: redirecting qvrdll32.dll's imports inside the benchmark process,
// so that warning boxes are not timed and the library's allocations can be
// counted.
#ifndef QVR_BENCH_HOOKS_H
#define QVR_BENCH_HOOKS_H

#include <windows.h>

#include <cstddef>

namespace bench {

// Replaces the address that `module` imports for `function` of `dll` with
// `replacement`. True when the import was found and patched.
bool PatchImport(HMODULE module, const char* dll, const char* function, void* replacement);

// Makes the module's MessageBoxA answer IDOK at once and count the call.
bool SilenceMessageBoxes(HMODULE module);
int MessageBoxCount();

// Counts the bytes that the module holds through GlobalAlloc and HeapAlloc,
// and the highest count since the last reset.
bool TrackAllocations(HMODULE module);
void ResetPeak();
std::size_t LiveBytes();
std::size_t PeakBytes();

} // namespace bench

#endif
