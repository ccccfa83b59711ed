// files.h: file and directory helpers of the benchmark host.
#ifndef QVR_BENCH_FILES_H
#define QVR_BENCH_FILES_H

#include <string>
#include <vector>

namespace bench {

bool WriteFileBytes(const std::string& path, const std::string& bytes);
// The file's bytes, or an empty string when it cannot be read.
std::string ReadFileBytes(const std::string& path);
// Removes a directory and everything below it; true when it is gone.
bool RemoveTree(const std::string& path);
// Every file below `root`, as paths relative to it, sorted.
std::vector<std::string> ListFiles(const std::string& root);
// A fresh directory under %TEMP% (or under `parent` when given).
std::string MakeWorkDir(const std::string& parent);

} // namespace bench

#endif
