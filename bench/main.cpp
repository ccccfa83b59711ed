// main.cpp: the benchmark host. It loads qvrdll32.dll like an installer
// does, measures its exports against the platform's INF, profile and copy
// functions in this one process (contenders alternate, medians over
// repetitions), and writes the results page and its charts.
//
//   qvr_bench [--quick] [--doc FILE --template FILE] [--charts DIR] [--work DIR]
//
// --quick runs tiny sizes (the smoke run of the test suite). The exit code
// is non-zero when a contender gives a wrong result, an export is missing,
// or an output cannot be written.
#include "files.h"
#include "hooks.h"
#include "plot.h"
#include "workload.h"

#include <windows.h>

#include <setupapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace bench {

namespace {

// ---- The library's exports -------------------------------------------------

struct Library {
    HMODULE module = nullptr;
    int(WINAPI* InfInit)(LPCSTR) = nullptr;
    void(WINAPI* InfClose)() = nullptr;
    char*(WINAPI* InfGetScriptPtr)() = nullptr;
    int(WINAPI* InfGetProfileString)(char*, LPCSTR, LPCSTR, char*) = nullptr;
    char*(WINAPI* InfFindSection)(char*, LPCSTR) = nullptr;
    char*(WINAPI* InfNextLine)(char*) = nullptr;
    int(WINAPI* InfParseField)(char*, WORD, char*) = nullptr;
    int(WINAPI* CreateTextFileObject)(LPCSTR, int, LPCSTR, LPCSTR, LPCSTR, LPCSTR, DWORD) = nullptr;
    int(WINAPI* DestroyTextFileObject)(DWORD) = nullptr;
    int(WINAPI* TFGetLineCount)(DWORD) = nullptr;
    int(WINAPI* TFSetSection)(DWORD, LPCSTR) = nullptr;
    int(WINAPI* TFAddLineTail)(DWORD, LPCSTR) = nullptr;
    LPSTR(WINAPI* TFCreateOutput)(DWORD, DWORD*) = nullptr;
    int(WINAPI* QVRPutFile)(LPCSTR, const void*, DWORD, UINT) = nullptr;
    int(WINAPI* QVRDumpDirectory)(LPCSTR, LPCSTR) = nullptr;
    std::vector<std::string> missing;

    template <class F> void Resolve(F& slot, const char* name) {
        FARPROC found = GetProcAddress(module, name);
        slot = reinterpret_cast<F>(reinterpret_cast<void*>(found));
        if (found == nullptr)
            missing.push_back(name);
    }

    bool Load() {
        char path[MAX_PATH];
        DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string dll(path, n);
        dll = dll.substr(0, dll.find_last_of('\\') + 1) + "qvrdll32.dll";
        module = LoadLibraryA(dll.c_str());
        if (module == nullptr)
            return false;
        Resolve(InfInit, "_InfInit@4");
        Resolve(InfClose, "_InfClose@0");
        Resolve(InfGetScriptPtr, "_InfGetScriptPtr@0");
        Resolve(InfGetProfileString, "_InfGetProfileString@16");
        Resolve(InfFindSection, "_InfFindSection@8");
        Resolve(InfNextLine, "_InfNextLine@4");
        Resolve(InfParseField, "_InfParseField@12");
        Resolve(CreateTextFileObject, "_CreateTextFileObject@28");
        Resolve(DestroyTextFileObject, "_DestroyTextFileObject@4");
        Resolve(TFGetLineCount, "_TFGetLineCount@4");
        Resolve(TFSetSection, "_TFSetSection@8");
        Resolve(TFAddLineTail, "_TFAddLineTail@8");
        Resolve(TFCreateOutput, "_TFCreateOutput@8");
        Resolve(QVRPutFile, "_QVRPutFile@16");
        Resolve(QVRDumpDirectory, "_QVRDumpDirectory@8");
        return missing.empty();
    }
};

Library lib;
int failures = 0;

void Fail(const std::string& what) {
    std::fprintf(stderr, "FAILED: %s\n", what.c_str());
    ++failures;
}

// ---- Timing ----------------------------------------------------------------

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Time(const std::function<void()>& f) {
    double start = Now();
    f();
    return Now() - start;
}

double Median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Pair {
    std::string what;
    std::string peer;
    double ours;   // median seconds
    double theirs; // median seconds
    double target; // wanted theirs/ours
    int repetitions;
};

std::vector<Pair> pairs;

// Runs both contenders `reps` times, alternating which goes first, with
// `prepare(ours)` (untimed) before every run of either.
void Compare(
    const std::string& what, const std::string& peer, double target, int reps,
    const std::function<void()>& ours, const std::function<void()>& theirs,
    const std::function<void(bool ours)>& prepare = [](bool) {}, bool warmUp = true) {
    std::vector<double> a, b;
    // One untimed run of each first: the first call of a function pays for
    // loading and first-touch work that an installer pays once.
    if (warmUp) {
        prepare(true);
        ours();
        prepare(false);
        theirs();
    }
    for (int r = 0; r < reps; ++r) {
        for (int turn = 0; turn < 2; ++turn) {
            bool oursNow = (r + turn) % 2 == 0;
            prepare(oursNow);
            (oursNow ? a : b).push_back(Time(oursNow ? ours : theirs));
        }
    }
    pairs.push_back({what, peer, Median(a), Median(b), target, reps});
    std::printf("%-52s ours %10.3f ms  %-28s %10.3f ms  ratio %7.2f\n", what.c_str(),
                Median(a) * 1e3, peer.c_str(), Median(b) * 1e3, Median(b) / Median(a));
    std::fflush(stdout);
}

std::string Fixed(double v, int digits) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", digits, v);
    return buffer;
}

