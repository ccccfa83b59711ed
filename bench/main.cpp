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
#include "bench.h"

#include "files.h"
#include "hooks.h"

#include <cstdio>
#include <cstdlib>

namespace bench {

namespace {

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
        return FailureCount() ? 1 : 0;
    }
    if (!options.parseOnly.empty()) {
        // For a profiler: nothing but parses of one file.
        for (int i = 0; i < 20; ++i)
            ParseOnce(options.parseOnly);
        return FailureCount() ? 1 : 0;
    }
    std::string loadBefore = ReadFileBytes("Z:\\proc\\loadavg");
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

    std::string loadAfter = ReadFileBytes("Z:\\proc\\loadavg");
    std::printf("load average before: %s", loadBefore.c_str());
    std::printf("load average after:  %s", loadAfter.c_str());
    std::printf("memchr pass %.0f MB/s, InfInit+InfClose %.0f MB/s\n", throughputMemchr,
                throughputOurs);
    if (!options.charts.empty())
        WriteCharts();
    if (!options.doc.empty())
        WriteDoc(loadBefore, loadAfter, Now() - start);
    RemoveTree(workDir);
    std::printf("%s\n", FailureCount() ? "benchmark FAILED" : "benchmark done");
    return FailureCount() ? 1 : 0;
}

} // namespace

} // namespace bench

int main(int argc, char** argv) {
    return bench::Run(argc, argv);
}
