// support/temp_dir.h: a fresh directory under %TEMP% for one test, removed
// with everything in it afterwards, and helpers to write and read files.
#pragma once

#include "support/message_boxes.h"

#include <string>

namespace qvrtest {

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + "\\" + name
    std::string operator/(const std::string& name) const;

  private:
    std::string path_;
};

void WriteBytes(const std::string& path, const std::string& bytes);
// The file's bytes; an empty string when it cannot be read.
std::string ReadBytes(const std::string& path);
bool FileExists(const std::string& path);

// Fixture with a temporary directory `dir`.
class FileTest : public QvrTest {
  protected:
    TempDir dir;
};

// Busy blocks on all of the process's heaps (global memory blocks included):
// a call that leaks shows up as growth across many repetitions.
size_t CountHeapBlocks();

} // namespace qvrtest