std::string Ms(double seconds) {
    return seconds >= 0.1     ? Fixed(seconds * 1e3, 0)
           : seconds >= 0.001 ? Fixed(seconds * 1e3, 2)
                              : Fixed(seconds * 1e3, 4);
}

std::string Kb(std::size_t bytes) {
    return Fixed(static_cast<double>(bytes) / 1024.0, 0) + " KB";
}

// ---- Configuration ---------------------------------------------------------

struct Options {
    bool quick = false;
    std::string doc;
    std::string templ;
    std::string charts;
    std::string work;
    std::string parseOnly;
    std::string textLines;
};

Options options;
std::string workDir;

int Reps(int full) {
    return options.quick ? 1 : full;
}

std::string WorkPath(const std::string& name) {
    return workDir + "\\" + name;
}

// ---- 1. Parsing ------------------------------------------------------------

HINF OpenInf(const std::string& path) {
    return SetupOpenInfFileA(path.c_str(), nullptr, INF_STYLE_WIN4, nullptr);
}

void ParseOnce(const std::string& path) {
    if (lib.InfInit(path.c_str()) != 1)
        Fail("InfInit " + path);
    lib.InfClose();
}

void ParseOnceSetup(const std::string& path) {
    HINF inf = OpenInf(path);
    if (inf == INVALID_HANDLE_VALUE)
        Fail("SetupOpenInfFileA " + path);
    else
        SetupCloseInfFile(inf);
}

struct InfFile {
    std::string path;
    InfText inf;
};

InfFile WriteInf(const std::string& name, std::size_t bytes, std::uint32_t seed) {
    InfFile f{WorkPath(name), MakeInf(bytes, seed)};
    if (!WriteFileBytes(f.path, f.inf.text))
        Fail("writing " + f.path);
    return f;
}

void Parsing(const InfFile& real, const InfFile& mid, const InfFile& big) {
    int boxesBefore = MessageBoxCount();
    const struct {
        const InfFile* file;
        const char* label;
        double target;
        int reps;
    } rows[] = {{&real, "Parse a real-world-sized INF", 20, 21},
                {&mid, "Parse a large script", 0, 9},
                {&big, "Parse a very large script", 100, 5}};
    for (const auto& row : rows) {
        std::string what = std::string(row.label) + " (" + Kb(row.file->inf.text.size()) + ")";
        Compare(
            what, "SetupOpenInfFileA + Close", row.target, Reps(row.reps),
            [&] { ParseOnce(row.file->path); }, [&] { ParseOnceSetup(row.file->path); });
    }
    if (MessageBoxCount() == boxesBefore)
        Fail("no size warning was shown for images over 64K");
}

// ---- 2. Lookups ------------------------------------------------------------

std::string SetupValue(HINF inf, const Lookup& l) {
    INFCONTEXT context;
    char buffer[1024];
    if (!SetupFindFirstLineA(inf, l.section.c_str(), l.key.c_str(), &context) ||
        !SetupGetStringFieldA(&context, 1, buffer, sizeof buffer, nullptr))
        return "<missing>";
    return buffer;
}

std::string OurValue(char* image, const Lookup& l) {
    char buffer[1024];
    if (lib.InfGetProfileString(image, l.section.c_str(), l.key.c_str(), buffer) != 1)
        return "<missing>";
    return buffer;
}

std::string ProfileValue(const std::string& path, const Lookup& l) {
    char buffer[1024];
    GetPrivateProfileStringA(l.section.c_str(), l.key.c_str(), "<missing>", buffer, sizeof buffer,
                             path.c_str());
    return buffer;
}

// The fields of every line of `section`, as this library gives them.
std::vector<std::string> OurFields(char* image, const std::string& section) {
    std::vector<std::string> fields;
    char buffer[1024];
    for (char* line = lib.InfFindSection(image, section.c_str()); line != nullptr;
         line = lib.InfNextLine(line)) {
        bool keyed = lib.InfParseField(line, 0, buffer) == 1;
        if (keyed)
            fields.push_back(buffer);
        for (WORD f = 1; lib.InfParseField(line, f, buffer) == 1; ++f)
            fields.push_back(buffer);
        fields.push_back("|");
    }
    return fields;
}

std::vector<std::string> SetupFields(HINF inf, const std::string& section) {
    std::vector<std::string> fields;
    INFCONTEXT context;
    char buffer[1024];
    if (!SetupFindFirstLineA(inf, section.c_str(), nullptr, &context))
        return fields;
    do {
        DWORD count = SetupGetFieldCount(&context);
        DWORD needed = 0;
        // Field 0 is the key; lines without one give nothing for it here.
        if (SetupGetStringFieldA(&context, 0, buffer, sizeof buffer, &needed) && needed > 0) {
            INFCONTEXT probe = context;
            char first[1024];
            bool keyed = !SetupGetStringFieldA(&probe, 1, first, sizeof first, nullptr) ||
                         std::strcmp(first, buffer) != 0 || count == 0;
            if (keyed)
                fields.push_back(buffer);
        }
        for (DWORD f = 1; f <= count; ++f)
            if (SetupGetStringFieldA(&context, f, buffer, sizeof buffer, nullptr))
                fields.push_back(buffer);
        fields.push_back("|");
    } while (SetupFindNextLine(&context, &context));
    return fields;
}

