// support/restart_state.cpp
#include "support/restart_state.h"

#include "support/temp_dir.h"

#include <windows.h>

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

using Value = RestartStateGuard::Value;

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

RestartStateGuard::RestartStateGuard() {
    for (const char* name : kStateFiles) {
        std::string path = WindowsPath(name);
        savedFiles_.push_back(FileExists(path) ? std::optional<std::string>(ReadBytes(path))
                                               : std::nullopt);
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
        files_.push_back(path);
    }
    savedPending_ = ReadValue(kSessionManager, kPendingValue);
    WriteValue(kSessionManager, kPendingValue, Value());
    savedRunOnce_ = ReadValue(kRunOnceKey, kRunOnceName);
    WriteValue(kRunOnceKey, kRunOnceName, Value());
}

RestartStateGuard::~RestartStateGuard() {
    for (size_t i = 0; i < files_.size(); ++i) {
        SetFileAttributesA(files_[i].c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(files_[i].c_str());
        if (savedFiles_[i])
            WriteBytes(files_[i], *savedFiles_[i]);
    }
    WriteValue(kSessionManager, kPendingValue, savedPending_);
    WriteValue(kRunOnceKey, kRunOnceName, savedRunOnce_);
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
