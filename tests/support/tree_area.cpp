// support/tree_area.cpp
#include "support/tree_area.h"

#include "support/exports.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace qvrtest {

namespace {

[[noreturn]] void Stop(const std::string& what, const char* path) {
    std::fprintf(stderr, "tree area guard: %s (path \"%s\"); the run stops here\n", what.c_str(),
                 path != nullptr ? path : "(null)");
    std::fflush(stderr);
    std::abort();
}

std::string Folded(const std::string& path) {
    std::string s = path;
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    while (!s.empty() && s.back() == '\\')
        s.pop_back();
    return s;
}

// True when `path` is `area` or lies inside it, case ignored.
bool Within(const std::string& area, const std::string& path) {
    const std::string a = Folded(area), p = Folded(path);
    return !a.empty() && p.compare(0, a.size(), a) == 0 &&
           (p.size() == a.size() || p[a.size()] == '\\');
}

// GetFullPathNameA of `path` ("" for null or empty: "."), in the current or
// the Windows directory; "\\?\C:\x" and "\\.\C:\x" become "C:\x",
// "\\?\UNC\s\x" becomes "\\s\x". The empty string when it cannot be
// resolved.
std::string Resolve(const char* path, ResolvedIn where) {
    const std::string p = path == nullptr || *path == '\0' ? "." : path;
    char saved[2 * MAX_PATH] = "";
    bool moved = false;
    if (where == ResolvedIn::WindowsDirectory) {
        char windows[MAX_PATH] = "";
        GetCurrentDirectoryA(sizeof saved, saved);
        GetWindowsDirectoryA(windows, sizeof windows);
        moved = SetCurrentDirectoryA(windows) != FALSE;
    }
    std::vector<char> full(p.size() + 2 * MAX_PATH);
    const DWORD n =
        GetFullPathNameA(p.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (moved)
        SetCurrentDirectoryA(saved);
    std::string resolved = n > 0 && n < full.size() ? full.data() : "";
    if (resolved.size() >= 6 && resolved.compare(0, 2, "\\\\") == 0 &&
        (resolved[2] == '?' || resolved[2] == '.') && resolved[3] == '\\' &&
        std::isalpha(static_cast<unsigned char>(resolved[4])) && resolved[5] == ':')
        resolved.erase(0, 4);
    else if (resolved.size() > 8 && Folded(resolved.substr(0, 7)) == "\\\\?\\UNC" &&
             resolved[7] == '\\')
        resolved.erase(1, 6);
    return resolved;
}

std::vector<std::string> ScratchRoots() {
    std::vector<std::string> roots;
    const char* list = std::getenv("QVR_SCRATCH_ROOTS");
    std::string rest = list != nullptr ? list : "";
    while (!rest.empty()) {
        const size_t end = rest.find(';');
        if (end != 0)
            roots.push_back(rest.substr(0, end));
        rest = end == std::string::npos ? "" : rest.substr(end + 1);
    }
    return roots;
}

// The areas tree operations may touch; stops the run when the prefix does
// not look as it should.
std::vector<std::string> Areas(const char* path) {
    if (!InSandbox()) {
        char temp[MAX_PATH] = "";
        GetTempPathA(sizeof temp, temp);
        if (!Within("C:\\", temp))
            Stop(std::string("%TEMP% is not on drive C: but ") + temp, path);
        return {temp};
    }
    std::vector<std::string> areas = ScratchRoots();
    DWORD allowed = 1u << ('C' - 'A');
    for (const std::string& root : areas) {
        if (root.size() >= 2 && root[1] == ':')
            allowed |= 1u << (std::toupper(static_cast<unsigned char>(root[0])) - 'A');
    }
    if ((GetLogicalDrives() & ~allowed) != 0)
        Stop("a drive other than C: and the scratch drives is mapped", path);
    areas.push_back("C:\\");
    return areas;
}

bool InsideArea(const std::string& resolved, const std::vector<std::string>& areas) {
    for (const std::string& area : areas) {
        // An ordinary prefix's %TEMP% itself holds other programs' files.
        if (Within(area, resolved) && (InSandbox() || Folded(area) != Folded(resolved)))
            return true;
    }
    return false;
}

} // namespace

bool InSandbox() {
    return std::getenv("QVR_SCRATCH_ROOTS") != nullptr;
}

void RequireTreeArea(const char* path, ResolvedIn where) {
    const std::vector<std::string> areas = Areas(path);
    std::string resolved = Resolve(path, where);
    if (resolved.empty()) {
        // Too long to resolve (a 65,536-character test string): it stays
        // where its text says when it names an area and never steps back.
        const std::string text = path != nullptr ? path : "";
        if (text.find("..") == std::string::npos && text.find(':', 2) == std::string::npos)
            resolved = text;
    }
    if (!InsideArea(resolved, areas))
        Stop("a tree operation would reach outside the test areas: " + resolved, path);
}

int SafeDelTree(const char* directory) {
    // Relative paths resolve in the Windows directory there; a fault could
    // leave them in the current one.
    RequireTreeArea(directory, ResolvedIn::WindowsDirectory);
    RequireTreeArea(directory, ResolvedIn::CurrentDirectory);
    return Exports().QVRDelTree(directory);
}

int SafeDumpDirectory(const char* source, const char* destination) {
    RequireTreeArea(source);
    RequireTreeArea(destination);
    return Exports().QVRDumpDirectory(source, destination);
}

int SafeRemTempDirNT(const char* directory) {
    RequireTreeArea(directory);
    return Exports().InstRemTempDirNT(directory);
}

int SafeTryRemoveDir(const char* directory) {
    RequireTreeArea(directory);
    return Exports().QVRTryRemoveDir(directory);
}

} // namespace qvrtest
