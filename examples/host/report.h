// report.h: what the demo host prints: step lines and line diffs.
#pragma once

#include <string>
#include <vector>

namespace host {

// Splits text into lines without their CR LF (or LF) ends.
std::vector<std::string> SplitLines(const std::string& text);

// A unified diff of two texts ("--- a/NAME", "+++ b/NAME", hunks with three
// lines of context); "(unchanged)" when the texts have the same lines.
std::string UnifiedDiff(const std::string& name, const std::string& before,
                        const std::string& after);

// Prints a section heading of the report.
void Heading(const std::string& title);
// Prints one step: "  call = result  (meaning)".
void Step(const std::string& call, long long result, const std::string& meaning = "");
// Prints a step whose export the loaded library does not have.
// Prints an indented note line.
void Note(const std::string& text);

} // namespace host
