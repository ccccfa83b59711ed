// install.cpp: the demo installation. Every piece of real work goes through
// an export of qvrdll32.dll; the host only decides what to ask for (from the
// sample script) and prints what it got back.
#include "install.h"

#include "installer_window.h"
#include "machine.h"
#include "report.h"

#include <cctype>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <vector>

namespace host {

namespace {

// The installer's own record: the library keeps the target table pointer
// at byte offset 810; the rest belongs to the installer.
struct InstallerRecord {
    unsigned char bytes[1024] = {};
};

// GetTarget writes a base path, a backslash and the target's own text (up to
// 265 bytes each), nested once per relative level: room for a full table.
constexpr size_t kTargetPathSize = 21 * 266;

class Installation {
  public:
    Installation(Library& library, const std::string& sample) : lib_(library), sample_(sample) {}
    int Run();

  private:
    bool LoadScript();
    bool ReadSettings();
    bool BuildTargets();
    void CreateDirectories();
    void CopyFiles();
    void EditAutoexec();
    void EditConfig();
    void EditIniFiles();
    void WriteRegistry();
    void Close();
    void Summarise();

    // Script helpers over the exports.
    std::vector<char*> SectionLines(const char* section, char* image = nullptr);
    std::string Field(char* line, WORD field);
    std::string Profile(const char* section, const char* key);
    // "TARGETn" or "TARGETn\rest": the target's path (and the rest); other
    // texts as they are.
    std::string Expand(const std::string& text);
    // Writes the edited text file back with QVRPutFile and frees the object.
    void Finish(DWORD handle, const std::string& label, const std::string& path);
    void Failed() { ++failures_; }

