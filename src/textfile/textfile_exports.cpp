// textfile/textfile_exports.cpp: text file services for the installer.
#include "qvrdll32.h"
#include "textfile/batch_text_file.h"

// 1 when COMSPEC names one of the two alternative command shells, else 0.
extern "C" int WINAPI IsShellKdos() noexcept {
    return qvr::IsShellKdos();
}
