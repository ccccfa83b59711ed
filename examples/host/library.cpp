// library.cpp: loading qvrdll32.dll and resolving its exports by name.
#include "library.h"

namespace host {

namespace {

template <class F> void Resolve(Library& library, F& slot, const char* name) {
    FARPROC found = GetProcAddress(library.module, name);
    slot = reinterpret_cast<F>(reinterpret_cast<void*>(found));
    if (found == nullptr)
        library.missing.push_back(name);
}

} // namespace

bool Library::Load(const std::string& path) {
    module = LoadLibraryA(path.c_str());
    if (module == nullptr)
        return false;
#define QVR_RESOLVE(name, bytes) Resolve(*this, name, "_" #name "@" #bytes)
    QVR_RESOLVE(InfInit, 4);
    QVR_RESOLVE(InfInitDiskInf, 8);
    QVR_RESOLVE(InfGetProfileString, 16);
    QVR_RESOLVE(InfLookup, 8);
    QVR_RESOLVE(InfSearchRow, 12);
    QVR_RESOLVE(InfFindSection, 8);
    QVR_RESOLVE(InfNextLine, 4);
    QVR_RESOLVE(InfParseField, 12);
    QVR_RESOLVE(InfLineCount, 4);
    QVR_RESOLVE(InfGetDiskInfPtr, 0);
    QVR_RESOLVE(InfClose, 0);
    QVR_RESOLVE(QVRSetHInstbin, 4);
    QVR_RESOLVE(QVRGetSelectedSize, 4);
    QVR_RESOLVE(InitTargetBuffers, 8);
    QVR_RESOLVE(SetTarget, 16);
    QVR_RESOLVE(SetRelativeTarget, 12);
    QVR_RESOLVE(GetTarget, 12);
    QVR_RESOLVE(GetTargetIndex, 4);
    QVR_RESOLVE(DeleteTargetBuffers, 4);
    QVR_RESOLVE(QVRCreateDir, 8);
    QVR_RESOLVE(QVRPutFile, 16);
    QVR_RESOLVE(QVRCopyFile, 8);
    QVR_RESOLVE(QVRDumpDirectory, 8);
    QVR_RESOLVE(CreateTextFileObject, 28);
    QVR_RESOLVE(DestroyTextFileObject, 4);
    QVR_RESOLVE(TFAddPath, 8);
    QVR_RESOLVE(TFBeforeWin, 8);
    QVR_RESOLVE(TFAddTopCommon, 4);
    QVR_RESOLVE(TFInsertLine, 12);
    QVR_RESOLVE(TFSetSection, 8);
    QVR_RESOLVE(TFLineExists, 16);
    QVR_RESOLVE(TFDeleteLine, 8);
    QVR_RESOLVE(TFAddLineTail, 8);
    QVR_RESOLVE(TFCreateOutput, 8);
    QVR_RESOLVE(QVRSetReg32Value, 24);
    QVR_RESOLVE(QVRGetReg32Value, 24);
    QVR_RESOLVE(QVREnumReg32Values, 16);
#undef QVR_RESOLVE
    return true;
}

} // namespace host
