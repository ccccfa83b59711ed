// lookup.cpp: random lookups and a field walk against the INF and profile APIs.
#include "bench.h"

#include <cstdio>
#include <cstring>

namespace bench {

namespace {

std::string SetupValue(HINF inf, const Lookup& l) {
    INFCONTEXT context;
    char buffer[1024];
    if (!SetupFindFirstLineA(inf, l.section.c_str(), l.key.c_str(), &context) ||
        !SetupGetStringFieldA(&context, 1, buffer, sizeof buffer, nullptr))
        return "<missing>";
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

} // namespace

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

} // namespace bench
