// plot.h: a small log-log line chart written as SVG.
#ifndef QVR_BENCH_PLOT_H
#define QVR_BENCH_PLOT_H

#include <string>
#include <utility>
#include <vector>

namespace bench {

struct Series {
    std::string name;
    std::vector<std::pair<double, double>> points; // x, y; both > 0
};

// The chart as SVG text: both axes logarithmic, decades marked.
std::string LogLogChart(const std::string& title, const std::string& xLabel,
                        const std::string& yLabel, const std::vector<Series>& series);

} // namespace bench

#endif