void Lookups(const InfFile& file) {
    Random random(7);
    std::vector<Lookup> picks;
    std::size_t count = options.quick ? 50 : 2000;
    for (std::size_t i = 0; i < count; ++i)
        picks.push_back(file.inf.lookups[random.Next() % file.inf.lookups.size()]);

    if (lib.InfInit(file.path.c_str()) != 1) {
        Fail("InfInit " + file.path);
        return;
    }
    char* image = lib.InfGetScriptPtr();
    HINF inf = OpenInf(file.path);
    if (inf == INVALID_HANDLE_VALUE) {
        Fail("SetupOpenInfFileA " + file.path);
        lib.InfClose();
        return;
    }
    // All three readers must give the generated value before any is timed.
    for (const Lookup& l : picks) {
        std::string ours = OurValue(image, l), setup = SetupValue(inf, l),
                    profile = ProfileValue(file.path, l);
        if (ours != l.value || setup != l.value || profile != l.value) {
            Fail("lookup [" + l.section + "] " + l.key + ": expected " + l.value + ", library " +
                 ours + ", INF API " + setup + ", profile API " + profile);
            break;
        }
    }
    char value[1024];
    INFCONTEXT context;
    auto ours = [&] {
        for (const Lookup& l : picks)
            lib.InfGetProfileString(image, l.section.c_str(), l.key.c_str(), value);
    };
    std::string label = std::to_string(picks.size()) + " random lookups";
    Compare(label, "SetupFindFirstLineA + GetStringField", 1, Reps(9), ours, [&] {
        for (const Lookup& l : picks)
            if (SetupFindFirstLineA(inf, l.section.c_str(), l.key.c_str(), &context))
                SetupGetStringFieldA(&context, 1, value, sizeof value, nullptr);
    });
    Compare(label, "GetPrivateProfileStringA", 25, Reps(5), ours, [&] {
        for (const Lookup& l : picks)
            GetPrivateProfileStringA(l.section.c_str(), l.key.c_str(), "", value, sizeof value,
                                     file.path.c_str());
    });

    // Field walk over every section but the two the INF API rewrites
    // (%strings% substitution) or hides ([Version], [Strings]).
    std::vector<std::string> sections(file.inf.sections.begin() + 1, file.inf.sections.end() - 1);
    std::size_t agree = 0, fieldCount = 0;
    for (const std::string& s : sections) {
        std::vector<std::string> a = OurFields(image, s), b = SetupFields(inf, s);
        fieldCount += a.size();
        if (a == b)
            ++agree;
        else if (agree + 1 == sections.size() || s == sections.front())
            std::printf("field walk differs in [%s]\n", s.c_str());
    }
    std::printf("field walk: %zu of %zu sections give the same fields (%zu fields)\n", agree,
                sections.size(), fieldCount);
    if (agree != sections.size())
        Fail("field walk: the library and the INF API disagree on " +
             std::to_string(sections.size() - agree) + " sections");
    char field[1024];
    Compare(
        "Field walk over " + std::to_string(sections.size()) + " sections",
        "SetupGetStringFieldA walk", 3, Reps(9),
        [&] {
            for (const std::string& s : sections)
                for (char* line = lib.InfFindSection(image, s.c_str()); line != nullptr;
                     line = lib.InfNextLine(line))
                    for (WORD f = 0; lib.InfParseField(line, f, field) == 1 || f == 0; ++f) {
                    }
        },
        [&] {
            for (const std::string& s : sections) {
                if (!SetupFindFirstLineA(inf, s.c_str(), nullptr, &context))
                    continue;
                do {
                    DWORD n = SetupGetFieldCount(&context);
                    for (DWORD f = 0; f <= n; ++f)
                        SetupGetStringFieldA(&context, f, field, sizeof field, nullptr);
                } while (SetupFindNextLine(&context, &context));
            }
        });
    SetupCloseInfFile(inf);
    lib.InfClose();
}

// ---- 3. INI editing --------------------------------------------------------

