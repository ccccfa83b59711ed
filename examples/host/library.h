// library.h: qvrdll32.dll as the demo host sees it: loaded at run time, every
// export looked up by the name the DLL exports it under (the generated list,
// qvr_exports.h), typed as the public header declares it.
#pragma once

#include <windows.h>

#include "qvrdll32.h"
#include "qvr_exports.h"

#include <string>
#include <vector>

namespace host {

struct Library {
    HMODULE module = nullptr;
    std::vector<std::string> missing; // exported names that were not found

#define QVR_EXPORT_SLOT(name, bytes, exported) decltype(&::name) name = nullptr;
    QVR_EXPORTS(QVR_EXPORT_SLOT)
#undef QVR_EXPORT_SLOT

    // Loads the DLL from `path` and looks up every export. False when the
    // DLL cannot be loaded or lacks an export (named in `missing`).
    bool Load(const std::string& path);
};

} // namespace host