    Library& lib_;
    std::string sample_;
    std::vector<char> buffer_ = std::vector<char>(4096);
    InstallerRecord record_;
    WindowState windowState_;
    HWND window_ = nullptr;
    std::string title_, defaultDir_, running_;
    int failures_ = 0;
};

std::string Quote(const std::string& text) {
    return "\"" + text + "\"";
}

std::vector<char*> Installation::SectionLines(const char* section, char* image) {
    std::vector<char*> lines;
    for (char* line = lib_.InfFindSection(image, section); line != nullptr;
         line = lib_.InfNextLine(line))
        lines.push_back(line);
    return lines;
}

std::string Installation::Field(char* line, WORD field) {
    buffer_[0] = '\0';
    lib_.InfParseField(line, field, buffer_.data());
    return buffer_.data();
}

std::string Installation::Profile(const char* section, const char* key) {
    buffer_[0] = '\0';
    lib_.InfGetProfileString(nullptr, section, key, buffer_.data());
    return buffer_.data();
}

std::string Installation::Expand(const std::string& text) {
    std::string name = text.substr(0, text.find('\\'));
    int index = lib_.GetTargetIndex(name.c_str());
    if (index < 0)
        return text;
    std::vector<char> path(kTargetPathSize, '\0');
    if (lib_.GetTarget(record_.bytes, index, path.data()) == nullptr)
        return text;
    return std::string(path.data()) + text.substr(name.size());
}

bool Installation::LoadScript() {
    Heading("1. Loading the installation script and disks.inf");
    const std::string script = Join(sample_, "setup.inf"), disks = Join(sample_, "disks.inf");
    for (const std::string& path : {script, disks}) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
            (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            std::printf("error: sample file %s is missing\n", path.c_str());
            return false;
        }
        // Field buffers hold any line of the images.
        if (buffer_.size() <= data.nFileSizeLow)
            buffer_.resize(data.nFileSizeLow + 1);
    }
    int loaded = lib_.InfInit(script.c_str());
    Step("InfInit(" + Quote(script) + ")", loaded, loaded ? "script parsed" : "failed");
    if (!loaded) {
        std::printf("error: %s cannot be read as an installation script\n", script.c_str());
        return false;
    }
    int disksLoaded = lib_.InfInitDiskInf(disks.c_str(), "Disk");
    Step("InfInitDiskInf(" + Quote(disks) + ", \"Disk\")", disksLoaded,
         disksLoaded ? "sections Disk* added" : "failed");
    if (!disksLoaded) {
        std::printf("error: %s cannot be read\n", disks.c_str());
        return false;
    }
    for (const char* section : {"Setup", "Targets", "Directories", "Files"}) {
        if (lib_.InfFindSection(nullptr, section) == nullptr) {
            std::printf("error: the script %s has no [%s] section with lines\n", script.c_str(),
                        section);
            return false;
        }
    }
    return true;
}

bool Installation::ReadSettings() {
    Heading("2. Reading the script");
    char keyPath[] = "Setup.Title";
    int found = lib_.InfLookup(keyPath, buffer_.data());
    title_ = buffer_.data();
    Step("InfLookup(\"Setup.Title\")", found, Quote(title_));
    defaultDir_ = Profile("Setup", "DefaultDir");
    Step("InfGetProfileString(script, \"Setup\", \"DefaultDir\")", !defaultDir_.empty(),
         Quote(defaultDir_));
    running_ = Profile("Setup", "Running");
    Step("InfGetProfileString(script, \"Setup\", \"Running\")", !running_.empty(),
         Quote(running_) + ": the old version is running during the installation");
    windowState_.selectedSize[0] = strtoul(Profile("Setup", "SelectedSize").c_str(), nullptr, 10);
    windowState_.selectedSize[1] = windowState_.selectedSize[0] * 2;
    std::string veto = Profile("Setup", "VetoDrive");
    windowState_.vetoedDrive =
        static_cast<char>(veto.empty() ? 0 : std::toupper(static_cast<unsigned char>(veto[0])));
    if (defaultDir_.empty()) {
        std::printf("error: the script's [Setup] section has no DefaultDir\n");
        return false;
    }
    char* files = lib_.InfFindSection(nullptr, "Files");
    Step("InfLineCount([Files])", lib_.InfLineCount(files), "files to install");
    if (!running_.empty()) {
        SHORT row = lib_.InfSearchRow("Files", 0, running_.c_str());
        Step("InfSearchRow(\"Files\", 0, " + Quote(running_) + ")", row,
             row >= 0 ? "row of the file that is in use" : "not among the files");
    }
    for (int disk = 1;; ++disk) {
        std::string section = "Disk" + std::to_string(disk);
        std::vector<char*> lines = SectionLines(section.c_str(), lib_.InfGetDiskInfPtr());
        if (lines.empty())
            break;
        for (char* line : lines)
            Note("disks.inf [" + section + "]: disk " + Field(line, 0) + " is " +
                 Quote(Field(line, 1)) + " in folder " + Quote(Field(line, 2)));
    }
    return true;
}

bool Installation::BuildTargets() {
    Heading("3. Targets");
    int made = lib_.InitTargetBuffers(record_.bytes, 0);
    TargetTable* table = nullptr;
    std::memcpy(&table, record_.bytes + QVR_TARGET_TABLE_OFFSET, sizeof table);
    Step("InitTargetBuffers(record, 0)", made,
         table ? "record+810 -> table of " + std::to_string(table->slotCount) + " slots"
               : "no table");
    if (!made)
        return false;
    std::vector<std::pair<int, std::string>> names;
    for (char* line : SectionLines("Targets")) {
        std::string name = Field(line, 0), text = Field(line, 1), base = Field(line, 2);
        int index = lib_.GetTargetIndex(name.c_str());
        if (index < 0) {
            std::printf("error: [Targets] line %s does not name a target\n", Quote(name).c_str());
            return false;
        }
        int stored = lib_.SetTarget(record_.bytes, index, text.c_str(), FALSE);
        Step("SetTarget(record, " + std::to_string(index) + ", " + Quote(text) + ", 0)", stored);
        if (!stored)
            Failed();
        if (!base.empty()) {
            int baseIndex = lib_.GetTargetIndex(base.c_str());
            DWORD relation = (QVR_RELATIVE_TO_TARGET << 16) | (baseIndex & 0xFFFF);
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%08lX", static_cast<unsigned long>(relation));
            int related = lib_.SetRelativeTarget(record_.bytes, index, relation);
            Step("SetRelativeTarget(record, " + std::to_string(index) + ", " + hex + ")", related,
                 "relative to " + base);
            if (baseIndex < 0 || !related)
                Failed();
        }
        names.emplace_back(index, name);
    }
    for (const auto& entry : names) {
        std::vector<char> path(kTargetPathSize, '\0');
        bool got = lib_.GetTarget(record_.bytes, entry.first, path.data()) != nullptr;
        Step("GetTarget(record, " + std::to_string(entry.first) + ")", got,
             entry.second + " = " + Quote(path.data()));
    }
    return true;
}

void Installation::CreateDirectories() {
    Heading("4. Directories");
    lib_.QVRSetHInstbin(window_);
    DWORD second = 0;
    DWORD size = lib_.QVRGetSelectedSize(&second);
    Step("QVRGetSelectedSize(&second)", size, "second word " + std::to_string(second));
    static const char* const meaning[] = {"created or exists", "vetoed by the installer window",
                                          "not possible", "drive root"};
    for (char* line : SectionLines("Directories")) {
        std::string path = Expand(Field(line, 1));
        int result = lib_.QVRCreateDir(window_, path.c_str());
        Step("QVRCreateDir(window, " + Quote(path) + ")", result,
             result >= 0 && result <= 3 ? meaning[result] : "?");
        // A vetoed drive is what the sample asks for; anything else but 0 is
        // a failure.
        bool expectedVeto =
            result == 1 && path.size() > 1 && path[1] == ':' &&
            std::toupper(static_cast<unsigned char>(path[0])) == windowState_.vetoedDrive;
        if (result != 0 && !expectedVeto)
            Failed();
    }
    for (const std::string& message : windowState_.messages)
        Note("installer window: " + message);
}

void Installation::CopyFiles() {
    Heading("5. Files");
    for (char* line : SectionLines("Files")) {
        std::string file = Field(line, 0), disk = Field(line, 1);
        std::string destination = Expand(Field(line, 2));
        std::string folder;
        char* diskLine = lib_.InfFindSection(lib_.InfGetDiskInfPtr(), ("Disk" + disk).c_str());
        if (diskLine != nullptr)
            folder = Join(sample_, Field(diskLine, 2));
        if (folder.empty() || !Exists(folder)) {
            std::printf("  disk %s of %s: not found in disks.inf or no folder %s\n", disk.c_str(),
                        Quote(file).c_str(), folder.c_str());
            Failed();
            continue;
        }
        if (file == "*") {
            std::string call =
                "QVRDumpDirectory(" + Quote(folder) + ", " + Quote(destination) + ")";
            int result = lib_.QVRDumpDirectory(folder.c_str(), destination.c_str());
            Step(call, result,
                 result == 1      ? "tree copied, compressed files expanded"
                 : result == 1000 ? "part of it waits for the restart"
                                  : "failed");
            if (result == 0)
                Failed();
            continue;
        }
        std::string target = Join(destination, file), source = Join(folder, file);
        std::string call = "QVRCopyFile(" + Quote(target) + ", " + Quote(source) + ")";
        // The old version of the running program is open without sharing,
        // as a running program's file is.
        HANDLE inUse = INVALID_HANDLE_VALUE;
        if (lstrcmpiA(file.c_str(), running_.c_str()) == 0) {
            inUse = CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
            Note(target + (inUse != INVALID_HANDLE_VALUE ? " is held open (in use)"
                                                         : " cannot be held open"));
        }
        int result = lib_.QVRCopyFile(target.c_str(), source.c_str());
        if (inUse != INVALID_HANDLE_VALUE)
            CloseHandle(inUse);
        Step(call, result,
             result == 1      ? "copied"
             : result == 1000 ? "replaced at the restart"
                              : "failed");
        if (result == 0)
            Failed();
        std::string text;
        ReadText(target, text);
        Note(target + " now holds: " + text.substr(0, text.find_first_of("\r\n")));
    }
}

void Installation::Finish(DWORD handle, const std::string& label, const std::string& path) {
    DWORD size = 0;
    LPSTR output = lib_.TFCreateOutput(handle, &size);
    Step("TFCreateOutput(" + std::to_string(handle) + ", &size)", output != nullptr,
         std::to_string(size) + " bytes of " + label);
    if (output == nullptr) {
        Failed();
    } else {
        int written = lib_.QVRPutFile(path.c_str(), output, size, OF_CREATE | OF_WRITE);
        Step("QVRPutFile(" + Quote(path) + ", output, " + std::to_string(size) +
                 ", OF_CREATE|OF_WRITE)",
             written);
        if (!written)
            Failed();
        HGLOBAL block = GlobalHandle(output);
        GlobalUnlock(block);
        GlobalFree(block);
    }
    Step("DestroyTextFileObject(" + std::to_string(handle) + ")",
         lib_.DestroyTextFileObject(handle));
}

void Installation::EditAutoexec() {
    const StartupFile file = StartupFiles()[0];
    Heading("6a. " + file.label);
    int handle = lib_.CreateTextFileObject(file.path.c_str(), QVR_TEXT_BATCH, "REM", "::", nullptr,
                                           nullptr, 0);
    Step("CreateTextFileObject(" + Quote(file.path) + ", batch, \"REM\", \"::\")", handle);
    if (handle < 0) {
        Failed();
        return;
    }
    for (char* line : SectionLines("Autoexec")) {
        std::string key = Field(line, 0);
        if (lstrcmpiA(key.c_str(), "AddPath") == 0) {
            std::string directory = Expand(Field(line, 1));
            LONG result = lib_.TFAddPath(handle, directory.c_str());
            Step("TFAddPath(" + std::to_string(handle) + ", " + Quote(directory) + ")", result,
                 result < 0 ? "already on the path" : "path extended");
        } else if (lstrcmpiA(key.c_str(), "BeforeWin") == 0) {
            std::string text = Join(Expand(Field(line, 1)), Field(line, 2));
            int result = lib_.TFBeforeWin(handle, (text + "\r\n").c_str());
            Step("TFBeforeWin(" + std::to_string(handle) + ", " + Quote(text + "\\r\\n") + ")",
                 result);
            if (!result)
                Failed();
        }
    }
    Finish(handle, file.label, file.path);
}

void Installation::EditConfig() {
    const StartupFile file = StartupFiles()[1];
    Heading("6b. " + file.label);
    int handle = lib_.CreateTextFileObject(file.path.c_str(), QVR_TEXT_CONFIG, "REM", nullptr,
                                           nullptr, nullptr, 0);
    Step("CreateTextFileObject(" + Quote(file.path) + ", config, \"REM\")", handle);
    if (handle < 0) {
        Failed();
        return;
    }
    int after = -1;
    for (char* line : SectionLines("Config")) {
        if (after < 0) {
            Step("TFAddTopCommon(" + std::to_string(handle) + ")", lib_.TFAddTopCommon(handle),
                 "\"[common]\" block at the top");
            after = 0;
        }
        std::string text = Field(line, 1);
        int result = lib_.TFInsertLine(handle, (text + "\r\n").c_str(), after++);
        Step("TFInsertLine(" + std::to_string(handle) + ", " + Quote(text + "\\r\\n") + ", " +
                 std::to_string(after - 1) + ")",
             result);
        if (!result)
            Failed();
    }
    Finish(handle, file.label, file.path);
}

void Installation::EditIniFiles() {
    for (const StartupFile& file : StartupFiles()) {
        if (file.label != "SYSTEM.INI" && file.label != "WIN.INI")
            continue;
        Heading("6c. " + file.label);
        int handle = lib_.CreateTextFileObject(file.path.c_str(), QVR_TEXT_INI, ";", nullptr,
                                               nullptr, nullptr, 0);
        Step("CreateTextFileObject(" + Quote(file.path) + ", ini, \";\")", handle);
        if (handle < 0) {
            Failed();
            continue;
        }
        for (char* line : SectionLines("Ini")) {
            if (lstrcmpiA(Field(line, 0).c_str(), file.label.c_str()) != 0)
                continue;
            std::string section = Field(line, 1), key = Field(line, 2);
            std::string value = Expand(Field(line, 3));
            int header = lib_.TFSetSection(handle, section.c_str());
            Step("TFSetSection(" + std::to_string(handle) + ", " + Quote(section) + ")", header,
                 header < 0 ? "not there yet: added with the first line" : "header line");
            // With "replace" the key's old line goes first; without it the
            // line is added beside others of the same key (device= lines).
            std::string pattern = key + "=*";
            CharLowerA(&pattern[0]);
            bool replace = lstrcmpiA(Field(line, 4).c_str(), "replace") == 0;
            int old = replace ? lib_.TFLineExists(handle, 0, pattern.c_str(), 0) : -1;
            if (old >= 0)
                Step("TFDeleteLine(" + std::to_string(handle) + ", " + std::to_string(old) + ")",
                     lib_.TFDeleteLine(handle, old), "old " + key);
            std::string text = key + "=" + value;
            int result = lib_.TFAddLineTail(handle, (text + "\r\n").c_str());
            Step("TFAddLineTail(" + std::to_string(handle) + ", " + Quote(text + "\\r\\n") + ")",
                 result);
            if (!result)
                Failed();
        }
        Finish(handle, file.label, file.path);
    }
}

void Installation::WriteRegistry() {
    Heading("7. Registry");
    for (char* line : SectionLines("Registry")) {
        std::string root = Field(line, 1), key = Field(line, 2), name = Field(line, 3);
        std::string type = Field(line, 4), data = Expand(Field(line, 5));
        std::string call = "QVRSetReg32Value(" + root + ", " + Quote(key) + ", " + Quote(name) +
                           ", " + type + ", " + Quote(data) + ")";
        HKEY rootKey = root == "HKCU" ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        DWORD dword = strtoul(data.c_str(), nullptr, 0);
        bool isDword = type == "REG_DWORD";
        const BYTE* bytes = isDword ? reinterpret_cast<const BYTE*>(&dword)
                                    : reinterpret_cast<const BYTE*>(data.c_str());
        DWORD size = isDword ? sizeof dword : static_cast<DWORD>(data.size() + 1);
        LONG status = lib_.QVRSetReg32Value(rootKey, key.c_str(), name.c_str(),
                                            isDword ? REG_DWORD : REG_SZ, bytes, size);
        Step(call, status, status == 0 ? "written" : "failed");
        if (status != 0)
            Failed();
        DWORD readType = 0, readSize = 0;
        void* readData = nullptr;
        status = lib_.QVRGetReg32Value(rootKey, key.c_str(), name.c_str(), &readType, &readData,
                                       &readSize);
        std::string shown;
        if (status == 0 && readData != nullptr) {
            shown = readType == REG_DWORD && readSize == 4
                        ? std::to_string(*static_cast<DWORD*>(readData))
                        : Quote(std::string(static_cast<char*>(readData),
                                            strnlen(static_cast<char*>(readData), readSize)));
            HGLOBAL block = GlobalHandle(readData);
            GlobalUnlock(block);
            GlobalFree(block);
        }
        Step("QVRGetReg32Value(" + root + ", " + Quote(key) + ", " + Quote(name) + ")", status,
             status == 0 ? "read back " + shown : "failed");
        if (status != 0)
            Failed();
    }
}

void Installation::Close() {
    Heading("8. Closing the script");
    lib_.DeleteTargetBuffers(record_.bytes);
    std::printf("  DeleteTargetBuffers(record)\n");
    lib_.InfClose();
    std::printf("  InfClose()\n");
}

BOOL WINAPI CollectValue(HKEY, DWORD type, LPCSTR name, const BYTE* data, DWORD size,
                         DWORD_PTR context) {
    auto* out = reinterpret_cast<std::vector<std::string>*>(context);
    std::string shown;
    if (type == REG_DWORD && size == 4)
        shown = "REG_DWORD " + std::to_string(*reinterpret_cast<const DWORD*>(data));
    else if (type == REG_SZ)
        shown = "REG_SZ \"" +
                std::string(reinterpret_cast<const char*>(data),
                            strnlen(reinterpret_cast<const char*>(data), size)) +
                "\"";
    else
        shown = "type " + std::to_string(type) + ", " + std::to_string(size) + " bytes";
    out->push_back(std::string(name) + " = " + shown);
    return TRUE;
}

void Installation::Summarise() {
    Heading("What changed: start-up files");
    for (const StartupFile& file : StartupFiles()) {
        std::string before, after;
        ReadText(Join(Join(sample_, "machine"), file.relative), before);
        ReadText(file.path, after);
        std::fputs(UnifiedDiff(file.label, before, after).c_str(), stdout);
    }

    Heading("What changed: registry");
    std::string productKey = std::string(kProductKey) + "\\Sample App";
    std::vector<std::string> values;
    LONG status = lib_.QVREnumReg32Values(HKEY_LOCAL_MACHINE, productKey.c_str(),
                                          reinterpret_cast<DWORD_PTR>(&values), CollectValue);
    Step("QVREnumReg32Values(HKLM, " + Quote(productKey) + ")", status,
         std::to_string(values.size()) + " values");
    for (const std::string& value : values)
        Note("HKLM\\" + productKey + ": " + value);

    Heading("What changed: files installed under " + defaultDir_);
    for (const std::string& line : ListFiles(defaultDir_))
        Note(line);

    Heading("What waits for the restart");
    size_t waiting = 0;
    for (const std::string& line : PendingRenames()) {
        Note("pending (MoveFileEx): " + line);
        ++waiting;
    }
    for (const std::string& line : RunOnceValues()) {
        Note("RunOnce: " + line);
        ++waiting;
    }
    const std::string windows = WindowsDirectory();
    for (const char* name : {"WININIT.QVR", "_KRBINST.BAT"}) {
        std::string text;
        if (!ReadText(Join(windows, name), text))
            continue;
        for (const std::string& line : SplitLines(text)) {
            Note(std::string(name) + ": " + line);
            ++waiting;
        }
    }
    for (const char* helper : kRestartHelpers) {
        std::string retired = helper;
        retired[0] = '~';
        if (Exists(Join(windows, retired)))
            Note(std::string("restart helper ") + helper + " renamed to " + retired);
    }
    if (waiting == 0)
        Note("nothing");
}

int Installation::Run() {
    Heading("0. Preparing the simulated machine");
    std::string problem = ResetMachine(sample_);
    if (!problem.empty()) {
        std::printf("error: %s\n", problem.c_str());
        return kBadInput;
    }
    std::printf("  %s holds the original start-up files; restart files and registrations of "
                "earlier runs removed\n",
                kMachineRoot);
    window_ = CreateInstallerWindow(windowState_);
    if (window_ == nullptr) {
        std::printf("error: cannot create the installer window (error %lu)\n", GetLastError());
        return kNoLibrary;
    }
    if (!LoadScript() || !ReadSettings()) {
        lib_.InfClose();
        return kBadInput;
    }
    if (!BuildTargets()) {
        lib_.InfClose();
        return kBadInput;
    }
    CreateDirectories();
    CopyFiles();
    EditAutoexec();
    EditConfig();
    EditIniFiles();
    WriteRegistry();
    Close();
    Summarise();
    DestroyWindow(window_);
    std::printf("\n%s: %d unexpected failure%s\n", title_.c_str(), failures_,
                failures_ == 1 ? "" : "s");
    return failures_ == 0 ? kDone : kStepFailed;
}

} // namespace

int RunInstallation(Library& library, const std::string& sample) {
    Installation installation(library, sample);
    return installation.Run();
}

int ShowAfterRestart() {
    Heading("After the restart");
    std::vector<std::string> done = RunRestartHelper(WindowsDirectory());
    for (const std::string& line : done)
        Note("restart helper: " + line);
    if (done.empty())
        Note("(Windows NT carried out its pending renames itself)");
    for (const std::string& line : PendingRenames())
        Note("still pending: " + line);
    Heading(std::string("Files on the simulated machine (") + kMachineRoot + ")");
    for (const std::string& line : ListFiles(kMachineRoot))
        Note(line);
    return kDone;
}

} // namespace host