void IniEditing() {
    int lines = 2000;
    int keys = options.quick ? 100 : 1000;
    std::string original = MakeIni(lines);
    std::vector<std::string> added, names, values;
    for (int i = 0; i < keys; ++i) {
        names.push_back("Added" + std::to_string(i));
        values.push_back("value " + std::to_string(i * 7));
        added.push_back(names.back() + "=" + values.back() + "\r\n");
    }
    std::string ourPath = WorkPath("ours.ini"), peerPath;
    int run = 0;
    auto prepare = [&](bool ours) {
        // The profile API caches files: each of its runs gets a new one.
        if (!ours)
            peerPath = WorkPath("peer" + std::to_string(++run) + ".ini");
        if (!WriteFileBytes(ours ? ourPath : peerPath, original))
            Fail("writing the INI files");
    };
    std::string lastPeer;
    Compare(
        "Add " + std::to_string(keys) + " keys to a " + std::to_string(lines) +
            "-line INI and write it",
        std::to_string(keys) + " x WritePrivateProfileStringA", 200, Reps(5),
        [&] {
            int h = lib.CreateTextFileObject(ourPath.c_str(), 4, ";", nullptr, nullptr, nullptr, 0);
            if (h == -1) {
                Fail("CreateTextFileObject " + ourPath);
                return;
            }
            lib.TFSetSection(h, "Target");
            for (const std::string& line : added)
                if (lib.TFAddLineTail(h, line.c_str()) != 1)
                    Fail("TFAddLineTail");
            DWORD size = 0;
            char* out = lib.TFCreateOutput(h, &size);
            if (out == nullptr ||
                lib.QVRPutFile(ourPath.c_str(), out, size, OF_CREATE | OF_WRITE) != 1)
                Fail("writing the edited INI file");
            if (out != nullptr) {
                HGLOBAL block = GlobalHandle(out);
                GlobalUnlock(block);
                GlobalFree(block);
            }
            lib.DestroyTextFileObject(h);
        },
        [&] {
            for (int i = 0; i < keys; ++i)
                WritePrivateProfileStringA("Target", names[i].c_str(), values[i].c_str(),
                                           peerPath.c_str());
            lastPeer = peerPath;
        },
        prepare);
    // Both files now hold every added key and the keys they had before.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr,
                               lastPeer.c_str()); // flush the profile cache
    for (const std::string* path : {&ourPath, &lastPeer}) {
        for (int i = 0; i < keys; ++i)
            if (ProfileValue(*path, {"Target", names[i], ""}) != values[i]) {
                Fail(*path + " lacks " + names[i]);
                break;
            }
        if (ProfileValue(*path, {"Target", "Entry48", ""}).empty() ||
            ProfileValue(*path, {"Section0", "Entry0", ""}) != "value 0")
            Fail(*path + " lost keys it had");
    }
    for (int r = 1; r <= run; ++r)
        DeleteFileA(WorkPath("peer" + std::to_string(r) + ".ini").c_str());
}

// ---- 4. Tree copy ----------------------------------------------------------

void CopyTreeWithPlatform(const std::string& from, const std::string& to) {
    CreateDirectoryA(to.c_str(), nullptr);
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((from + "\\*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..")
            continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            CopyTreeWithPlatform(from + "\\" + name, to + "\\" + name);
        else if (!CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), FALSE))
            Fail("CopyFileA " + from + "\\" + name);
    } while (FindNextFileA(search, &data));
    FindClose(search);
}

bool SameTree(const std::string& a, const std::string& b) {
    std::vector<std::string> fa = ListFiles(a), fb = ListFiles(b);
    if (fa != fb)
        return false;
    for (const std::string& f : fa)
        if (ReadFileBytes(a + "\\" + f) != ReadFileBytes(b + "\\" + f))
            return false;
    return true;
}

void TreeCopy() {
    int files = options.quick ? 40 : 2000;
    std::size_t maxBytes = options.quick ? 16 * 1024 : 256 * 1024;
    std::string source = WorkPath("tree");
    CreateDirectoryA(source.c_str(), nullptr);
    // Three levels: the root, 8 folders, 8 folders in each.
    std::vector<std::string> dirs{source};
    for (int i = 0; i < 8; ++i) {
        std::string d = source + "\\dir" + std::to_string(i);
        CreateDirectoryA(d.c_str(), nullptr);
        dirs.push_back(d);
        for (int j = 0; j < 8; ++j) {
            std::string e = d + "\\sub" + std::to_string(j);
            CreateDirectoryA(e.c_str(), nullptr);
            dirs.push_back(e);
        }
    }
    Random random(11);
    std::size_t total = 0;
    for (int i = 0; i < files; ++i) {
        std::size_t size = random.Between(1024, static_cast<std::uint32_t>(maxBytes));
        std::string bytes(size, '\0');
        for (std::size_t k = 0; k < size; k += 4) {
            std::uint32_t v = random.Next();
            std::memcpy(&bytes[k], &v, std::min<std::size_t>(4, size - k));
        }
        total += size;
        if (!WriteFileBytes(dirs[static_cast<std::size_t>(i) % dirs.size()] + "\\file" +
                                std::to_string(i) + ".dat",
                            bytes))
            Fail("writing the source tree");
    }
    std::string ours = WorkPath("copy_ours"), theirs = WorkPath("copy_platform");
    auto prepare = [&](bool forOurs) { RemoveTree(forOurs ? ours : theirs); };
    Compare(
        "Copy a tree of " + std::to_string(files) + " files (" +
            Fixed(static_cast<double>(total) / 1048576.0, 0) + " MB)",
        "FindFirstFileA walk + CopyFileA", 0.5, Reps(3),
        [&] {
            if (lib.QVRDumpDirectory(source.c_str(), ours.c_str()) != 1)
                Fail("QVRDumpDirectory");
        },
        [&] { CopyTreeWithPlatform(source, theirs); }, prepare);
    // The last copy of each is still there.
    if (!SameTree(source, ours))
        Fail("QVRDumpDirectory's copy differs from the source");
    if (!SameTree(source, theirs))
        Fail("the platform's copy differs from the source");
    RemoveTree(ours);
    RemoveTree(theirs);
    RemoveTree(source);
}

