// support/restart_state.cpp
#include "support/restart_state.h"

#include "support/temp_dir.h"

#include <windows.h>

#include <iterator>

namespace qvrtest {

namespace {

const char kSessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";
const char kPendingValue[] = "PendingFileRenameOperations";
const char kRunOnceKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const char kRunOnceName[] = "Halvorix Installer for Windows"; // string 80
// The restart files and the installer's restart helpers, under their own
// names and the '~' names they are retired to.
const char* const kStateFiles[] = {"WININIT.QVR",  "_KRBINST.BAT", "_KRBINST.EXE", "_KRBINST.PIF",
                                   "_KRBSHEL.EXE", "~KRBINST.EXE", "~KRBINST.PIF", "~KRBSHEL.EXE"};

using Value = RegValue;

Value ReadValue(const char* key, const char* name) {
    Value v;
    DWORD size = 0, type = 0;
    const DWORD flags = RRF_RT_ANY | RRF_NOEXPAND;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, key, name, flags, nullptr, nullptr, &size) != 0)
        return v;
    v.data.resize(size);
    v.present =
        RegGetValueA(HKEY_LOCAL_MACHINE, key, name, flags, &type, v.data.data(), &size) == 0;
    v.data.resize(size);
    v.type = type;
    return v;
}

void WriteValue(const char* key, const char* name, const Value& v) {
    if (v.present)
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, key, name, v.type, v.data.data(),
                        static_cast<DWORD>(v.data.size()));
    else
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, key, name);
}

} // namespace

RestartSnapshot TakeRestartSnapshot() {
    RestartSnapshot snapshot;
    for (const char* name : kStateFiles) {
        const std::string path = WindowsPath(name);
        snapshot.files.push_back(FileExists(path) ? std::optional<std::string>(ReadBytes(path))
                                                  : std::nullopt);
    }
    snapshot.pending = ReadValue(kSessionManager, kPendingValue);
    snapshot.runOnce = ReadValue(kRunOnceKey, kRunOnceName);
    return snapshot;
}

void PrintTo(const RestartSnapshot& snapshot, std::ostream* out) {
    for (size_t i = 0; i < snapshot.files.size(); ++i) {
        if (snapshot.files[i])
            *out << kStateFiles[i] << " (" << snapshot.files[i]->size() << " bytes) ";
    }
    *out << "pending: " << snapshot.pending.data.size()
         << " bytes, RunOnce: " << (snapshot.runOnce.present ? snapshot.runOnce.data : "none");
}

RestartStateGuard::RestartStateGuard() : saved_(TakeRestartSnapshot()) {
    for (const char* name : kStateFiles) {
        const std::string path = WindowsPath(name);
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
    }
    WriteValue(kSessionManager, kPendingValue, Value());
    WriteValue(kRunOnceKey, kRunOnceName, Value());
}

RestartStateGuard::~RestartStateGuard() {
    for (size_t i = 0; i < std::size(kStateFiles); ++i) {
        const std::string path = WindowsPath(kStateFiles[i]);
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
        if (saved_.files[i])
            WriteBytes(path, *saved_.files[i]);
    }
    WriteValue(kSessionManager, kPendingValue, saved_.pending);
    WriteValue(kRunOnceKey, kRunOnceName, saved_.runOnce);
}

Value RunOnceValue() {
    return ReadValue(kRunOnceKey, kRunOnceName);
}

void ClearRunOnceValue() {
    WriteValue(kRunOnceKey, kRunOnceName, Value());
}

std::string WindowsPath(const std::string& name) {
    char buffer[MAX_PATH] = "";
    GetWindowsDirectoryA(buffer, sizeof buffer);
    std::string dir = buffer;
    return !dir.empty() && dir.back() == '\\' ? dir + name : dir + "\\" + name;
}

std::vector<std::string> PendingOperations() {
    Value v = ReadValue(kSessionManager, kPendingValue);
    std::vector<std::string> out;
    size_t start = 0;
    while (v.present && start < v.data.size()) {
        size_t end = v.data.find('\0', start);
        if (end == std::string::npos)
            end = v.data.size();
        out.push_back(v.data.substr(start, end - start));
        start = end + 1;
    }
    if (!out.empty() && out.back().empty())
        out.pop_back();
    return out;
}

std::string NtPath(const std::string& path) {
    return "\\??\\" + path;
}

bool RunWineRestart() {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    char command[] = "wineboot.exe -r";
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    const bool ended = WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ended;
}

} // namespace qvrtest
