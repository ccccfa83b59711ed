// report.cpp: the results page and its charts.
#include "bench.h"

#include "files.h"
#include "plot.h"

#include <cstdio>
#include <map>

namespace bench {

namespace {

std::string FirstLine(const std::string& s) {
    return s.substr(0, s.find('\n'));
}

std::string CpuModel() {
    std::string info = ReadFileBytes("Z:\\proc\\cpuinfo");
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

std::string StepTable() {
    std::string t = "| Step | Median (ms) |\n|---|---:|\n";
    for (const StepCost& c : stepCosts)
        t += "| " + c.step + " | " + Fixed(c.seconds * 1e3, 3) + " |\n";
    return t;
}

} // namespace

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
    std::string text = ReadFileBytes(options.templ);
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

} // namespace bench
