// support/tree_area.h: the guard in front of every tree operation a test
// calls. Under Wine drive Z: is the host's root and the tests run as root, so
// a tree operation that went wrong could reach the host. The guard resolves
// each path the way the operation will (GetFullPathNameA in the current
// directory, or in the Windows directory for QVRDelTree) and ends the program
// before anything is touched unless the path lies in a test area:
//   - in an ordinary test prefix: inside %TEMP% (below it, not %TEMP% itself);
//   - in the throwaway prefix of cmake/wine-sandbox.sh, which sets
//     QVR_SCRATCH_ROOTS (";"-separated roots of its scratch drives and share):
//     drive C: and those roots. The guard also stops the run there when any
//     drive other than C: and the scratch drives is mapped.
// A null or empty path counts as ".", the current directory.
#pragma once

#include <windows.h>

#include <string>

namespace qvrtest {

enum class ResolvedIn { CurrentDirectory, WindowsDirectory };

// Ends the program (message on stderr, abort) unless `path` resolves inside a
// test area.
void RequireTreeArea(const char* path, ResolvedIn where = ResolvedIn::CurrentDirectory);

// True when the program runs in the throwaway prefix.
bool InSandbox();

// The DLL's tree operations, each called once RequireTreeArea has passed its
// paths.
int SafeDelTree(const char* directory);
int SafeDumpDirectory(const char* source, const char* destination);
int SafeRemTempDirNT(const char* directory);
int SafeTryRemoveDir(const char* directory);

// `op(path)` once RequireTreeArea has passed `path`: for the library's
// internal functions.
template <class Op>
int CallTreeOp(Op op, const char* path, ResolvedIn where = ResolvedIn::CurrentDirectory) {
    RequireTreeArea(path, where);
    return op(path);
}

} // namespace qvrtest
