// support/exports.h: every export of the DLL as the black-box tests call it,
// typed as the public header declares it and looked up once by the name the
// DLL exports it under (the generated list, qvr_exports.h), the way the
// installer does. An export the DLL lacks stays null; the test programs
// refuse to start then (MissingExports).
#pragma once

#include "qvrdll32.h"
#include "qvr_exports.h"

#include <string>
#include <vector>

namespace qvrtest {

struct DllExports {
#define QVR_EXPORT_SLOT(name, bytes, exported) decltype(&::name) name;
    QVR_EXPORTS(QVR_EXPORT_SLOT)
#undef QVR_EXPORT_SLOT
};

const DllExports& Exports();
// The exported names that were not found.
std::vector<std::string> MissingExports();

} // namespace qvrtest