// What one file of the tree copy costs, step by step: the platform calls
// that the library makes per file, each timed alone on a 128 KB file.
struct StepCost {
    std::string step;
    double seconds;
};
std::vector<StepCost> stepCosts;

void FileStepCosts() {
    std::string dir = WorkPath("steps");
    CreateDirectoryA(dir.c_str(), nullptr);
    std::string source = dir + "\\source.dat", temporary = dir + "\\~ource.dat",
                final = dir + "\\final.dat";
    Random random(13);
    std::string bytes(128 * 1024, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random.Next());
    WriteFileBytes(source, bytes);
    int reps = options.quick ? 3 : 25;
    auto median = [&](const std::function<void()>& step, const std::function<void()>& after) {
        std::vector<double> t;
        for (int r = 0; r < reps; ++r) {
            t.push_back(Time(step));
            after();
        }
        return Median(t);
    };
    auto nothing = [] {};
    char buffer[MAX_PATH];
    stepCosts.push_back(
        {"GetShortPathNameA (the library takes 4 short forms per file)",
         median([&] { GetShortPathNameA(source.c_str(), buffer, MAX_PATH); }, nothing)});
    stepCosts.push_back(
        {"GetExpandedNameA (opens the file for its header)",
         median([&] { GetExpandedNameA(const_cast<LPSTR>(source.c_str()), buffer); }, nothing)});
    stepCosts.push_back({"CreateFileA + CloseHandle of the temporary",
                         median(
                             [&] {
                                 CloseHandle(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0,
                                                         nullptr, CREATE_ALWAYS,
                                                         FILE_ATTRIBUTE_NORMAL, nullptr));
                             },
                             nothing)});
    stepCosts.push_back(
        {"LZOpenFileA x 2 + LZCopy + LZClose x 2 (128 KB, not compressed)",
         median(
             [&] {
                 OFSTRUCT a = {}, b = {};
                 INT from = LZOpenFileA(const_cast<LPSTR>(source.c_str()), &a, OF_READ);
                 INT to = LZOpenFileA(const_cast<LPSTR>(temporary.c_str()), &b, OF_CREATE);
                 if (LZCopy(from, to) < 0)
                     Fail("LZCopy");
                 LZClose(from);
                 LZClose(to);
             },
             nothing)});
    stepCosts.push_back({"in-use test: CreateFileA read/write, no sharing (x 2 per file)",
                         median(
                             [&] {
                                 HANDLE h = CreateFileA(final.c_str(), GENERIC_READ | GENERIC_WRITE,
                                                        0, nullptr, OPEN_EXISTING,
                                                        FILE_ATTRIBUTE_NORMAL, nullptr);
                                 if (h != INVALID_HANDLE_VALUE)
                                     CloseHandle(h);
                             },
                             nothing)});
    stepCosts.push_back({"CopyFileA temporary -> final (128 KB)",
                         median([&] { CopyFileA(temporary.c_str(), final.c_str(), FALSE); },
                                [&] { DeleteFileA(final.c_str()); })});
    stepCosts.push_back({"DeleteFileA of the temporary",
                         median([&] { DeleteFileA(temporary.c_str()); },
                                [&] { CopyFileA(source.c_str(), temporary.c_str(), FALSE); })});
    stepCosts.push_back({"for comparison: CopyFileA source -> final (128 KB)",
                         median([&] { CopyFileA(source.c_str(), final.c_str(), FALSE); },
                                [&] { DeleteFileA(final.c_str()); })});
    std::string one = dir + "\\one", out = dir + "\\out";
    CreateDirectoryA(one.c_str(), nullptr);
    CopyFileA(source.c_str(), (one + "\\file.dat").c_str(), FALSE);
    stepCosts.push_back({"for comparison: QVRDumpDirectory of a folder holding this one file",
                         median([&] { lib.QVRDumpDirectory(one.c_str(), out.c_str()); },
                                [&] { RemoveTree(out); })});
    for (const StepCost& c : stepCosts)
        std::printf("step: %-70s %8.3f ms\n", c.step.c_str(), c.seconds * 1e3);
    RemoveTree(dir);
}

std::string StepTable() {
    std::string t = "| Step | Median (ms) |\n|---|---:|\n";
    for (const StepCost& c : stepCosts)
        t += "| " + c.step + " | " + Fixed(c.seconds * 1e3, 3) + " |\n";
    return t;
}

// ---- 5. Growth -------------------------------------------------------------

struct ParsePoint {
    std::size_t bytes;
    double ours, setup;
    std::size_t imageBytes, peakBytes;
    double firstLookup, middleLookup, lastLookup, setupLookup;
};

struct TextPoint {
    int lines;
    double load, output;
    std::size_t peakBytes, heldBytes;
};

std::vector<ParsePoint> parseGrowth;
std::vector<TextPoint> textGrowth;
double throughputOurs = 0, throughputMemchr = 0;

// Seconds per call of f, from enough calls to last about 20 ms.
double PerCall(const std::function<void()>& f) {
    int n = 1;
    for (;;) {
        double t = Time([&] {
            for (int i = 0; i < n; ++i)
                f();
        });
        if (t > 0.02 || n >= (1 << 20))
            return t / n;
        n *= 4;
    }
}

