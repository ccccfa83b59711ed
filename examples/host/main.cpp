// main.cpp: the demo host, a stand-in for a script-driven installer. It
// loads qvrdll32.dll from its own folder and installs the bundled sample.
//
//   qvr_host [SAMPLE_FOLDER]        install (default: the "sample" folder
//                                   beside the program) and report
//   qvr_host --after-restart        after the restart of the simulated
//                                   Windows: finish what waited for it
#include "install.h"
#include "library.h"
#include "message_boxes.h"

#include <cstdio>
#include <cstring>

namespace {

// The exports that every step needs; the others make single steps
// unavailable when they are missing.
const char* const kRequired[] = {
    "_InfInit@4",
    "_InfInitDiskInf@8",
    "_InfGetProfileString@16",
    "_InfLookup@8",
    "_InfSearchRow@12",
    "_InfFindSection@8",
    "_InfNextLine@4",
    "_InfParseField@12",
    "_InfLineCount@4",
    "_InfGetDiskInfPtr@0",
    "_InfClose@0",
    "_QVRSetHInstbin@4",
    "_QVRGetSelectedSize@4",
    "_InitTargetBuffers@8",
    "_SetTarget@16",
    "_SetRelativeTarget@12",
    "_GetTarget@12",
    "_GetTargetIndex@4",
    "_DeleteTargetBuffers@4",
    "_QVRCreateDir@8",
    "_QVRPutFile@16",
    "_CreateTextFileObject@28",
    "_DestroyTextFileObject@4",
    "_TFAddPath@8",
    "_TFBeforeWin@8",
    "_TFAddTopCommon@4",
    "_TFInsertLine@12",
    "_TFSetSection@8",
    "_TFLineExists@16",
    "_TFDeleteLine@8",
    "_TFAddLineTail@8",
    "_TFCreateOutput@8",
};

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    char exe[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string folder(exe, length < sizeof exe ? length : 0);
    folder = folder.substr(0, folder.find_last_of('\\') + 1);

    if (argc > 1 && std::strcmp(argv[1], "--after-restart") == 0)
        return host::ShowAfterRestart();
    if (argc > 2 || (argc == 2 && argv[1][0] == '-')) {
        std::printf("usage: qvr_host [SAMPLE_FOLDER] | --after-restart\n");
        return host::kBadInput;
    }
    std::string sample = argc > 1 ? argv[1] : folder + "sample";

    host::StartMessageBoxAnswerer();
    host::Library library;
    std::string dll = folder + "qvrdll32.dll";
    if (!library.Load(dll)) {
        std::printf("error: cannot load %s (error %lu)\n", dll.c_str(), GetLastError());
        return host::kNoLibrary;
    }
    std::printf("Loaded %s\n", dll.c_str());
    for (const std::string& name : library.missing) {
        for (const char* required : kRequired) {
            if (name == required) {
                std::printf("error: %s has no export %s\n", dll.c_str(), required);
                return host::kNoLibrary;
            }
        }
    }
    for (const std::string& name : library.missing)
        std::printf("  not in this build: %s (its steps are reported as unavailable)\n",
                    name.c_str());
    return host::RunInstallation(library, sample);
}
