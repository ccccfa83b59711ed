// library.h: qvrdll32.dll as the demo host sees it: loaded at run time, every
// export looked up by its decorated name. A missing export stays null, so a
// step that needs it can say so instead of crashing.
#pragma once

#include <windows.h>

#include "qvrdll32.h"

#include <string>
#include <vector>

namespace host {

struct Library {
    HMODULE module = nullptr;
    std::vector<std::string> missing; // decorated names that were not found

    // Script engine
    decltype(&::InfInit) InfInit = nullptr;
    decltype(&::InfInitDiskInf) InfInitDiskInf = nullptr;
    decltype(&::InfGetProfileString) InfGetProfileString = nullptr;
    decltype(&::InfLookup) InfLookup = nullptr;
    decltype(&::InfSearchRow) InfSearchRow = nullptr;
    decltype(&::InfFindSection) InfFindSection = nullptr;
    decltype(&::InfNextLine) InfNextLine = nullptr;
    decltype(&::InfParseField) InfParseField = nullptr;
    decltype(&::InfLineCount) InfLineCount = nullptr;
    decltype(&::InfGetDiskInfPtr) InfGetDiskInfPtr = nullptr;
    decltype(&::InfClose) InfClose = nullptr;
    // Frame
    decltype(&::QVRSetHInstbin) QVRSetHInstbin = nullptr;
    decltype(&::QVRGetSelectedSize) QVRGetSelectedSize = nullptr;
    // Targets
    decltype(&::InitTargetBuffers) InitTargetBuffers = nullptr;
    decltype(&::SetTarget) SetTarget = nullptr;
    decltype(&::SetRelativeTarget) SetRelativeTarget = nullptr;
    decltype(&::GetTarget) GetTarget = nullptr;
    decltype(&::GetTargetIndex) GetTargetIndex = nullptr;
    decltype(&::DeleteTargetBuffers) DeleteTargetBuffers = nullptr;
    // Files and directories
    decltype(&::QVRCreateDir) QVRCreateDir = nullptr;
    decltype(&::QVRPutFile) QVRPutFile = nullptr;
    decltype(&::QVRCopyFile) QVRCopyFile = nullptr;
    decltype(&::QVRDumpDirectory) QVRDumpDirectory = nullptr;
    // Text files
    decltype(&::CreateTextFileObject) CreateTextFileObject = nullptr;
    decltype(&::DestroyTextFileObject) DestroyTextFileObject = nullptr;
    decltype(&::TFAddPath) TFAddPath = nullptr;
    decltype(&::TFBeforeWin) TFBeforeWin = nullptr;
    decltype(&::TFAddTopCommon) TFAddTopCommon = nullptr;
    decltype(&::TFInsertLine) TFInsertLine = nullptr;
    decltype(&::TFSetSection) TFSetSection = nullptr;
    decltype(&::TFLineExists) TFLineExists = nullptr;
    decltype(&::TFDeleteLine) TFDeleteLine = nullptr;
    decltype(&::TFAddLineTail) TFAddLineTail = nullptr;
    decltype(&::TFCreateOutput) TFCreateOutput = nullptr;
    // Registry
    decltype(&::QVRSetReg32Value) QVRSetReg32Value = nullptr;
    decltype(&::QVRGetReg32Value) QVRGetReg32Value = nullptr;
    decltype(&::QVREnumReg32Values) QVREnumReg32Values = nullptr;

    // Loads the DLL from `path` and looks up every export. False when the
    // DLL itself cannot be loaded.
    bool Load(const std::string& path);
};

} // namespace host