void ParseGrowth() {
    std::vector<std::size_t> sizes =
        options.quick ? std::vector<std::size_t>{64 << 10, 256 << 10}
                      : std::vector<std::size_t>{16 << 10, 64 << 10, 256 << 10, 1 << 20,
                                                 2 << 20,  4 << 20,  8 << 20};
    for (std::size_t size : sizes) {
        InfFile f = WriteInf("growth.inf", size, 3);
        ParsePoint p{f.inf.text.size(), 0, 0, 0, 0, 0, 0, 0, 0};
        std::vector<double> a, b;
        // The INF API needs seconds for the largest files: one run there.
        for (int r = 0; r < Reps(3); ++r) {
            a.push_back(Time([&] { ParseOnce(f.path); }));
            if (r == 0 || size < (4u << 20))
                b.push_back(Time([&] { ParseOnceSetup(f.path); }));
        }
        p.ours = Median(a);
        p.setup = Median(b);
        std::size_t before = LiveBytes();
        ResetPeak();
        if (lib.InfInit(f.path.c_str()) != 1) {
            Fail("InfInit " + f.path);
            continue;
        }
        p.peakBytes = PeakBytes() - before;
        char* image = lib.InfGetScriptPtr();
        p.imageBytes = GlobalSize(GlobalHandle(image));
        if (size == sizes.back()) {
            // The one-pass floor: a memchr pass for line feeds over the same bytes.
            std::vector<double> scan, build;
            volatile std::size_t lines = 0;
            for (int r = 0; r < Reps(5); ++r) {
                scan.push_back(Time([&] {
                    std::size_t n = 0;
                    const char* s = f.inf.text.data();
                    const char* end = s + f.inf.text.size();
                    while ((s = static_cast<const char*>(
                                std::memchr(s, '\n', static_cast<std::size_t>(end - s)))))
                        ++n, ++s;
                    lines = n;
                }));
                build.push_back(Time([&] { ParseOnce(f.path); }));
            }
            throughputMemchr = static_cast<double>(f.inf.text.size()) / Median(scan) / 1048576.0;
            throughputOurs = static_cast<double>(f.inf.text.size()) / Median(build) / 1048576.0;
            if (lib.InfInit(f.path.c_str()) != 1)
                Fail("InfInit " + f.path);
            image = lib.InfGetScriptPtr();
        }
        // Lookups of a key in the first, middle and last key=value section.
        std::vector<const Lookup*> firsts;
        for (const Lookup& l : f.inf.lookups)
            if (firsts.empty() || firsts.back()->section != l.section)
                firsts.push_back(&l);
        if (firsts.empty()) {
            Fail("no key=value section in " + f.path);
            lib.InfClose();
            continue;
        }
        const Lookup* at[3] = {firsts.front(), firsts[firsts.size() / 2], firsts.back()};
        double* slot[3] = {&p.firstLookup, &p.middleLookup, &p.lastLookup};
        char value[1024];
        for (int i = 0; i < 3; ++i) {
            if (OurValue(image, *at[i]) != at[i]->value)
                Fail("lookup in " + at[i]->section);
            *slot[i] = PerCall([&] {
                lib.InfGetProfileString(image, at[i]->section.c_str(), at[i]->key.c_str(), value);
            });
        }
        HINF inf = OpenInf(f.path);
        if (inf != INVALID_HANDLE_VALUE) {
            INFCONTEXT context;
            p.setupLookup = PerCall([&] {
                if (SetupFindFirstLineA(inf, at[2]->section.c_str(), at[2]->key.c_str(), &context))
                    SetupGetStringFieldA(&context, 1, value, sizeof value, nullptr);
            });
            SetupCloseInfFile(inf);
        }
        lib.InfClose();
        parseGrowth.push_back(p);
        std::printf("growth: %8zu bytes parse %.3f ms (INF API %.3f ms), peak %zu, last-section "
                    "lookup %.2f us\n",
                    p.bytes, p.ours * 1e3, p.setup * 1e3, p.peakBytes, p.lastLookup * 1e6);
        std::fflush(stdout);
    }
    DeleteFileA(WorkPath("growth.inf").c_str());
}

// The series stops at 50,000 lines: a plain text file of 60,000 lines or more
// ends the process (exit code 3, no message box) while it loads, on Wine.
void TextGrowth(const std::vector<int>& counts) {
    std::string path = WorkPath("growth.txt");
    for (int lines : counts) {
        if (!WriteFileBytes(path, MakeText(lines, 5)))
            Fail("writing " + path);
        TextPoint p{lines, 0, 0, 0, 0};
        std::vector<double> load, output;
        int reps = lines >= 30000 ? Reps(1) : Reps(3);
        for (int r = 0; r < reps; ++r) {
            std::size_t before = LiveBytes();
            ResetPeak();
            int h = -1;
            load.push_back(Time([&] {
                h = lib.CreateTextFileObject(path.c_str(), 8, nullptr, nullptr, nullptr, nullptr,
                                             0);
            }));
            if (h == -1 || lib.TFGetLineCount(h) != lines) {
                Fail("loading " + std::to_string(lines) + " lines");
                break;
            }
            p.heldBytes = LiveBytes() - before;
            DWORD size = 0;
            char* out = nullptr;
            output.push_back(Time([&] { out = lib.TFCreateOutput(h, &size); }));
            p.peakBytes = PeakBytes() - before;
            if (out == nullptr) {
                Fail("TFCreateOutput");
            } else {
                HGLOBAL block = GlobalHandle(out);
                GlobalUnlock(block);
                GlobalFree(block);
            }
            lib.DestroyTextFileObject(h);
        }
        p.load = Median(load);
        p.output = Median(output);
        textGrowth.push_back(p);
        std::printf("growth: %6d lines load %.3f ms, output %.3f ms, held %zu, peak %zu\n", lines,
                    p.load * 1e3, p.output * 1e3, p.heldBytes, p.peakBytes);
        std::fflush(stdout);
    }
    DeleteFileA(path.c_str());
}

