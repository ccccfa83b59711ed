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
        if (library.module == nullptr)
            std::printf("error: cannot load %s (error %lu)\n", dll.c_str(), GetLastError());
        for (const std::string& name : library.missing)
            std::printf("error: %s has no export %s\n", dll.c_str(), name.c_str());
        return host::kNoLibrary;
    }
    std::printf("Loaded %s\n", dll.c_str());
    return host::RunInstallation(library, sample);
}
