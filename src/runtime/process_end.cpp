// runtime/process_end.cpp
#include "runtime/process_end.h"

#include <windows.h>

namespace qvr {

void EndProcess() {
    ExitProcess(3);
}

} // namespace qvr
