// parse.cpp: parsing scripts of three sizes against the INF API.
#include "bench.h"

#include "hooks.h"

namespace bench {

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

} // namespace bench