// ---- The results page ------------------------------------------------------

std::string ReadText(const std::string& path) {
    return ReadFileBytes(path);
}

std::string FirstLine(const std::string& s) {
    return s.substr(0, s.find('\n'));
}

std::string CpuModel() {
    std::string info = ReadText("Z:\\proc\\cpuinfo");
    std::size_t at = info.find("model name");
    if (at == std::string::npos)
        return "unknown";
    std::string line = FirstLine(info.substr(at));
    return line.substr(line.find(':') + 2);
}

std::string WineVersion() {
    using Fn = const char*(CDECL*)();
    auto fn = reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")));
    return fn != nullptr ? fn() : "not Wine";
}

std::string PairTable() {
    std::string t = "| Measurement | qvrdll32 (ms) | Platform function | Platform (ms) | Ratio | "
                    "Target | Met |\n"
                    "|---|---:|---|---:|---:|---:|---|\n";
    for (const Pair& p : pairs) {
        double ratio = p.theirs / p.ours;
        t += "| " + p.what + " | " + Ms(p.ours) + " | " + p.peer + " | " + Ms(p.theirs) + " | " +
             Fixed(ratio, 2) + "× | " +
             (p.target > 0 ? "≥ " + Fixed(p.target, p.target < 1 ? 1 : 0) + "×" : "—") + " | " +
             (p.target > 0 ? (ratio >= p.target ? "yes" : "**no**") : "—") + " |\n";
    }
    return t;
}

std::string ParseTable() {
    std::string t = "| Script | Parse (ms) | INF API (ms) | Image | Peak held during parse | "
                    "Lookup, first section (µs) "
                    "| middle (µs) | last (µs) | INF API lookup (µs) "
                    "|\n|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n";
    for (const ParsePoint& p : parseGrowth)
        t += "| " + Kb(p.bytes) + " | " + Ms(p.ours) + " | " + Ms(p.setup) + " | " +
             Kb(p.imageBytes) + " | " + Kb(p.peakBytes) + " | " + Fixed(p.firstLookup * 1e6, 2) +
             " | " + Fixed(p.middleLookup * 1e6, 1) + " | " + Fixed(p.lastLookup * 1e6, 1) + " | " +
             Fixed(p.setupLookup * 1e6, 2) + " |\n";
    return t;
}

std::string TextTable() {
    std::string t =
        "| Lines | Load (ms) | µs per line | TFCreateOutput (ms) | Held after load | Peak |\n"
        "|---:|---:|---:|---:|---:|---:|\n";
    for (const TextPoint& p : textGrowth)
        t += "| " + std::to_string(p.lines) + " | " + Ms(p.load) + " | " +
             Fixed(p.load * 1e6 / p.lines, 2) + " | " + Ms(p.output) + " | " + Kb(p.heldBytes) +
             " | " + Kb(p.peakBytes) + " |\n";
    return t;
}

void WriteCharts() {
    Series parseOurs{"qvrdll32 InfInit", {}}, parseSetup{"SetupOpenInfFileA", {}};
    Series first{"first section", {}}, middle{"middle section", {}}, last{"last section", {}},
        setup{"INF API, last section", {}};
    for (const ParsePoint& p : parseGrowth) {
        double kb = static_cast<double>(p.bytes) / 1024.0;
        parseOurs.points.push_back({kb, p.ours * 1e3});
        parseSetup.points.push_back({kb, p.setup * 1e3});
        first.points.push_back({kb, p.firstLookup * 1e6});
        middle.points.push_back({kb, p.middleLookup * 1e6});
        last.points.push_back({kb, p.lastLookup * 1e6});
        setup.points.push_back({kb, p.setupLookup * 1e6});
    }
    Series load{"CreateTextFileObject", {}}, output{"TFCreateOutput", {}};
    for (const TextPoint& p : textGrowth) {
        load.points.push_back({static_cast<double>(p.lines), p.load * 1e3});
        output.points.push_back({static_cast<double>(p.lines), p.output * 1e3});
    }
    const struct {
        const char* file;
        std::string svg;
    } charts[] = {
        {"bench-parse.svg", LogLogChart("Parse time against script size", "script size (KB)",
                                        "milliseconds", {parseOurs, parseSetup})},
        {"bench-lookup.svg",
         LogLogChart("Lookup time against image size and section position", "script size (KB)",
                     "microseconds per lookup", {first, middle, last, setup})},
        {"bench-textfile.svg", LogLogChart("Text file load and output against line count", "lines",
                                           "milliseconds", {load, output})},
    };
    for (const auto& c : charts)
        if (!WriteFileBytes(options.charts + "\\" + c.file, c.svg))
            Fail(std::string("writing ") + c.file);
}

