// util/fault_injection.cpp
#include "util/fault_injection.h"

#include <windows.h>

namespace qvr {

namespace {
// Checks left before each fault fires; -1: not armed.
int remaining[static_cast<int>(Fault::Count)] = {-1, -1, -1};
} // namespace

void FailAfter(Fault fault, int successes) {
    remaining[static_cast<int>(fault)] = successes < 0 ? -1 : successes;
}

bool ShouldFail(Fault fault) {
    int& left = remaining[static_cast<int>(fault)];
    if (left < 0)
        return false;
    if (left > 0) {
        --left;
        return false;
    }
    left = -1;
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return true;
}

} // namespace qvr
