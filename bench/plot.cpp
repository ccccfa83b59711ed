// plot.cpp: SVG line charts for the results page.
#include "plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace bench {

namespace {

const char* const kColours[] = {"#1f77b4", "#d62728", "#2ca02c", "#9467bd", "#ff7f0e", "#8c564b"};

std::string Num(double v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.1f", v);
    return buffer;
}

std::string Label(double v) {
    char buffer[32];
    if (v >= 1e6)
        std::snprintf(buffer, sizeof buffer, "%gM", v / 1e6);
    else if (v >= 1e3)
        std::snprintf(buffer, sizeof buffer, "%gK", v / 1e3);
    else
        std::snprintf(buffer, sizeof buffer, "%g", v);
    return buffer;
}

std::string Escape(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else if (c == '&')
            out += "&amp;";
        else
            out += c;
    }
    return out;
}

} // namespace

std::string LogLogChart(const std::string& title, const std::string& xLabel,
                        const std::string& yLabel, const std::vector<Series>& series) {
    double x0 = 1e300, x1 = 0, y0 = 1e300, y1 = 0;
    for (const Series& s : series)
        for (auto [x, y] : s.points)
            if (x > 0 && y > 0) {
                x0 = std::min(x0, x), x1 = std::max(x1, x);
                y0 = std::min(y0, y), y1 = std::max(y1, y);
            }
    if (x1 == 0) // nothing to draw: an empty frame
        x0 = y0 = 1, x1 = y1 = 10;
    double lx0 = std::floor(std::log10(x0)), lx1 = std::ceil(std::log10(x1));
    double ly0 = std::floor(std::log10(y0)), ly1 = std::ceil(std::log10(y1));
    if (lx1 <= lx0)
        lx1 = lx0 + 1;
    if (ly1 <= ly0)
        ly1 = ly0 + 1;
    const double left = 80, top = 40, width = 560, height = 320;
    auto px = [&](double x) { return left + (std::log10(x) - lx0) / (lx1 - lx0) * width; };
    auto py = [&](double y) { return top + height - (std::log10(y) - ly0) / (ly1 - ly0) * height; };

    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"820\" height=\"420\" "
                      "font-family=\"sans-serif\" font-size=\"12\">\n"
                      "<rect width=\"820\" height=\"420\" fill=\"white\"/>\n";
    svg += "<text x=\"" + Num(left) + "\" y=\"24\" font-size=\"15\">" + Escape(title) + "</text>\n";
    for (double d = lx0; d <= lx1; ++d) {
        double x = px(std::pow(10, d));
        svg += "<line x1=\"" + Num(x) + "\" y1=\"" + Num(top) + "\" x2=\"" + Num(x) + "\" y2=\"" +
               Num(top + height) + "\" stroke=\"#ddd\"/>\n";
        svg += "<text x=\"" + Num(x) + "\" y=\"" + Num(top + height + 16) +
               "\" text-anchor=\"middle\">" + Label(std::pow(10, d)) + "</text>\n";
    }
    for (double d = ly0; d <= ly1; ++d) {
        double y = py(std::pow(10, d));
        svg += "<line x1=\"" + Num(left) + "\" y1=\"" + Num(y) + "\" x2=\"" + Num(left + width) +
               "\" y2=\"" + Num(y) + "\" stroke=\"#ddd\"/>\n";
        svg += "<text x=\"" + Num(left - 6) + "\" y=\"" + Num(y + 4) + "\" text-anchor=\"end\">" +
               Label(std::pow(10, d)) + "</text>\n";
    }
    svg += "<rect x=\"" + Num(left) + "\" y=\"" + Num(top) + "\" width=\"" + Num(width) +
           "\" height=\"" + Num(height) + "\" fill=\"none\" stroke=\"#444\"/>\n";
    svg += "<text x=\"" + Num(left + width / 2) + "\" y=\"" + Num(top + height + 36) +
           "\" text-anchor=\"middle\">" + Escape(xLabel) + "</text>\n";
    svg += "<text transform=\"translate(20," + Num(top + height / 2) +
           ") rotate(-90)\" text-anchor=\"middle\">" + Escape(yLabel) + "</text>\n";
    for (std::size_t i = 0; i < series.size(); ++i) {
        const char* colour = kColours[i % 6];
        std::string path;
        for (auto [x, y] : series[i].points)
            if (x > 0 && y > 0)
                path += (path.empty() ? "M" : " L") + Num(px(x)) + "," + Num(py(y));
        svg += "<path d=\"" + path + "\" fill=\"none\" stroke=\"" + colour +
               "\" stroke-width=\"2\"/>\n";
        for (auto [x, y] : series[i].points)
            if (x > 0 && y > 0)
                svg += "<circle cx=\"" + Num(px(x)) + "\" cy=\"" + Num(py(y)) +
                       "\" r=\"3\" fill=\"" + colour + "\"/>\n";
        double ly = top + 14 + 18 * static_cast<double>(i);
        svg += "<line x1=\"" + Num(left + width + 12) + "\" y1=\"" + Num(ly - 4) + "\" x2=\"" +
               Num(left + width + 32) + "\" y2=\"" + Num(ly - 4) + "\" stroke=\"" + colour +
               "\" stroke-width=\"2\"/>\n";
        svg += "<text x=\"" + Num(left + width + 36) + "\" y=\"" + Num(ly) + "\">" +
               Escape(series[i].name) + "</text>\n";
    }
    svg += "</svg>\n";
    return svg;
}

} // namespace bench
