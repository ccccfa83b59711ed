// machine.cpp: preparing and inspecting the simulated machine.
#include "machine.h"
#include "report.h"

#include <algorithm>
#include <cstring>

namespace host {

const char* const kRestartHelpers[3] = {"_KRBINST.EXE", "_KRBINST.PIF", "_KRBSHEL.EXE"};

namespace {

constexpr const char* kRunOnceKey = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr const char* kSessionManagerKey = "System\\CurrentControlSet\\Control\\Session Manager";

bool IsDots(const char* name) {
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

void ListInto(const std::string& folder, const std::string& prefix, std::vector<std::string>& out) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(Join(folder, "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    std::vector<std::string> files, folders;
    do {
        if (IsDots(found.cFileName))
            continue;
        (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? folders : files)
            .push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(files.begin(), files.end());
    std::sort(folders.begin(), folders.end());
    for (const std::string& name : files) {
        std::string text;
        ReadText(Join(folder, name), text);
        std::string first = text.substr(0, text.find_first_of("\r\n"));
        out.push_back(prefix + name + "  (" + std::to_string(text.size()) + " bytes): " + first);
    }
    for (const std::string& name : folders)
        ListInto(Join(folder, name), prefix + name + "\\", out);
}

// Deletes every value of an open key whose name passes `wanted`.
template <class Pred> void DeleteValues(HKEY root, const char* subKey, Pred wanted) {
    HKEY key;
    if (RegOpenKeyExA(root, subKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    std::vector<std::string> names;
    char name[512];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        if (RegEnumValueA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        if (wanted(std::string(name)))
            names.push_back(name);
    }
    for (const std::string& n : names)
        RegDeleteValueA(key, n.c_str());
    RegCloseKey(key);
}

bool ReadValue(HKEY root, const char* subKey, const char* name, std::string& data) {
    HKEY key;
    if (RegOpenKeyExA(root, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    LONG status = RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        data.assign(size, '\0');
        status =
            RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&data[0]), &size);
        data.resize(size);
    }
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool CopyTree(const std::string& from, const std::string& to) {
    if (!CreateDirectoryA(to.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(Join(from, "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    do {
        if (IsDots(found.cFileName))
            continue;
        std::string source = Join(from, found.cFileName), target = Join(to, found.cFileName);
        ok = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY
                  ? CopyTree(source, target)
                  : CopyFileA(source.c_str(), target.c_str(), FALSE) != 0) &&
             ok;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return ok;
}

} // namespace

std::string WindowsDirectory() {
    char buffer[MAX_PATH];
    UINT length = GetWindowsDirectoryA(buffer, sizeof buffer);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : "C:\\WINDOWS";
}

std::string Join(const std::string& directory, const std::string& name) {
    if (directory.empty() || directory.back() == '\\')
        return directory + name;
    return directory + "\\" + name;
}

bool ReadText(const std::string& path, std::string& text) {
    text.clear();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    char buffer[4096];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr) != 0) && got > 0)
        text.append(buffer, got);
    CloseHandle(file);
    return ok;
}

bool WriteText(const std::string& path, const std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
              written == text.size();
    CloseHandle(file);
    return ok;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool RemoveAll(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;
    SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return DeleteFileA(path.c_str()) != 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(Join(path, "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!IsDots(found.cFileName))
                RemoveAll(Join(path, found.cFileName));
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return RemoveDirectoryA(path.c_str()) != 0;
}

std::vector<StartupFile> StartupFiles() {
    std::vector<StartupFile> files = {{"AUTOEXEC.BAT", "AUTOEXEC.BAT", ""},
                                      {"CONFIG.SYS", "CONFIG.SYS", ""},
                                      {"SYSTEM.INI", "WINDOWS\\SYSTEM.INI", ""},
                                      {"WIN.INI", "WINDOWS\\WIN.INI", ""}};
    for (StartupFile& file : files)
        file.path = Join(kMachineRoot, file.relative);
    return files;
}

std::string ResetMachine(const std::string& sampleFolder) {
    const std::string root = kMachineRoot;
    if (!RemoveAll(root))
        return "cannot clear " + root + " (error " + std::to_string(GetLastError()) + ")";
    const std::string machine = Join(sampleFolder, "machine");
    for (const StartupFile& file : StartupFiles()) {
        if (!Exists(Join(machine, file.relative)))
            return "missing sample file " + Join(machine, file.relative);
    }
    if (!CopyTree(machine, root))
        return "cannot copy " + machine + " to " + root;

    // Leftovers of an earlier run in the real Windows directory.
    const std::string windows = WindowsDirectory();
    for (const char* name : {"WININIT.QVR", "_KRBINST.BAT"})
        DeleteFileA(Join(windows, name).c_str());
    for (const char* helper : kRestartHelpers) {
        std::string retired = helper;
        retired[0] = '~';
        DeleteFileA(Join(windows, retired).c_str());
        WriteText(Join(windows, helper), std::string("restart helper ") + helper + "\r\n");
    }
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kProductKey);
    DeleteValues(HKEY_LOCAL_MACHINE, kRunOnceKey, [](const std::string&) { return true; });
    DeleteValues(HKEY_LOCAL_MACHINE, kSessionManagerKey,
                 [](const std::string& name) { return name == "PendingFileRenameOperations"; });
    return "";
}

std::vector<std::string> ListFiles(const std::string& folder) {
    std::vector<std::string> out;
    ListInto(folder, "", out);
    return out;
}

std::vector<std::string> PendingRenames() {
    std::string data;
    if (!ReadValue(HKEY_LOCAL_MACHINE, kSessionManagerKey, "PendingFileRenameOperations", data))
        return {};
    return DescribePendingRenames(data);
}

std::vector<std::string> DescribePendingRenames(const std::string& data) {
    std::vector<std::string> out;
    std::vector<std::string> strings;
    for (size_t start = 0; start < data.size();) {
        size_t end = data.find('\0', start);
        if (end == std::string::npos)
            end = data.size();
        strings.push_back(data.substr(start, end - start));
        start = end + 1;
    }
    // Pairs of source and destination; the list ends with an empty string.
    for (size_t i = 0; i + 1 < strings.size(); i += 2) {
        if (strings[i].empty())
            break;
        if (strings[i + 1].empty())
            out.push_back("delete " + strings[i]);
        else
            out.push_back("rename " + strings[i] + " -> " + strings[i + 1]);
    }
    return out;
}

std::vector<std::string> RunOnceValues() {
    std::vector<std::string> out;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunOnceKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return out;
    for (DWORD index = 0;; ++index) {
        char name[512], data[1024] = "";
        DWORD nameLength = sizeof name, dataLength = sizeof data - 1, type = 0;
        if (RegEnumValueA(key, index, name, &nameLength, nullptr, &type,
                          reinterpret_cast<BYTE*>(data), &dataLength) != ERROR_SUCCESS)
            break;
        data[dataLength] = '\0';
        out.push_back(std::string(name) + " = " + data);
    }
    RegCloseKey(key);
    return out;
}

namespace {

// The text after `word` and blanks, when `line` starts with `word` (any case).
bool Command(const std::string& line, const char* word, std::string& rest) {
    size_t n = std::strlen(word);
    if (line.size() < n || CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, line.c_str(),
                                          static_cast<int>(n), word, static_cast<int>(n)) != 2)
        return false;
    if (line.size() > n && line[n] != ' ')
        return false;
    size_t start = line.find_first_not_of(' ', n);
    rest = start == std::string::npos ? "" : line.substr(start);
    return true;
}

void Replace(const std::string& target, const std::string& source, std::vector<std::string>& out) {
    DeleteFileA(target.c_str());
    bool ok = MoveFileA(source.c_str(), target.c_str()) != 0;
    out.push_back("replace " + target + " by " + source + (ok ? "" : "  (failed)"));
}

} // namespace

std::vector<std::string> RunRestartHelper(const std::string& windows) {
    std::vector<std::string> out;
    std::string text;
    const std::string wininit = Join(windows, "WININIT.QVR");
    if (ReadText(wininit, text)) {
        for (const std::string& line : SplitLines(text)) {
            size_t equals = line.find('=');
            if (equals == std::string::npos)
                continue;
            std::string target = line.substr(0, equals), source = line.substr(equals + 1);
            if (lstrcmpiA(target.c_str(), "NUL") == 0) {
                bool ok = RemoveAll(source);
                out.push_back("delete " + source + (ok ? "" : "  (failed)"));
            } else {
                Replace(target, source, out);
            }
        }
        DeleteFileA(wininit.c_str());
    }
    const std::string batch = Join(windows, "_KRBINST.BAT");
    if (ReadText(batch, text)) {
        for (const std::string& line : SplitLines(text)) {
            std::string rest;
            if (Command(line, "Copy", rest)) {
                size_t blank = rest.find(' ');
                std::string source = rest.substr(0, blank);
                std::string target = blank == std::string::npos ? "" : rest.substr(blank + 1);
                bool ok = CopyFileA(source.c_str(), target.c_str(), FALSE) != 0;
                out.push_back("copy " + source + " to " + target + (ok ? "" : "  (failed)"));
            } else if (Command(line, "Del", rest)) {
                bool ok = DeleteFileA(rest.c_str()) != 0;
                out.push_back("delete " + rest + (ok ? "" : "  (failed)"));
            } else if (Command(line, "DelTree /Y", rest)) {
                bool ok = RemoveAll(rest);
                out.push_back("delete tree " + rest + (ok ? "" : "  (failed)"));
            } else if (Command(line, "Rmdir", rest)) {
                bool ok = RemoveDirectoryA(rest.c_str()) != 0;
                out.push_back("remove directory " + rest + (ok ? "" : "  (failed)"));
            }
        }
        DeleteFileA(batch.c_str());
    }
    return out;
}

} // namespace host
