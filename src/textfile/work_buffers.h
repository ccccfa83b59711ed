// textfile/work_buffers.h: the module-wide 512-byte work buffers that all
// text file objects share. Their sizes are limits of the design (511
// characters and a terminator). None of them is reentrant: an operation
// that reads one must be done with it before another operation runs.
#pragma once

namespace qvr {

constexpr int kWorkBufferSize = 512;
constexpr int kWorkTextLimit = kWorkBufferSize - 1;

// Each line while the file is split at loading; the parse result of
// GetParsedLineText; each line read back by GetSize and CreateOutput.
extern char lineWorkBuffer[kWorkBufferSize];
// ClassifyLine's parsed text.
extern char classifyBuffer[kWorkBufferSize];
// LineExists: the pattern, lower-cased and split into pieces.
extern char patternBuffer[kWorkBufferSize];
// LineExists: the parsed text of the line under test.
extern char searchLineBuffer[kWorkBufferSize];
// The work copy inside the file-type ParseText operations.
extern char parseWorkBuffer[kWorkBufferSize];
// A line's text read back by the batch file path operations.
extern char pathLineBuffer[kWorkBufferSize];
// The parsed text of that line.
extern char pathParsedBuffer[kWorkBufferSize];
// The initialisation file's header search text, "[" + name + "]".
extern char sectionSearchBuffer[kWorkBufferSize];

} // namespace qvr
