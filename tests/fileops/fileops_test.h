// fileops/fileops_test.h: what the file operation tests share: directory
// listings, files held open as another program would hold them, and the
// fixture of the tests that schedule work for the restart.
#pragma once

#include "fileops/deferred_ops.h"
#include "support/restart_state.h"
#include "support/temp_dir.h"
#include "util/unique.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <initializer_list>
#include <set>
#include <string>

namespace qvrtest {

// Every file and directory under `root`, as relative paths.
inline std::set<std::string> Listing(const std::string& root, const std::string& prefix = "") {
    std::set<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((root + "\\*").c_str(), &data);
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileA(find, &data)) {
        const std::string name = data.cFileName;
        if (name == "." || name == "..")
            continue;
        names.insert(prefix + name);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            names.merge(Listing(root + "\\" + name, prefix + name + "\\"));
    }
    FindClose(find);
    return names;
}

inline void MakeDirs(std::initializer_list<std::string> paths) {
    for (const std::string& path : paths)
        ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
}

// Opens a file or directory without sharing, as another program using it would.
inline qvr::FileHandle HoldOpen(const std::string& path) {
    return qvr::FileHandle(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

inline std::string ShortForm(const std::string& path) {
    char buffer[MAX_PATH];
    DWORD n = GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
    return n > 0 && n < sizeof buffer ? std::string(buffer) : path;
}

// The restart state saved and cleared, and the library's once-per-process
// flags of the restart work reset.
class RestartTest : public FileTest {
  protected:
    RestartStateGuard restartState;

    RestartTest() {
        qvr::ntHelperScheduled = qvr::runOnceWritten = 0;
        qvr::wininitHeaderWritten = qvr::win95MarkerWritten = 0;
    }
};

} // namespace qvrtest
