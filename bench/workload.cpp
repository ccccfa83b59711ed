// workload.cpp: generated INF, INI and text files.
#include "workload.h"

#include <cstdio>

namespace bench {

namespace {

std::string Hex(unsigned value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08x", value);
    return buffer;
}

const char* const kWords[] = {"setup",   "driver",  "system",  "shared",  "common",  "config",
                              "network", "display", "printer", "control", "service", "update"};

} // namespace

InfText MakeInf(std::size_t targetBytes, std::uint32_t seed) {
    InfText inf;
    Random random(seed);
    std::string& t = inf.text;
    t.reserve(targetBytes + 4096);
    t += "; Generated installation information file\n;\n; Copyright notice\n\n";
    t += "[Version]\nSignature=\"$Chicago$\"\nClass=Bench\nProvider=%Maker%\nLayoutFile=layout."
         "inf\n\n";
    inf.sections.push_back("Version");
    unsigned n = 0;
    while (t.size() < targetBytes) {
        unsigned kind = n % 4;
        unsigned lines = random.Between(10, 60);
        std::string name;
        switch (kind) {
        case 0:
            name = "Files." + std::string(kWords[random.Next() % 12]) + "." + std::to_string(n);
            break;
        case 1:
            name = "AddReg." + std::to_string(n);
            break;
        case 2:
            name = "Settings." + std::to_string(n);
            break;
        default:
            name = "DestinationDirs." + std::to_string(n);
            break;
        }
        if (random.Next() % 3 == 0)
            t += "; ----------------------------------------------------------------\n";
        t += "[" + name + "]\n";
        inf.sections.push_back(name);
        for (unsigned i = 0; i < lines; ++i) {
            unsigned r = random.Next();
            switch (kind) {
            case 0: // copy lists: comma fields, some empty
                t += std::string(kWords[r % 12]) + std::to_string(i) + ".dll," +
                     kWords[(r >> 4) % 12] + std::to_string(i) + ".dl_,," + Hex(r & 0x1F) + "\n";
                break;
            case 1: // registry lines with quoted strings and comments
                t += "HKLM,\"Software\\Bench\\Key" + std::to_string(n) + "\",\"Value " +
                     std::to_string(i) + "\",0x00010001," + std::to_string(r % 1000);
                t += (r % 4 == 0) ? "   ; counter\n" : "\n";
                break;
            case 2: { // key=value with plain values: the lookup targets
                std::string key = "Key" + std::to_string(i);
                std::string value = std::string(kWords[r % 12]) + "_" + std::to_string(r % 100000);
                t += key + " = " + value + "\n";
                inf.lookups.push_back({name, key, value});
                break;
            }
            default:
                t += "Dir" + std::to_string(i) + " = " + std::to_string(10 + r % 50) + ",\"" +
                     kWords[r % 12] + "\\" + kWords[(r >> 8) % 12] + "\"\n";
                break;
            }
            if (r % 29 == 0)
                t += "; " + std::string(kWords[(r >> 3) % 12]) + " entries follow\n";
        }
        t += "\n";
        ++n;
    }
    t += "[Strings]\nMaker=\"Bench Makers\"\n";
    inf.sections.push_back("Strings");
    return inf;
}

std::string MakeIni(int lines) {
    std::string t;
    int section = 0;
    int written = 0;
    int sections = (lines + 49) / 50;
    while (written < lines) {
        std::string name = section == sections / 2 ? "Target" : "Section" + std::to_string(section);
        t += "[" + name + "]\r\n";
        ++written;
        for (int i = 0; written < lines && i < 49; ++i, ++written)
            t += "Entry" + std::to_string(i) + "=value " + std::to_string(section * 100 + i) +
                 "\r\n";
        ++section;
    }
    return t;
}

std::string MakeText(int lines, std::uint32_t seed) {
    Random random(seed);
    std::string t;
    t.reserve(static_cast<std::size_t>(lines) * 42);
    for (int i = 0; i < lines; ++i) {
        unsigned words = random.Between(3, 8);
        std::string line;
        for (unsigned w = 0; w < words; ++w)
            line += std::string(w ? " " : "") + kWords[random.Next() % 12];
        t += line + "\r\n";
    }
    return t;
}

} // namespace bench
