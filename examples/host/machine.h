// machine.h: the simulated machine the demo installs onto. The host prepares
// it before each run (so that every run starts from the same state) and
// reads it back for the report; none of this goes through qvrdll32.dll.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace host {

// Everything the demo writes lives under this folder, apart from what the
// library puts into the Windows directory and the registry for the restart.
constexpr const char* kMachineRoot = "C:\\QVRDEMO";
// The demo's registry key, under HKEY_LOCAL_MACHINE.
constexpr const char* kProductKey = "Software\\Sample Corp";
// The installer's restart helpers, which it keeps in the Windows directory.
extern const char* const kRestartHelpers[3];

std::string WindowsDirectory();
std::string Join(const std::string& directory, const std::string& name);
bool ReadText(const std::string& path, std::string& text);
bool WriteText(const std::string& path, const std::string& text);
bool Exists(const std::string& path);
// Deletes a file or a whole directory tree; true when nothing is left.
bool RemoveAll(const std::string& path);

// The start-up files of the simulated machine: their place on it and the
// name of their original in the sample's "machine" folder.
struct StartupFile {
    std::string label;    // as shown in the report
    std::string relative; // below kMachineRoot and the sample's "machine" folder
    std::string path;     // on the simulated machine
};
std::vector<StartupFile> StartupFiles();

// Brings the simulated machine back to its state before any installation:
// a fresh kMachineRoot holding a copy of the sample's "machine" folder, no restart
// files or registrations left from an earlier run, the restart helpers in
// place and no demo registry key. Returns an error text, empty on success.
std::string ResetMachine(const std::string& sampleFolder);

// Every file under `folder` as "relative\path  (N bytes): first line".
std::vector<std::string> ListFiles(const std::string& folder);

// The pending renames and deletions that Windows NT carries out at restart
// (as "delete X" / "rename X -> Y" lines).
std::vector<std::string> PendingRenames();
// The same from the REG_MULTI_SZ data of PendingFileRenameOperations: pairs
// of source and destination (empty for a deletion), ended by an empty string.
std::vector<std::string> DescribePendingRenames(const std::string& data);
// The values under HKLM\...\RunOnce as "name = data".
std::vector<std::string> RunOnceValues();

// Stands in for the installer's restart helper on Windows 95 and older:
// carries out "WININIT.QVR" (TARGET=SOURCE replaces, NUL=PATH deletes) and
// "_KRBINST.BAT" (Copy, Del, Rmdir, DelTree /Y, Rem) in `windowsDirectory`
// and removes both files. Returns one line per action.
std::vector<std::string> RunRestartHelper(const std::string& windowsDirectory);

} // namespace host
