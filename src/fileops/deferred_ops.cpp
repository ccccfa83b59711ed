// fileops/deferred_ops.cpp
#include "fileops/deferred_ops.h"

#include "fileops/path_helpers.h"
#include "frame/module_state.h"
#include "frame/platform.h"
#include "registry/registry.h"
#include "resources/resource_ids.h"
#include "util/ascii.h"
#include "util/unique.h"

#include <initializer_list>
#include <new>

namespace qvr {

int32_t ntHelperScheduled = 0;
int32_t runOnceWritten = 0;
int32_t wininitHeaderWritten = 0;
int32_t win95MarkerWritten = 0;

namespace {

// MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT: a null new name
// deletes the file at the restart, a new name replaces what is there.
constexpr DWORD kAtRestart = MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT;

const char kInstallHelper[] = "_KRBINST.EXE";
const char kPifHelper[] = "_KRBINST.PIF";
const char kShellHelper[] = "_KRBSHEL.EXE";
const char kWininitFile[] = "WININIT.QVR";
const char kBatchFile[] = "_KRBINST.BAT";
const char kRunOnceKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

// Longest text one append writes: a header line and an operation line (or a
// batch line: a command and two paths), each with its separators.
constexpr int kLineTextSize = kWindowsPathSize + kBatchCommandSize + 2 * kDeferredPathSize + 16;

bool CopyIfFits(char* dst, LPCSTR src, int size) {
    if (src == nullptr)
        src = "";
    if (lstrlenA(src) >= size)
        return false;
    lstrcpyA(dst, src);
    return true;
}

bool FitsOperation(LPCSTR path) {
    return lstrlenA(path) < kDeferredPathSize;
}

// Retires the three restart helpers, in the order the restart expects them;
// `shell` receives the '~' path of "_KRBSHEL.EXE", `install` that of
// "_KRBINST.EXE".
void RetireAllHelpers(char* install, char* shell) {
    char pif[kWindowsPathSize];
    lstrcpyA(install, kInstallHelper);
    RetireHelperFile(install);
    lstrcpyA(pif, kPifHelper);
    RetireHelperFile(pif);
    lstrcpyA(shell, kShellHelper);
    RetireHelperFile(shell);
}

// The path of the restart file `name` in the Windows directory. Without the
// Windows directory it fails (ERROR_PATH_NOT_FOUND): a restart file is never
// written into whatever the current directory is.
bool RestartFilePath(char (&path)[kWindowsPathSize], const char* name) {
    lstrcpynA(path, name, kWindowsPathSize);
    if (MakeWindowsPath(path, kWindowsPathSize))
        return true;
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
}

// Registers the shell helper to run once at the next start. The value name
// is the library's string 80 (empty when it cannot be loaded).
void WriteRunOnce(const char* shellHelperPath) {
    char valueName[265] = {};
    LoadStringA(moduleInstance, IDS_RUNONCE_VALUE_NAME, valueName, 264);
    SetRegValue(HKEY_LOCAL_MACHINE, kRunOnceKey, valueName, REG_SZ,
                reinterpret_cast<const BYTE*>(shellHelperPath),
                static_cast<DWORD>(lstrlenA(shellHelperPath) + 1));
}

// Appends `text` to the end of `path`, creating the file when it is missing.
// The file is held without sharing for the length of the append.
bool AppendExclusive(const char* path, const char* text) {
    FileHandle file(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    SetLastError(NO_ERROR);
    bool ok = SetFilePointer(file.get(), 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER ||
              GetLastError() == NO_ERROR;
    if (ok) {
        DWORD length = static_cast<DWORD>(lstrlenA(text));
        DWORD written = 0;
        ok = WriteFile(file.get(), text, length, &written, nullptr) && written == length;
    }
    DWORD error = GetLastError();
    file.reset(); // closing must not hide why a step failed
    SetLastError(error);
    return ok;
}

template <class Op> Op* Assigned(Op* op, bool ok) {
    if (op != nullptr && !ok) {
        delete op;
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return nullptr;
    }
    return op;
}

// Runs and destroys each operation in turn (a null one, that could not be
// made, is skipped). The result is that of the last one run; 0 when none ran.
int RunAll(DeferredFileOp* first, DeferredFileOp* second) {
    int result = 0;
    for (DeferredFileOp* op : {first, second}) {
        if (op == nullptr)
            continue;
        result = op->Run();
        delete op;
    }
    return result;
}

} // namespace

bool DeferredFileOp::Assign(LPCSTR destinationPath, LPCSTR sourcePath, int32_t helper) {
    withHelper = helper;
    return CopyIfFits(destination, destinationPath, kDeferredPathSize) &&
           CopyIfFits(source, sourcePath, kDeferredPathSize);
}

bool MakeWindowsPath(char* name, int capacity) {
    char path[kWindowsPathSize];
    UINT length = GetWindowsDirectoryA(path, 259);
    if (length == 0 || length >= 259)
        return false;
    // The directory, a backslash, the name and the terminator.
    if (static_cast<int>(length) + 1 + lstrlenA(name) + 1 > capacity ||
        static_cast<int>(length) + 1 + lstrlenA(name) + 1 > kWindowsPathSize)
        return false;
    AppendPathComponent(path, name);
    lstrcpyA(name, path);
    return true;
}

int RetireHelperFile(char* name) {
    char oldPath[kWindowsPathSize];
    lstrcpynA(oldPath, name, kWindowsPathSize);
    name[0] = '~';
    // Without the Windows directory there is no '~' path: the name is left
    // empty rather than relative to whatever directory is current.
    if (!MakeWindowsPath(oldPath, kWindowsPathSize) || !MakeWindowsPath(name, kWindowsPathSize)) {
        name[0] = '\0';
        return 0;
    }
    // What the C library's rename does: a plain move that never replaces.
    return MoveFileA(oldPath, name) ? 1 : 0;
}

NtDeferredOp* NtDeferredOp::Make(LPCSTR destination, LPCSTR source, int32_t withHelper) {
    auto* op = new (std::nothrow) NtDeferredOp;
    return Assigned(op, op != nullptr && op->Assign(destination, source, withHelper));
}

int NtDeferredOp::Run() {
    if (withHelper == 1) {
        char helper[kWindowsPathSize];
        lstrcpyA(helper, kInstallHelper);
        RetireHelperFile(helper);
        if (ntHelperScheduled == 0 && helper[0] != '\0') {
            MoveFileExA(helper, nullptr, kAtRestart);
            ntHelperScheduled = 1;
        }
    }
    if (source[0] == '\0')
        return MoveFileExA(destination, nullptr, kAtRestart) ? 1 : 0;
    // The old file goes first; without that, no rename is left pending.
    if (!MoveFileExA(destination, nullptr, kAtRestart))
        return 0;
    return MoveFileExA(source, destination, kAtRestart) ? 1 : 0;
}

Win95DeferredOp* Win95DeferredOp::Make(LPCSTR destination, LPCSTR source) {
    auto* op = new (std::nothrow) Win95DeferredOp;
    return Assigned(op, op != nullptr && op->Assign(destination, source, 1));
}

int Win95DeferredOp::Run() {
    char install[kWindowsPathSize];
    char shell[kWindowsPathSize];
    RetireAllHelpers(install, shell);
    char wininit[kWindowsPathSize];
    if (!RestartFilePath(wininit, kWininitFile))
        return 0;

    if (IsVersion4() && runOnceWritten == 0) {
        WriteRunOnce(shell);
        runOnceWritten = 1; // even when the write was refused
    }

    char text[kLineTextSize] = "";
    if (wininitHeaderWritten == 0) {
        // Set before the write: when this first append fails, the helper's
        // line is not tried again by this process.
        wininitHeaderWritten = 1;
        lstrcatA(text, "NUL=");
        lstrcatA(text, install);
        lstrcatA(text, "\r\n");
    }
    lstrcatA(text, destination);
    lstrcatA(text, "=");
    lstrcatA(text, source);
    lstrcatA(text, "\r\n");
    return AppendExclusive(wininit, text) ? 1 : 0;
}

BatchDeferredOp* BatchDeferredOp::Make(LPCSTR command, LPCSTR destination, LPCSTR source) {
    auto* op = new (std::nothrow) BatchDeferredOp;
    return Assigned(op, op != nullptr && op->Assign(destination, source, 1) &&
                            CopyIfFits(op->command, command, kBatchCommandSize));
}

int BatchDeferredOp::Run() {
    char install[kWindowsPathSize];
    char shell[kWindowsPathSize];
    RetireAllHelpers(install, shell);

    // "command source destination": two blanks in a row when there is no source.
    char line[kLineTextSize] = "";
    lstrcatA(line, command);
    lstrcatA(line, " ");
    lstrcatA(line, source);
    lstrcatA(line, " ");
    lstrcatA(line, destination);
    lstrcatA(line, "\r\n");

    char path[kWindowsPathSize];
    if (!RestartFilePath(path, kBatchFile))
        return 0;
    const UINT lineLength = static_cast<UINT>(lstrlenA(line));

    OFSTRUCT info = {};
    info.cBytes = sizeof info;
    if (OpenFile(path, &info, OF_EXIST) == HFILE_ERROR) {
        if (info.nErrCode != ERROR_FILE_NOT_FOUND)
            return 0;
        HFileHandle created(_lcreat(path, 0));
        if (!created)
            return 0;
        static const char kHeader[] = "@echo off\r\n";
        _lwrite(created.get(), kHeader, sizeof kHeader - 1);
        _lwrite(created.get(), line, lineLength);
        return 1;
    }
    HFileHandle file(_lopen(path, OF_READWRITE));
    if (!file)
        return 0;
    if (_llseek(file.get(), 0, FILE_END) == HFILE_ERROR)
        return 0;
    _lwrite(file.get(), line, lineLength);
    return 1;
}

int ScheduleReplaceAtRestart(LPCSTR target, LPCSTR replacement) {
    if (IsEmptyText(target)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const bool deletion = IsEmptyText(replacement);
    // A path that does not fit an operation would make only half of a
    // replacement (the batch file's "Del" of the new file without its
    // "Copy"): nothing at all is scheduled then.
    if (!FitsOperation(target) || (!deletion && !FitsOperation(replacement))) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    DeferredFileOp* first = nullptr;
    DeferredFileOp* second = nullptr;
    if (IsWindowsNT()) {
        first = NtDeferredOp::Make(target, deletion ? "" : replacement, 1);
    } else if (IsVersion4()) {
        first = deletion ? Win95DeferredOp::Make("NUL", target)
                         : Win95DeferredOp::Make(target, replacement);
        if (win95MarkerWritten == 0) {
            second = BatchDeferredOp::Make("Rem", "Windows 95", "");
            win95MarkerWritten = 1;
        }
    } else if (deletion) {
        first = BatchDeferredOp::Make("Del", target, "");
    } else {
        first = BatchDeferredOp::Make("Copy", target, replacement);
        second = BatchDeferredOp::Make("Del", replacement, "");
    }
    return RunAll(first, second);
}

int ScheduleDeleteAtRestart(LPCSTR target) {
    return ScheduleReplaceAtRestart(target, nullptr);
}

int ScheduleRemoveDirAtRestart(LPCSTR directory, BOOL wholeTree) {
    if (IsWindowsNT())
        return 1;
    if (IsEmptyText(directory)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (IsVersion4())
        RunAll(Win95DeferredOp::Make("NUL", directory), nullptr);
    return RunAll(BatchDeferredOp::Make(wholeTree ? "DelTree /Y" : "Rmdir", directory, ""),
                  nullptr);
}

int ScheduleDeleteAtRestartNT(LPCSTR path) {
    if (!IsWindowsNT())
        return 0;
    if (IsEmptyText(path)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return RunAll(NtDeferredOp::Make(path, "", 0), nullptr);
}

} // namespace qvr
