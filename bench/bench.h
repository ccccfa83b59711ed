// bench.h: what the benchmark's parts share: the library's exports, timing
// and the side-by-side comparison, the options, the generated inputs, and
// the results the report is written from.
#ifndef QVR_BENCH_BENCH_H
#define QVR_BENCH_BENCH_H

#include "workload.h"

#include "qvrdll32.h"
#include "qvr_exports.h"

#include <windows.h>

#include <setupapi.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace bench {

// ---- The library's exports

// Every export, typed as the public header declares it and looked up by the
// name the DLL exports it under (the generated list).
struct Library {
    HMODULE module = nullptr;
#define QVR_EXPORT_SLOT(name, bytes, exported) decltype(&::name) name = nullptr;
    QVR_EXPORTS(QVR_EXPORT_SLOT)
#undef QVR_EXPORT_SLOT
    std::vector<std::string> missing;

    // Loads qvrdll32.dll from the program's folder and looks up every
    // export; false when the DLL is missing or lacks an export.
    bool Load();
};
extern Library lib;

// Reports a wrong result; the run then ends with a non-zero exit code.
void Fail(const std::string& what);
int FailureCount();

// ---- Timing

double Now();
double Time(const std::function<void()>& f);
double Median(std::vector<double> v);
// Seconds per call of f, from enough calls to last about 20 ms.
double PerCall(const std::function<void()>& f);

struct Pair {
    std::string what;
    std::string peer;
    double ours;   // median seconds
    double theirs; // median seconds
    double target; // wanted theirs/ours
    int repetitions;
};

extern std::vector<Pair> pairs;

// Runs both contenders `reps` times, alternating which goes first, with
// `prepare(ours)` (untimed) before every run of either, and records the pair.
void Compare(
    const std::string& what, const std::string& peer, double target, int reps,
    const std::function<void()>& ours, const std::function<void()>& theirs,
    const std::function<void(bool ours)>& prepare = [](bool) {}, bool warmUp = true);

std::string Fixed(double v, int digits);
std::string Ms(double seconds);
std::string Kb(std::size_t bytes);

// ---- Options and inputs

struct Options {
    bool quick = false;
    std::string doc;
    std::string templ;
    std::string charts;
    std::string work;
    std::string parseOnly;
    std::string textLines;
};

extern Options options;
extern std::string workDir;

// `full` repetitions, or 1 in a quick run.
int Reps(int full);
std::string WorkPath(const std::string& name);

struct InfFile {
    std::string path;
    InfText inf;
};
InfFile WriteInf(const std::string& name, std::size_t bytes, std::uint32_t seed);
HINF OpenInf(const std::string& path);
// One InfInit + InfClose, and one SetupOpenInfFileA + SetupCloseInfFile.
void ParseOnce(const std::string& path);
void ParseOnceSetup(const std::string& path);
// A value as this library and as the profile API give it ("<missing>").
std::string OurValue(char* image, const Lookup& l);
std::string ProfileValue(const std::string& path, const Lookup& l);

// ---- The measurements, one file each

void Parsing(const InfFile& real, const InfFile& mid, const InfFile& big); // parse.cpp
void Lookups(const InfFile& file);                                         // lookup.cpp
void IniEditing();                                                         // ini_editing.cpp
void TreeCopy();                                                           // tree_copy.cpp
void FileStepCosts();                                                      // tree_copy.cpp
void ParseGrowth();                                                        // growth.cpp
void TextGrowth(const std::vector<int>& counts);                           // growth.cpp

// ---- Their results, for the report

// What one file of the tree copy costs, step by step: the platform calls
// that the library makes per file, each timed alone on a 128 KB file.
struct StepCost {
    std::string step;
    double seconds;
};
extern std::vector<StepCost> stepCosts;

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

extern std::vector<ParsePoint> parseGrowth;
extern std::vector<TextPoint> textGrowth;
// The builder (InfInit + InfClose) and a memchr pass, MB/s.
extern double throughputOurs, throughputMemchr;

// Writes the charts to options.charts and the page from options.templ to
// options.doc (report.cpp).
void WriteCharts();
void WriteDoc(const std::string& loadBefore, const std::string& loadAfter, double seconds);

} // namespace bench

#endif
