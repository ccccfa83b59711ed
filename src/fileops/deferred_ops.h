// fileops/deferred_ops.h: file operations put off to the next start of
// Windows, for files that are in use now and directories that cannot be
// removed yet. Each platform has its own way:
//   Windows NT:  pending moves and deletions registered with MoveFileExA;
//   Windows 95:  lines appended to "WININIT.QVR" in the Windows directory,
//                plus the installer's restart helper under RunOnce;
//   older:       commands appended to the batch file "_KRBINST.BAT".
// The copy and delete operations call the four Schedule... entries; the
// operation classes are their building blocks.
#pragma once

#include <windows.h>

#include <cstdint>

namespace qvr {

// Size of the path fields of an operation (a path of at most 259 bytes).
constexpr int kDeferredPathSize = 260;
// Size of a batch operation's command word field.
constexpr int kBatchCommandSize = 256;
// Buffers that hold "<windir>\name": the Windows directory (at most 258
// bytes), a backslash and a short file name.
constexpr int kWindowsPathSize = 280;

// Once-per-process flags. They start at 0, are set by the first operation
// that needs them and are never reset, so a second installer run before the
// restart writes its own header line and marker again.
extern int32_t ntHelperScheduled;    // pending deletion of "~KRBINST.EXE" registered
extern int32_t runOnceWritten;       // RunOnce value written (Windows 95)
extern int32_t wininitHeaderWritten; // "NUL=<windir>\~KRBINST.EXE" line written
extern int32_t win95MarkerWritten;   // "Rem  Windows 95" written to the batch file

// One operation, run once and then destroyed. `destination` is what is
// replaced or removed, `source` what takes its place (empty for a deletion).
class DeferredFileOp {
  public:
    virtual int Run() = 0; // non-zero on success
    virtual ~DeferredFileOp() = default;

    const char* Destination() const { return destination; }
    const char* Source() const { return source; }

  protected:
    DeferredFileOp() = default;
    // Copies both paths (null `source`: empty). False when one does not fit.
    bool Assign(LPCSTR destinationPath, LPCSTR sourcePath, int32_t helper);

    char destination[kDeferredPathSize] = {};
    char source[kDeferredPathSize] = {};
    int32_t withHelper = 0; // 1: also retire and delete the restart helper (NT only)
};

// Registers the operation with MoveFileExA(..., MOVEFILE_DELAY_UNTIL_REBOOT).
class NtDeferredOp : public DeferredFileOp {
  public:
    static NtDeferredOp* Make(LPCSTR destination, LPCSTR source, int32_t withHelper);
    int Run() override;
};

// Appends "destination=source" to "WININIT.QVR".
class Win95DeferredOp : public DeferredFileOp {
  public:
    static Win95DeferredOp* Make(LPCSTR destination, LPCSTR source);
    int Run() override;
};

// Appends "command source destination" to "_KRBINST.BAT".
class BatchDeferredOp : public DeferredFileOp {
  public:
    static BatchDeferredOp* Make(LPCSTR command, LPCSTR destination, LPCSTR source);
    int Run() override;

  private:
    char command[kBatchCommandSize] = {};
};

// Replaces `name` (a bare file name, in a buffer of `capacity` bytes) by
// "<windir>\name". False, with `name` unchanged, when the Windows directory
// cannot be read or the result does not fit.
bool MakeWindowsPath(char* name, int capacity);

// Renames the restart helper `name` ("_KRBINST.EXE") in the Windows directory
// to its '~' name ("~KRBINST.EXE"), and leaves the '~' path in `name` whether
// or not the rename worked (it fails harmlessly when the helper is missing);
// empty when the Windows directory cannot be read. Returns 1 when the file
// was renamed. `name` must hold kWindowsPathSize bytes.
int RetireHelperFile(char* name);

// Replaces `target` by `replacement` at the next restart; a null or empty
// replacement deletes `target` instead. The result is that of the last
// operation run, 0 when none could be made (null or empty target, a path
// longer than 259 bytes).
int ScheduleReplaceAtRestart(LPCSTR target, LPCSTR replacement);

// Deletes `target` at the next restart.
int ScheduleDeleteAtRestart(LPCSTR target);

// Removes a directory at the next restart, with everything in it when
// `wholeTree` is non-zero. Windows 95 and older only: on Windows NT this
// returns 1 and does nothing (directories go through ScheduleDeleteAtRestart
// there).
int ScheduleRemoveDirAtRestart(LPCSTR directory, BOOL wholeTree);

// Windows NT only: deletes `path` (a file or an empty directory) at the next
// restart without touching the restart helper. 0 on other platforms.
int ScheduleDeleteAtRestartNT(LPCSTR path);

} // namespace qvr
