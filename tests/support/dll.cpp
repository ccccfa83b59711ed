// support/dll.cpp
#include "support/dll.h"

#include <string>

namespace qvrtest {

HMODULE Dll() {
    static HMODULE module = [] {
        char exe[MAX_PATH];
        GetModuleFileNameA(nullptr, exe, sizeof exe);
        std::string path = exe;
        path = path.substr(0, path.find_last_of('\\') + 1) + "qvrdll32.dll";
        return LoadLibraryA(path.c_str());
    }();
    return module;
}

} // namespace qvrtest