void WriteDoc(const std::string& loadBefore, const std::string& loadAfter, double seconds) {
    std::string text = ReadText(options.templ);
    if (text.empty()) {
        Fail("reading the template " + options.templ);
        return;
    }
    SYSTEMTIME now;
    GetSystemTime(&now);
    char date[32];
    std::snprintf(date, sizeof date, "%04u-%02u-%02u %02u:%02u UTC", now.wYear, now.wMonth,
                  now.wDay, now.wHour, now.wMinute);
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    std::map<std::string, std::string> fields{
        {"DATE", date},
        {"CPU", CpuModel()},
        {"CPUS", std::to_string(system.dwNumberOfProcessors)},
        {"WINE", WineVersion()},
        {"LOAD_BEFORE", FirstLine(loadBefore)},
        {"LOAD_AFTER", FirstLine(loadAfter)},
        {"SECONDS", Fixed(seconds, 0)},
        {"PAIRS", PairTable()},
        {"PARSE_GROWTH", ParseTable()},
        {"TEXT_GROWTH", TextTable()},
        {"STEPS", StepTable()},
        {"MEMCHR", Fixed(throughputMemchr, 0)},
        {"BUILDER", Fixed(throughputOurs, 0)},
    };
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t at = text.find('@', i);
        std::size_t end = at == std::string::npos ? at : text.find('@', at + 1);
        if (end == std::string::npos) {
            out += text.substr(i);
            break;
        }
        auto field = fields.find(text.substr(at + 1, end - at - 1));
        if (field == fields.end()) {
            out += text.substr(i, end - i);
            i = end;
            continue;
        }
        out += text.substr(i, at - i) + field->second;
        i = end + 1;
    }
    if (!WriteFileBytes(options.doc, out))
        Fail("writing " + options.doc);
}

bool ParseArguments(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        std::string* value = a == "--doc"          ? &options.doc
                             : a == "--template"   ? &options.templ
                             : a == "--charts"     ? &options.charts
                             : a == "--work"       ? &options.work
                             : a == "--parse-only" ? &options.parseOnly
                             : a == "--text-lines" ? &options.textLines
                                                   : nullptr;
        if (a == "--quick")
            options.quick = true;
        else if (value != nullptr && i + 1 < argc)
            *value = argv[++i];
        else
            return false;
    }
    return options.doc.empty() == options.templ.empty();
}

int Run(int argc, char** argv) {
    if (!ParseArguments(argc, argv)) {
        std::fprintf(stderr, "usage: qvr_bench [--quick] [--doc FILE --template FILE] [--charts "
                             "DIR] [--work DIR]\n");
        return 2;
    }
    if (!lib.Load()) {
        std::fprintf(stderr, "qvrdll32.dll not loaded or exports missing (%zu)\n",
                     lib.missing.size());
        return 1;
    }
    // QVR_BENCH_NO_TRACK=1 leaves the allocation imports alone (to tell the
    // counting hooks' effects from the library's own).
    const char* noTrack = std::getenv("QVR_BENCH_NO_TRACK");
    bool track = noTrack == nullptr || noTrack[0] != '1';
    if (!SilenceMessageBoxes(lib.module) || (track && !TrackAllocations(lib.module))) {
        std::fprintf(stderr, "cannot hook the library's imports\n");
        return 1;
    }
    if (!options.textLines.empty()) {
        // For a profiler: one text file load of that many lines.
        workDir = MakeWorkDir(options.work);
        TextGrowth({std::atoi(options.textLines.c_str())});
        RemoveTree(workDir);
        return failures ? 1 : 0;
    }
    if (!options.parseOnly.empty()) {
        // For a profiler: nothing but parses of one file.
        for (int i = 0; i < 20; ++i)
            ParseOnce(options.parseOnly);
        return failures ? 1 : 0;
    }
    std::string loadBefore = ReadText("Z:\\proc\\loadavg");
    double start = Now();
    workDir = MakeWorkDir(options.work);

    InfFile real = WriteInf("layout.inf", options.quick ? 20 << 10 : 150 << 10, 1);
    InfFile mid = WriteInf("large.inf", options.quick ? 70 << 10 : 1 << 20, 2);
    InfFile big = WriteInf("huge.inf", options.quick ? 100 << 10 : 8 << 20, 3);
    Parsing(real, mid, big);
    Lookups(real);
    IniEditing();
    TreeCopy();
    FileStepCosts();
    ParseGrowth();
    TextGrowth(options.quick ? std::vector<int>{100, 1000}
                             : std::vector<int>{100, 1000, 3000, 10000, 30000, 50000});

    std::string loadAfter = ReadText("Z:\\proc\\loadavg");
    std::printf("load average before: %s", loadBefore.c_str());
    std::printf("load average after:  %s", loadAfter.c_str());
    std::printf("memchr pass %.0f MB/s, InfInit+InfClose %.0f MB/s\n", throughputMemchr,
                throughputOurs);
    if (!options.charts.empty())
        WriteCharts();
    if (!options.doc.empty())
        WriteDoc(loadBefore, loadAfter, Now() - start);
    RemoveTree(workDir);
    std::printf("%s\n", failures ? "benchmark FAILED" : "benchmark done");
    return failures ? 1 : 0;
}

} // namespace

} // namespace bench

int main(int argc, char** argv) {
    return bench::Run(argc, argv);
}
