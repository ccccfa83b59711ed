// install.h: the sample installation, step by step, as an installer drives
// it through qvrdll32.dll, and the report of what it changed.
#pragma once

#include "library.h"

#include <string>

namespace host {

// Exit codes of the host.
enum ExitCode {
    kDone = 0,
    kBadInput = 1,   // missing sample files, a script without its sections
    kNoLibrary = 2,  // the DLL or one of the exports every step needs is missing
    kStepFailed = 3, // an export reported a failure the sample does not expect
};

// Installs the sample in folder `sample` onto the simulated machine (reset
// first) and prints the report.
int RunInstallation(Library& library, const std::string& sample);

// After the restart: carries out what the restart helper would, then shows
// the installed files.
int ShowAfterRestart();

} // namespace host
