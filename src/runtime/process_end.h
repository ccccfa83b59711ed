// runtime/process_end.h: how the library ends the process when it cannot go
// on (a counted string or a line array that cannot be allocated).
#pragma once

namespace qvr {

// Ends the process the way the C runtime's abort does: exit code 3, nothing
// shown. Never returns.
[[noreturn]] void EndProcess();

} // namespace qvr
