// script/script_exports.cpp: loading the installation script and disks.inf,
// and parking a script context while another is loaded. A script context
// comes with a file service of its own; these exports make and drop both.
#include "fileops/file_io.h"
#include "qvrdll32.h"
#include "script/script_context.h"
#include "script/script_load.h"
#include "textfile/text_file_table.h"

// Loads and parses the installation script into a new script context.
extern "C" int WINAPI InfInit(LPCSTR path) noexcept {
    // A path that cannot fit the shared buffer changes nothing at all.
    if (!qvr::ScriptPathFits(path))
        return 0;
    // A new script forgets every text file handle (the objects stay).
    qvr::ClearTextFileTable();
    OFSTRUCT info = {};
    if (!qvr::FindScriptFile(path, &info))
        return 0;
    // A new context and file service become current. The pair that was
    // current is not released: a caller that wants it back saved it with
    // SaveFunctions. If either cannot be made, neither is current.
    bool started = qvr::StartScriptContext();
    if (!qvr::StartFileService() || !started) {
        qvr::ReplaceScriptContext(nullptr);
        qvr::ReplaceFileService(nullptr);
        return 0;
    }
    return qvr::LoadScriptImage(info.szPathName);
}

// Adds the selected disks.inf sections to the current script context.
extern "C" int WINAPI InfInitDiskInf(LPCSTR path, LPCSTR sectionPrefix) noexcept {
    return qvr::InitDiskInf(path, sectionPrefix);
}

// Hands the current script context and file service to the caller.
extern "C" void WINAPI SaveFunctions(ScriptContext** context, FileService** service) noexcept {
    if (context != nullptr)
        *context = qvr::CurrentScriptContext();
    if (service != nullptr)
        *service = qvr::CurrentFileService();
}

// Deletes the current context record and service, and makes the given pair
// current. Images the deleted record points to are not released.
extern "C" void WINAPI RestoreFunctions(ScriptContext* context, FileService* service) noexcept {
    qvr::ReplaceScriptContext(context);
    qvr::ReplaceFileService(service);
}
