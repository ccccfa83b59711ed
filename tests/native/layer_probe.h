// native/layer_probe.h: one report of how the memory, string and character
// calls the library relies on behave, line by line. The same source is
// built for Windows (run under Wine) and natively against the portability
// layer; both must produce the report committed beside it.
#pragma once

#include <string>
#include <vector>

namespace qvrtest {

// The report's lines for the process's current ANSI code page.
std::vector<std::string> ProbeLayer();

} // namespace qvrtest
