// support/restart_state.h: the prefix's state for work put off to the next
// restart (the pending operations of MoveFileExA, the restart files in the
// Windows directory, the RunOnce value), which every test program of a build
// tree shares, and Wine's restart that carries the pending operations out.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace qvrtest {

// A registry value as read: present or not, its type and its bytes.
struct RegValue {
    bool present = false;
    unsigned long type = 0;
    std::string data;
    bool operator==(const RegValue& o) const {
        return present == o.present && type == o.type && data == o.data;
    }
};

// The whole restart state: the restart files and helpers in the Windows
// directory (contents, or none), the pending operations and the RunOnce value.
struct RestartSnapshot {
    std::vector<std::optional<std::string>> files;
    RegValue pending, runOnce;
    bool operator==(const RestartSnapshot& o) const {
        return files == o.files && pending == o.pending && runOnce == o.runOnce;
    }
};
RestartSnapshot TakeRestartSnapshot();
// For GoogleTest's messages: which parts are present.
void PrintTo(const RestartSnapshot& snapshot, std::ostream* out);

// Saves the restart state, clears it, and puts it back when destroyed.
class RestartStateGuard {
  public:
    RestartStateGuard();
    ~RestartStateGuard();
    RestartStateGuard(const RestartStateGuard&) = delete;
    RestartStateGuard& operator=(const RestartStateGuard&) = delete;

    using Value = RegValue;

  private:
    RestartSnapshot saved_;
};

// The RunOnce value the library writes for the restart helper (present is
// false when there is none), and its removal.
RestartStateGuard::Value RunOnceValue();
void ClearRunOnceValue();
// "<windir>\name".
std::string WindowsPath(const std::string& name);
// The strings of the pending operations list, empty ones included, without
// the one that ends the list: pairs of "\??\source" and "" (deletion) or
// "!\??\destination" (rename with replace).
std::vector<std::string> PendingOperations();
// How a path appears in the pending operations list.
std::string NtPath(const std::string& path);
// Runs "wineboot -r", which carries out the pending operations. False when it
// could not be started or did not end within a minute.
bool RunWineRestart();

} // namespace qvrtest
