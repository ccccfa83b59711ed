// support/dll.h for the native build, which has no DLL and builds no
// exports: the tests that use them run only under Wine and are filtered out
// here (native/tests/CMakeLists.txt). Export looks the undecorated name up
// in the process, so it finds an export only if one is ever linked in.
#pragma once

#include <windows.h>

namespace qvrtest {

void* NativeExport(const char* decoratedName);

template <class F> F Export(const char* decoratedName) {
    return reinterpret_cast<F>(NativeExport(decoratedName));
}

} // namespace qvrtest
