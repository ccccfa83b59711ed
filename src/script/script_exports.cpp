// script/script_exports.cpp: loading the installation script and disks.inf.
#include "qvrdll32.h"
#include "script/script_load.h"

// Loads and parses the installation script into a new script context.
extern "C" int WINAPI InfInit(LPCSTR path) noexcept {
    return qvr::InitScript(path);
}

// Adds the selected disks.inf sections to the current script context.
extern "C" int WINAPI InfInitDiskInf(LPCSTR path, LPCSTR sectionPrefix) noexcept {
    return qvr::InitDiskInf(path, sectionPrefix);
}
