// growth.cpp: parse, image, memory and lookup figures against the script size, and
// text file load and output against the line count.
#include "bench.h"

#include "files.h"
#include "hooks.h"

#include <cstdio>
#include <cstring>

namespace bench {

std::vector<ParsePoint> parseGrowth;
std::vector<TextPoint> textGrowth;
double throughputOurs = 0, throughputMemchr = 0;

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

} // namespace bench
