// exports/bad_arguments_test.cpp: every export of the DLL called, the way the
// installer calls it (LoadLibraryA, exported names), with the bad values its
// arguments can take: null pointers, empty strings, strings of 260, 511, 512,
// 4,096 and 65,536 characters, bad and closed text file handles, negative,
// huge and INT_MAX indices and sizes, buffers of 0 and 1 bytes, a second
// InfClose, and queries before InfInit and after InfClose. Each call must give
// the export's failure answer (or the one the README decides), return, write
// nothing past the buffer it was given (guard bytes) and schedule nothing for
// the restart. Tree operations with null or empty paths, which stand for the
// current directory, run in tree_refusal_test instead.
#include "qvrdll32.h"
#include "support/exports.h"
#include "support/restart_state.h"
#include "support/temp_dir.h"
#include "support/tree_area.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstring>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

namespace {

using namespace qvrtest;
using Result = long long;

// Null or not, for exports that answer a pointer.
Result P(const void* p) {
    return p != nullptr ? 1 : 0;
}

// A result, plus 10 when `out` holds anything but the empty string.
Result Empty(Result r, const char* out) {
    return r + 10 * (out[0] != '\0');
}

// Releases a block the DLL handed out; whether there was one.
Result Free(const void* p) {
    if (p != nullptr) {
        HGLOBAL block = GlobalHandle(p);
        GlobalUnlock(block);
        GlobalFree(block);
    }
    return P(p);
}

// The values every string argument is tried with: null, "", and strings of
// these lengths.
const int kLengths[] = {260, 511, 512, 4096, 65536};
using PerString = std::array<Result, 7>;
constexpr PerString Each(Result r) {
    return {r, r, r, r, r, r, r};
}
// The values every index, size, offset or field is tried with.
const int kInts[] = {-1, INT_MIN, 65536, INT_MAX};
using PerInt = std::array<Result, 4>;
constexpr PerInt EachInt(Result r) {
    return {r, r, r, r};
}

// A buffer of `size` bytes followed by guard bytes.
class Guarded {
  public:
    explicit Guarded(size_t size) : bytes_(size + 64, kFill), size_(size) {}
    char* get() { return bytes_.data(); }
    bool GuardIntact() const {
        for (size_t i = size_; i < bytes_.size(); ++i) {
            if (bytes_[i] != kFill)
                return false;
        }
        return true;
    }

