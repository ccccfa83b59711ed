// support/dll.h: black-box access to qvrdll32.dll, the way the installer
// does it: LoadLibraryA, then GetProcAddress by decorated export name.
#pragma once

#include <windows.h>

namespace qvrtest {

// The DLL beside the test program, loaded once for the whole program.
HMODULE Dll();

// The export `decoratedName` ("_InfInit@4") as a function pointer of type F;
// null when the DLL does not export it.
template <class F> F Export(const char* decoratedName) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(Dll(), decoratedName)));
}

} // namespace qvrtest
