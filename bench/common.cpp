// common.cpp: the shared parts of the benchmark: the library's exports,
// timing and the side-by-side comparison, options and generated inputs.
#include "bench.h"

#include "files.h"

#include <algorithm>
#include <type_traits>
#include <cstdio>

namespace bench {

Library lib;

bool Library::Load() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dll(path, n);
    dll = dll.substr(0, dll.find_last_of('\\') + 1) + "qvrdll32.dll";
    module = LoadLibraryA(dll.c_str());
    if (module == nullptr)
        return false;
    auto resolve = [this](auto& slot, const char* exported) {
        FARPROC found = GetProcAddress(module, exported);
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(
            reinterpret_cast<void*>(found));
        if (found == nullptr)
            missing.push_back(exported);
    };
#define QVR_EXPORT_RESOLVE(name, bytes, exported) resolve(name, exported);
    QVR_EXPORTS(QVR_EXPORT_RESOLVE)
#undef QVR_EXPORT_RESOLVE
    return missing.empty();
}
std::vector<Pair> pairs;
Options options;
std::string workDir;

namespace {
int failures = 0;
} // namespace

void Fail(const std::string& what) {
    std::fprintf(stderr, "FAILED: %s\n", what.c_str());
    ++failures;
}

int FailureCount() {
    return failures;
}

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

void Compare(const std::string& what, const std::string& peer, double target, int reps,
             const std::function<void()>& ours, const std::function<void()>& theirs,
             const std::function<void(bool ours)>& prepare, bool warmUp) {
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

int Reps(int full) {
    return options.quick ? 1 : full;
}

std::string WorkPath(const std::string& name) {
    return workDir + "\\" + name;
}

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

InfFile WriteInf(const std::string& name, std::size_t bytes, std::uint32_t seed) {
    InfFile f{WorkPath(name), MakeInf(bytes, seed)};
    if (!WriteFileBytes(f.path, f.inf.text))
        Fail("writing " + f.path);
    return f;
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

} // namespace bench