  private:
    static constexpr char kFill = static_cast<char>(0xCC);
    std::vector<char> bytes_;
    size_t size_;
};

// One call with `out`, a buffer of `size` bytes; the call's text is its source.
#define CHECK_OUT(expected, size, expr)                                                            \
    Check(#expr, expected, size, [&]([[maybe_unused]] char* out) -> Result { return expr; })
#define CHECK(expected, expr) CHECK_OUT(expected, 1, expr)
// One call per string value `s`, and per integer value `v`, with `out` of
// `size` bytes (1 unless given).
#define STRINGS_OUT(expected, size, expr)                                                          \
    Strings(                                                                                       \
        #expr, expected,                                                                           \
        [&](const char* s, [[maybe_unused]] char* out) -> Result { return expr; }, size)
#define STRINGS(expected, expr) STRINGS_OUT(expected, 1, expr)
#define INTS_OUT(expected, size, expr)                                                             \
    Ints(                                                                                          \
        #expr, expected, [&](int v, [[maybe_unused]] char* out) -> Result { return expr; }, size)
#define INTS(expected, expr) INTS_OUT(expected, 1, expr)

// A temporary current directory and the restart state saved and cleared:
// nothing may be scheduled.
class BadArgumentsTest : public FileTest {
  protected:
    const DllExports& dll = Exports();
    RestartStateGuard restartState;
    char savedDirectory[MAX_PATH] = "";
    std::vector<std::string> strings;

    void SetUp() override {
        GetCurrentDirectoryA(sizeof savedDirectory, savedDirectory);
        ASSERT_TRUE(SetCurrentDirectoryA(dir.path().c_str()));
        // Long strings are paths in a missing folder of the temporary
        // directory: a path argument reaches nothing, and nothing outside.
        for (int length : kLengths) {
            std::string s = dir.path() + "\\missing\\";
            strings.push_back(s.append(static_cast<size_t>(length) - s.size(), 'a'));
        }
    }
    void TearDown() override {
        SetCurrentDirectoryA(savedDirectory);
        RestartSnapshot cleared;
        cleared.files.resize(TakeRestartSnapshot().files.size());
        EXPECT_EQ(TakeRestartSnapshot(), cleared);
        FileTest::TearDown();
    }

    void Check(const std::string& call, Result expected, size_t size,
               const std::function<Result(char*)>& run) {
        Guarded out(size);
        SetLastError(0xDEADBEEF);
        const Result result = run(out.get());
        EXPECT_EQ(result, expected) << call << " (last error " << GetLastError() << ")";
        EXPECT_TRUE(out.GuardIntact()) << call << " wrote past its buffer";
        ++Count();
    }
    void Strings(const std::string& call, const PerString& expected,
                 const std::function<Result(const char*, char*)>& run, size_t size = 1) {
        for (size_t i = 0; i < expected.size(); ++i) {
            const char* s = i == 0 ? nullptr : i == 1 ? "" : strings[i - 2].c_str();
            const std::string shown = i == 0   ? "null"
                                      : i == 1 ? "\"\""
                                               : std::to_string(kLengths[i - 2]) + " chars";
            Check(call + " with s = " + shown, expected[i], size,
                  [&](char* out) { return run(s, out); });
        }
    }
    void Ints(const std::string& call, const PerInt& expected,
              const std::function<Result(int, char*)>& run, size_t size = 1) {
        for (size_t i = 0; i < expected.size(); ++i) {
            Check(call + " with v = " + std::to_string(kInts[i]), expected[i], size,
                  [&](char* out) { return run(kInts[i], out); });
        }
    }
    static size_t& Count() {
        static size_t count;
        return count;
    }
};

// Without a script: before the first InfInit of this program (when this test
// runs first: it does in the 64-bit suite's own program), after InfClose and
// after a second InfClose. InfInit with bad paths changes nothing.
TEST_F(BadArgumentsTest, QueriesWithoutAScript) {
    const std::string script = dir / "setup.inf";
    WriteBytes(script, "[Setup]\r\nKey=Value\r\n[Files]\r\na=1\r\n");
    char outside[8] = "x";
    STRINGS(Each(0), dll.InfInit(s));
    for (const char* when : {"before InfInit", "after InfClose", "after a second InfClose"}) {
        SCOPED_TRACE(when);
        CHECK(0, P(dll.InfGetScriptPtr()));
        CHECK(0, P(dll.InfGetDiskInfPtr()));
        CHECK(0, P(dll.InfFindSection(nullptr, "Setup")));
        CHECK(0, Empty(dll.InfGetProfileString(nullptr, "Setup", "Key", out), out));
        char keyPath[] = "Setup.Key";
        CHECK(0, Empty(dll.InfLookup(keyPath, out), out));
        CHECK(-1, dll.InfSearchRow("Files", 0, "a"));
        CHECK(0, P(dll.InfPrevLine(outside + 1)));
        CHECK(0, dll.InfInitDiskInf(script.c_str(), "x"));
        CHECK(0, (dll.InfCloseDiskInf(), 0));
        if (std::strcmp(when, "before InfInit") == 0) {
            ASSERT_EQ(dll.InfInit(script.c_str()), 1);
            dll.InfClose();
        } else {
            CHECK(0, (dll.InfClose(), 0));
        }
    }
}

// A loaded script and disks.inf asked with bad names, lines, fields and
// buffers. Value buffers have no size: a failure writes the empty string.
TEST_F(BadArgumentsTest, ScriptQueries) {
    const std::string script = dir / "setup.inf", disks = dir / "disks.inf";
    WriteBytes(script, "[Setup]\r\nKey=Value,\"q\"\r\n[Files]\r\na=1\r\n");
    WriteBytes(disks, "[Disk1]\r\nx=1\r\n");
    ASSERT_EQ(dll.InfInit(script.c_str()), 1);
    char* line = dll.InfFindSection(nullptr, "Setup");
    ASSERT_NE(line, nullptr);
    char outside[8] = "x";
    // A writable copy of s, for the exports that write into their argument.
    const auto copy = [](const char* s) {
        return s == nullptr ? std::vector<char>() : std::vector<char>(s, s + std::strlen(s) + 1);
    };
    STRINGS(Each(0), dll.InfInitDiskInf(s, "Disk"));
    STRINGS(Each(0), dll.InfInitDiskInf(disks.c_str(), s));
    STRINGS(Each(0), P(dll.InfFindSection(nullptr, s)));
    STRINGS(Each(0), Empty(dll.InfGetProfileString(nullptr, s, "Key", out), out));
    STRINGS(Each(0), Empty(dll.InfGetProfileString(nullptr, "Setup", s, out), out));
    STRINGS(Each(0), Empty(dll.InfLookup(s ? copy(s).data() : nullptr, out), out));
    STRINGS((PerString{0, 1, 1, 1, 1, 1, 1}),
            P(dll.InfGetNamedSection(s ? copy(s).data() : nullptr)));
    STRINGS(Each(-1), dll.InfSearchRow(s, 0, "a"));
    STRINGS(Each(-1), dll.InfSearchRow("Files", 0, s));
    for (WORD field : {WORD{0x8000}, WORD{0xFFFF}}) {
        SCOPED_TRACE(field);
        CHECK(0, Empty(dll.InfParseField(line, field, out), out));
        CHECK(-1, dll.InfSearchRow("Files", field, "a"));
    }
    CHECK_OUT(1, 0, dll.InfParseField(nullptr, 1, out)); // nothing written
    CHECK(1, dll.InfParseField(line, 1, nullptr));
    CHECK(0, dll.InfGetProfileString(nullptr, "Setup", "Key", nullptr));
    char keyPath[] = "Setup.Key";
    CHECK(0, dll.InfLookup(keyPath, nullptr));
    CHECK(0, P(dll.InfNextLine(nullptr)));
    CHECK(0, P(dll.InfPrevLine(nullptr)));
    CHECK(0, P(dll.InfPrevLine(outside + 1)));
    CHECK(0, dll.InfLineCount(nullptr));
    dll.InfClose();
}

// A record is the installer's own block with the table pointer at offset 810.
struct Record {
    std::vector<char> bytes = std::vector<char>(QVR_TARGET_TABLE_OFFSET + 64, 0);
    void* get() { return bytes.data(); }
};

TEST_F(BadArgumentsTest, Targets) {
    Record record, noTable, other;
    ASSERT_EQ(dll.InitTargetBuffers(record.get(), 0), 1);
    ASSERT_EQ(dll.SetTarget(record.get(), 0, "C:\\APP", FALSE), 1);
    TargetTable* table = nullptr;
    std::memcpy(&table, record.bytes.data() + QVR_TARGET_TABLE_OFFSET, sizeof table);
    void* r = record.get();
    STRINGS((PerString{0, 1, 1, 0, 0, 0, 0}), dll.SetTarget(r, 1, s, FALSE)); // 264 at most
    STRINGS(Each(-1), dll.GetTargetIndex(s));
    INTS(EachInt(0), dll.SetTarget(r, v, "x", FALSE));
    // Nothing written for a negative index, "" past the table.
    INTS((PerInt{0, 0, 11, 11}), P(dll.GetTarget(r, v, out)) + 10 * (out[0] == '\0'));
    INTS((PerInt{-1, INT_MIN, 0, 0}), dll.SetRelativeTarget(r, v, 0x10000));
    INTS(EachInt(0xFFFFFFFF), dll.GetRelativeTarget(r, v));
    INTS(EachInt(0), P(dll.GetTargetBufPtr(r, v, 10)));
    // A buffer of more than 65,535 characters is refused.
    INTS((PerInt{1, 1, 0, 0}), P(dll.GetTargetBufPtr(r, 2, v)));
    // Slot counts that cannot be had give a table without slots.
    INTS((PerInt{1, 1, 11, 1}), dll.InitTargetBuffers(other.get(), static_cast<DWORD>(v)) +
                                    10 * dll.SetTarget(other.get(), 0, "x", FALSE));
    // The number is read as atol reads it; no target has such an index.
    CHECK(-5, dll.GetTargetIndex("TARGET-5"));
    CHECK(INT_MAX, dll.GetTargetIndex("TARGET99999999999"));
    CHECK(-1, dll.GetTargetIndex("TARGET0"));
    for (void* bad : {static_cast<void*>(nullptr), noTable.get()}) {
        SCOPED_TRACE(bad ? "a record without a table" : "a null record");
        CHECK(0, dll.SetTarget(bad, 0, "x", FALSE));
        CHECK_OUT(0, 0, P(dll.GetTarget(bad, 0, out)));
        CHECK(0, dll.SetRelativeTarget(bad, 0, 1));
        CHECK(0xFFFFFFFF, dll.GetRelativeTarget(bad, 0));
        CHECK(0, P(dll.GetTargetBufPtr(bad, 0, 1)));
        CHECK(0, (dll.DeleteTargetBuffers(bad), dll.DeleteTargetBuffers(bad), 0));
    }
    CHECK(0, dll.InitTargetBuffers(nullptr, 0));
    CHECK(0, P(dll.GetTarget(r, 0, nullptr)));
    TargetTable hollow[] = {{nullptr, INT_MAX}, {nullptr, -1}, {table->slots, -1}};
    for (TargetTable& t : hollow) {
        SCOPED_TRACE(t.slotCount);
        CHECK(0, (dll.DeepCloneTargets(table, &t), dll.DeepCloneTargets(&t, table), 0));
    }
    CHECK(0, (dll.DeepCloneTargets(nullptr, table), dll.DeepCloneTargets(table, nullptr), 0));
    char path[300];
    EXPECT_STREQ(dll.GetTarget(r, 0, path), "C:\\APP"); // the good target is intact
}

// Text files: bad and closed handles, then bad indices, texts and buffers on
// open ones (a plain file, a batch file, an initialisation file).
TEST_F(BadArgumentsTest, TextFiles) {
    const std::string plainFile = dir / "plain.txt", batchFile = dir / "autoexec.bat";
    WriteBytes(plainFile, "one\r\ntwo\r\n");
    WriteBytes(batchFile, "@echo off\r\nset path=C:\\DOS\r\nwin\r\n");
    WriteBytes(dir / "win.ini", "[S]\r\nk=v\r\n");
    const char* const file = plainFile.c_str();
    const auto open = [&](const char* name, int type) {
        return static_cast<DWORD>(
            dll.CreateTextFileObject(name, type, "rem", nullptr, nullptr, nullptr, 0));
    };
    // The answer of CreateTextFileObject: -1, or 1 for a handle (destroyed).
    const auto made = [&](int handle) {
        return handle > 0 ? dll.DestroyTextFileObject(static_cast<DWORD>(handle)) : handle;
    };
    const DWORD plain = open(file, QVR_TEXT_PLAIN), batch = open(batchFile.c_str(), 1);
    const DWORD ini = open((dir / "win.ini").c_str(), QVR_TEXT_INI), closed = open(file, 8);
    ASSERT_TRUE(plain != 0xFFFFFFFF && batch != 0xFFFFFFFF && ini != 0xFFFFFFFF &&
                closed != 0xFFFFFFFF);
    ASSERT_EQ(dll.DestroyTextFileObject(closed), 1);

    // Every answer is its export's failure value (0, null, -1, 0xFFFF), and
    // nothing is written to the buffer.
    for (DWORD bad : {DWORD{0}, DWORD{6}, DWORD{0xFFFFFFFF}, DWORD{0x10001}, closed}) {
        SCOPED_TRACE(bad);
        DWORD size = 7;
        CHECK(0, dll.DestroyTextFileObject(bad));
        CHECK(0, dll.IsValidTextFile(bad));
        CHECK(0, dll.TFGetLineCount(bad));
        CHECK(0, dll.TFAddLineTop(bad, "x"));
        CHECK(0, dll.TFAddLineTail(bad, "x"));
        CHECK(0, dll.TFInsertLine(bad, "x", 0));
        CHECK(QVR_NO_LINE_FLAGS, dll.TFGetLineFlags(bad, 0));
        CHECK(0, dll.TFSetLineFlags(bad, 0, 1));
        CHECK_OUT(0, 0, P(dll.TFGetLineText(bad, 0, out, 10))); // no byte written
        CHECK_OUT(0, 0, P(dll.TFGetParsedLineText(bad, 0, out, 10)));
        CHECK(0, dll.TFSetLineText(bad, 0, "x"));
        CHECK(0, dll.TFRemLine(bad, 0));
        CHECK(0, dll.TFDeleteLine(bad, 0));
        CHECK(-1, dll.TFLineExists(bad, 0, "x", 1));
        CHECK(0, dll.TFGetSize(bad));
        CHECK(0, P(dll.TFCreateOutput(bad, &size)) + (size != 7));
        CHECK(-1, dll.TFAddPath(bad, "C:\\X"));
        CHECK(0, dll.TFPathExists(bad, "C:\\X"));
        CHECK(0, dll.TFCheckPathLen(bad));
        CHECK(0, dll.TFAddTopCommon(bad));
        CHECK(0, dll.TFAddBottomCommon(bad));
        CHECK(0, dll.TFIsCommonAddedTop(bad));
        CHECK(0, dll.TFIsCommonAddedBottom(bad));
        CHECK(0, dll.TFSetSection(bad, "S"));
        CHECK(0, dll.TFClearSection(bad));
        CHECK(0, dll.TFBeforeWin(bad, "x"));
    }
    CHECK(0, dll.DestroyTextFileObject(closed)); // a second time
    // None of them reached an open file: no line added, no section chosen.
    EXPECT_EQ(dll.TFGetLineCount(plain), 2);
    EXPECT_EQ(dll.TFLineExists(ini, 0, "k=v", 0), -1);

    STRINGS(Each(-1), made(dll.CreateTextFileObject(s, 8, nullptr, nullptr, nullptr, nullptr, 0)));
    STRINGS(Each(1), made(dll.CreateTextFileObject(file, 8, s, s, s, s, 1)));
    INTS(EachInt(-1),
         made(dll.CreateTextFileObject(file, v, nullptr, nullptr, nullptr, nullptr, 0)));
    // Before the calls below put these strings into the file.
    STRINGS(Each(-1), dll.TFLineExists(plain, 0, s, 1));
    // Texts are stored whole, however long.
    STRINGS((PerString{0, 0, 1, 1, 1, 1, 1}), dll.TFAddLineTop(plain, s));
    STRINGS((PerString{0, 0, 1, 1, 1, 1, 1}), dll.TFAddLineTail(plain, s));
    STRINGS((PerString{0, 0, 1, 1, 1, 1, 1}), dll.TFInsertLine(plain, s, 0));
    STRINGS((PerString{0, 1, 1, 1, 1, 1, 1}), dll.TFSetLineText(plain, 0, s));
    STRINGS((PerString{0, 0, 1, 1, 1, 1, 1}), dll.TFBeforeWin(batch, s));
    STRINGS(Each(0), dll.TFPathExists(batch, s));
    STRINGS((PerString{-1, -1, 1, 1, 1, 1, 1}), dll.TFAddPath(batch, s) > 0 ? 1 : -1);
    STRINGS(Each(-1), dll.TFSetSection(ini, s));                     // longer than 260: refused
    INTS((PerInt{0, 0, 1, 1}), dll.TFInsertLine(plain, "x\r\n", v)); // past the end: last
    INTS(EachInt(QVR_NO_LINE_FLAGS), dll.TFGetLineFlags(plain, v));
    INTS(EachInt(0), dll.TFSetLineFlags(plain, v, 1));
    INTS(EachInt(0), dll.TFSetLineText(plain, v, "x"));
    INTS(EachInt(0), dll.TFRemLine(plain, v));
    INTS(EachInt(0), dll.TFDeleteLine(plain, v));
    INTS(EachInt(-1), dll.TFLineExists(plain, v, "zzz", 1));
    // Missing lines leave at most the empty string in a buffer of size + 1.
    INTS_OUT(EachInt(0), 11, P(dll.TFGetLineText(plain, v, out, 10)));
    INTS_OUT(EachInt(0), 11, P(dll.TFGetParsedLineText(plain, v, out, 10)));
    // At most `size` characters and a terminator: sizes 0 and 1, and sizes
    // below 0 or past 511 counted as 0 and 511.
    for (const auto& [size, bytes] : std::vector<std::pair<int, size_t>>{
             {0, 1}, {1, 2}, {-1, 1}, {INT_MIN, 1}, {INT_MAX, 512}}) {
        SCOPED_TRACE(size);
        CHECK_OUT(1, bytes, P(dll.TFGetLineText(plain, 0, out, size)));
        CHECK_OUT(1, bytes, P(dll.TFGetParsedLineText(plain, 0, out, size)));
    }
    CHECK(0, P(dll.TFGetLineText(plain, 0, nullptr, 10)));
    CHECK(1, Free(dll.TFCreateOutput(plain, nullptr)));
    for (DWORD handle : {plain, batch, ini})
        EXPECT_EQ(dll.DestroyTextFileObject(handle), 1);
}

// IsShellKdos reads COMSPEC into a 512-byte buffer: a value that does not fit
// counts as no alternative shell.
TEST_F(BadArgumentsTest, ShellFromLongComspec) {
    char saved[4096] = "";
    const DWORD savedLength = GetEnvironmentVariableA("COMSPEC", saved, sizeof saved);
    const auto set = [](const char* s) {
        std::string value = s != nullptr ? s : "";
        if (value.size() >= 8)
            value.replace(value.size() - 8, 8, "KDOS.COM");
        SetEnvironmentVariableA("COMSPEC", s != nullptr ? value.c_str() : nullptr);
        return 0;
    };
    STRINGS((PerString{0, 0, 1, 1, 0, 0, 0}), set(s) + dll.IsShellKdos());
    SetEnvironmentVariableA("COMSPEC", savedLength != 0 ? saved : nullptr);
}

// File I/O, paths, directories, searches, copies and the tree operations
// (whose paths pass the test areas' guard).
TEST_F(BadArgumentsTest, FilesAndDirectories) {
    const std::string file = dir / "data.bin", missing = dir / "nothing.bin";
    WriteBytes(file, "0123456789");
    const char* const f = file.c_str();
    BYTE* const none = nullptr;
    OFSTRUCT info = {};
    HGLOBAL block = nullptr;
    DWORD size = 0, attributes = 0;
    WORD flags = 1, length = 1, serial = 1;
    WIN32_FIND_DATAA data;
    char saved[MAX_PATH], now[MAX_PATH];
    GetCurrentDirectoryA(sizeof saved, saved);
    const auto moved = [&] {
        GetCurrentDirectoryA(sizeof now, now);
        return std::strcmp(now, saved) != 0;
    };
    const auto bytes = [](char* out) { return reinterpret_cast<BYTE*>(out); };

    STRINGS(Each(HFILE_ERROR), dll.QVROpenFile(s, &info, OF_READ));
    STRINGS(Each(0), Free(dll.QVRLoadFile(s, &block, &size)) + 10 * (block != nullptr));
    STRINGS(Each(0), P(dll.QVRLoadFilePartial(s, bytes(out), 0, 1)));
    STRINGS(Each(0), dll.QVRPutFile(s, "x", 1, OF_CREATE | OF_WRITE));
    STRINGS(Each(0), dll.QVRUpdateFile(s, "x", 0, 1));
    STRINGS(Each(0), dll.QVRIsValidDir(s));
    STRINGS(Each(0), dll.IsUNCPath(s));
    // A null root is the current drive; a failure leaves 0 in all three.
    STRINGS((PerString{1, 0, 0, 0, 0, 0, 0}),
            dll.QVRGetLFNVolumeInfo(s, &flags, &length, &serial) +
                10 * ((flags | length | serial) == 0 ? 0 : s != nullptr));
    STRINGS(Each(0), dll.QVRChangeDirectory(s) + 10 * moved());
    STRINGS(Each(0), dll.QVRRemoveDirectory(s));
    STRINGS(Each(0), dll.QVRMakeDirectory(s));
    STRINGS(Each(0), dll.QVRGetSetFileAttributes(FALSE, s, &attributes));
    attributes = FILE_ATTRIBUTE_NORMAL;
    STRINGS(Each(0), dll.QVRGetSetFileAttributes(TRUE, s, &attributes));
    STRINGS(Each(0), dll.QVRRenameFile(s, (dir / "renamed").c_str()));
    STRINGS(Each(0), dll.QVRRenameFile(missing.c_str(), s));
    STRINGS_OUT(Each(0), 264, dll.QVRGetNonLFNName(s, out, 264));
    STRINGS(Each(0), P(dll.QVRFindFirstFile(s, 0, &data)));
    STRINGS(Each(0), dll.QVRCopyFile(s, f));
    STRINGS(Each(0), dll.QVRCopyFile((dir / "copy.bin").c_str(), s));
    STRINGS(Each(0), dll.QVRDeleteFile(s));
    // Null and empty paths of the tree operations: tree_refusal_test. A root
    // of MAX_PATH characters or more cannot be resolved, and is refused.
    for (size_t i = 0; i < std::size(kLengths); ++i) {
        const char* s = strings[i].c_str();
        SCOPED_TRACE(kLengths[i]);
        CHECK(0, SafeDelTree(s));
        CHECK(0, SafeDumpDirectory(s, (dir / "out").c_str()));
        CHECK(0, SafeDumpDirectory((dir / "d").c_str(), s));
        CHECK(0, SafeRemTempDirNT(s));
        CHECK(0, SafeTryRemoveDir(s));
    }
    INTS(EachInt(0), P(dll.QVRLoadFilePartial(f, bytes(out), v, 1)));
    INTS(EachInt(0), Free(dll.QVRLoadFilePartial(f, none, 0, v)));
    INTS(EachInt(0), dll.QVRPutFile(f, nullptr, v, OF_WRITE));
    INTS(EachInt(0), dll.QVRUpdateFile(f, "x", v, 1)); // before or past the file
    INTS(EachInt(0), dll.QVRUpdateFile(f, nullptr, 0, v));
    INTS(EachInt(0), dll.QVRGetLFNName(v, v, v));
    // Buffers of 0 and 1 bytes; null outputs.
    CHECK_OUT(1, 0, P(dll.QVRLoadFilePartial(f, bytes(out), 0, 0))); // nothing to read
    CHECK_OUT(1, 0, dll.QVRGetCurrentDirectory(0, out, 0));
    CHECK_OUT(1, 1, Empty(dll.QVRGetCurrentDirectory(0, out, 1), out));
    CHECK(0, dll.QVRGetCurrentDirectory(0, nullptr, 10));
    CHECK_OUT(1, 0, dll.QVRGetNonLFNName(f, out, 0));
    CHECK_OUT(1, 1, Empty(dll.QVRGetNonLFNName(f, out, 1), out));
    CHECK(0, dll.QVRGetNonLFNName(f, nullptr, 10));
    CHECK(HFILE_ERROR, dll.QVROpenFile(f, nullptr, OF_READ));
    CHECK(1, Free(dll.QVRLoadFile(f, nullptr, nullptr)));
    CHECK(0, dll.QVRGetSetFileAttributes(FALSE, f, nullptr));
    CHECK(1, dll.QVRGetLFNVolumeInfo("C:\\", nullptr, nullptr, nullptr));
    CHECK(0, P(dll.QVRFindFirstFile("*", 0, nullptr)));
    CHECK(0, dll.QVRFindNextFile(nullptr, &data));
    CHECK(0, dll.QVRFindNextFile(INVALID_HANDLE_VALUE, &data));
    HANDLE search = dll.QVRFindFirstFile("*", 0, &data);
    CHECK(0, dll.QVRFindNextFile(search, nullptr));
    CHECK(1, dll.QVRFindClose(search));
    CHECK(1, dll.QVRFindClose(nullptr));
    CHECK(0, dll.QVRFindClose(INVALID_HANDLE_VALUE));
    CHECK(1, dll.QVRSystemSupportsLFN());
    // Last, as it creates every missing level: up to 260 characters a path
    // can have them.
    STRINGS((PerString{2, 2, 0, 2, 2, 2, 2}),
            dll.QVRCreateDir(reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234)), s));
    EXPECT_EQ(ReadBytes(file), "0123456789");
}

BOOL WINAPI GoOnKey(HKEY, LPCSTR, LPCSTR, DWORD_PTR) {
    return TRUE;
}
BOOL WINAPI GoOnValue(HKEY, DWORD, LPCSTR, const BYTE*, DWORD, DWORD_PTR) {
    return TRUE;
}

// Registry services under a key of this test's own: bad roots, names and
// sizes. The answers are the registry's own codes, except where the library
// decides (87, 13).
TEST_F(BadArgumentsTest, Registry) {
    const std::string base = "Software\\QvrBadArguments" + std::to_string(GetCurrentProcessId());
    HKEY root = nullptr, closedKey = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, base.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &root, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(
        RegCreateKeyExA(root, "empty", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &closedKey, nullptr),
        ERROR_SUCCESS);
    RegCloseKey(closedKey);
    char cls[] = "";
    const auto text = reinterpret_cast<const BYTE*>("v");
    const QVRRegKeyProc keys = GoOnKey;
    const QVRRegValueProc values = GoOnValue;
    for (HKEY bad : {static_cast<HKEY>(nullptr), closedKey}) {
        SCOPED_TRACE(bad ? "closed key" : "null key");
        CHECK(ERROR_INVALID_HANDLE, dll.QVRCreateReg32Key(bad, "x", cls));
        CHECK(ERROR_INVALID_HANDLE, dll.QVRSetReg32Value(bad, "x", "n", REG_SZ, text, 2));
        CHECK(ERROR_INVALID_HANDLE, dll.QVREnumReg32Keys(bad, "x", 0, keys));
        CHECK(ERROR_INVALID_HANDLE, dll.QVREnumReg32Values(bad, "x", 0, values));
        CHECK(ERROR_INVALID_HANDLE, dll.QVRDeleteReg32Key(bad, "x"));
        CHECK(ERROR_INVALID_HANDLE, dll.QVRDeleteReg32Value(bad, "x", "n"));
    }
    // Codes for names that are too long differ between systems: these give 0
    // for success and 1 for any failure. A null or empty subkey names the root
    // key itself, as the registry has it; a name of 32,767 characters or more
    // is refused (87).
    const auto failed = [](LONG code) -> Result { return code != ERROR_SUCCESS ? 1 : 0; };
    // The key's code: a refused value write still gives 0.
    STRINGS((PerString{0, 0, 0, 0, 0, 0, 1}),
            failed(dll.QVRSetReg32Value(root, "v", s, REG_SZ, text, 2)));
    // Not found clears the outputs; a refused name leaves them alone.
    STRINGS((PerString{13, 13, 13, 13, 13, 13, 87}), ([&] {
                DWORD type = 1, size = 1;
                void* data = &type;
                const LONG code = dll.QVRGetReg32Value(root, "empty", s, &type, &data, &size);
                return code + 100 * (code == 13 && (type != 0 || size != 0 || data != nullptr));
            }()));
    STRINGS((PerString{0, 0, 1, 1, 1, 1, 1}), failed(dll.QVREnumReg32Keys(root, s, 0, keys)));
    STRINGS((PerString{0, 0, 1, 1, 1, 1, 1}), failed(dll.QVREnumReg32Values(root, s, 0, values)));
    STRINGS((PerString{0, 0, 1, 1, 1, 1, 1}), failed(dll.QVRDeleteReg32Value(root, s, "n")));
    STRINGS(Each(1), failed(dll.QVRDeleteReg32Key(root, s)));
    // Last, as it makes keys the calls above look for.
    STRINGS((PerString{0, 0, 0, 1, 1, 1, 1}), failed(dll.QVRCreateReg32Key(root, s, cls)));
    STRINGS(Each(1), ([&] {
                RegValueSearch search = {"x", nullptr, nullptr, nullptr, 0xFFFF};
                return dll.QVRRegEnumValProc(root, REG_SZ, s, nullptr, 65536, &search) +
                       10 * (search.status != 0xFFFF);
            }()));
    INTS(EachInt(87),
         dll.QVRSetReg32Value(root, "v", "n", REG_BINARY, nullptr, static_cast<DWORD>(v)));
    CHECK(87, dll.QVRGetReg32Value(root, "empty", "n", nullptr, nullptr, nullptr));
    CHECK(87, dll.QVREnumReg32Keys(root, nullptr, 0, nullptr));
    CHECK(87, dll.QVREnumReg32Values(root, nullptr, 0, nullptr));
    CHECK(1, dll.QVRRegEnumValProc(root, REG_SZ, "x", nullptr, 5, nullptr));
    // A search without outputs for the nameless value: found (0, status 0)
    // with a zeroed copy of 65,536 bytes, as no data came.
    RegValueSearch search = {nullptr, nullptr, nullptr, nullptr, 0xFFFF};
    CHECK(0, dll.QVRRegEnumValProc(root, REG_SZ, nullptr, nullptr, 65536, &search) +
                 10 * search.status + 100 * (1 - Free(search.data)));
    RegCloseKey(root);
    EXPECT_EQ(RegDeleteTreeA(HKEY_CURRENT_USER, base.c_str()), ERROR_SUCCESS);
}

// The window-facing exports with a null, a bad and a destroyed window.
TEST_F(BadArgumentsTest, Frame) {
    const auto window = [] {
        return CreateWindowExA(0, "STATIC", "qvr", 0, 0, 0, 1, 1, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    };
    const auto taskEnum = dll.TaskEnumProc;
    HWND live = window(), destroyed = window();
    ASSERT_TRUE(live != nullptr && destroyed != nullptr);
    DestroyWindow(destroyed);
    for (HWND bad : {static_cast<HWND>(nullptr), destroyed,
                     reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234))}) {
        SCOPED_TRACE(bad == nullptr ? "null" : bad == destroyed ? "destroyed" : "bad");
        DWORD second = 7;
        LONG_PTR cell = 7;
        dll.QVRSetHInstbin(bad);
        CHECK(0, dll.QVRGetSelectedSize(&second) + 10 * second);
        CHECK(TRUE, taskEnum(bad, reinterpret_cast<LPARAM>(&cell)) + 10 * (cell != 7));
    }
    dll.QVRSetHInstbin(nullptr);
    CHECK(0, dll.QVRGetSelectedSize(nullptr));
    CHECK(FALSE, taskEnum(live, 0)); // stops, stores nowhere
    CHECK(0, (dll.SaveFunctions(nullptr, nullptr), 0));
    CHECK(0, (dll.RestoreFunctions(nullptr, nullptr), dll.RestoreFunctions(nullptr, nullptr),
              P(dll.InfGetScriptPtr())));
    DestroyWindow(live);
    std::cout << "[ bad arguments ] " << Count() << " calls so far in this program\n";
}

} // namespace
