// native/layer_probe_test.cpp: the probe's report against the one committed
// for the process's code page (recorded under Wine). With QVR_PROBE_PRINT
// set to a file name, the report is written there as well (to record it).
#include "native/layer_probe.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#ifndef QVR_PROBE_DIR
#error "QVR_PROBE_DIR names the folder of the recorded reports"
#endif

namespace {

std::vector<std::string> Recorded(UINT codePage) {
    std::ifstream in(std::string(QVR_PROBE_DIR) + "/layer_report_" + std::to_string(codePage) +
                     ".txt");
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

TEST(LayerProbe, MatchesTheRecordedReport) {
    std::vector<std::string> actual = qvrtest::ProbeLayer();
    if (const char* print = std::getenv("QVR_PROBE_PRINT")) {
        std::ofstream out(print, std::ios::binary);
        for (const std::string& line : actual)
            out << line << '\n';
    }
    std::vector<std::string> expected = Recorded(GetACP());
    ASSERT_FALSE(expected.empty()) << "no recorded report for code page " << GetACP();
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i)
        EXPECT_EQ(actual[i], expected[i]) << "report line " << i + 1;
}

} // namespace
