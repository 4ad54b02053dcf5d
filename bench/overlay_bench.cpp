// What other recordings laid over the chart cost: a 1200 x 600 chart with
// its own four curves of N points, then K overlays of N points each (four
// curves each, a little higher than the chart's), the time axis spanning
// all. Replots are measured as the chart benchmark does (a warm-up, then the
// median and the least of 5), and so is the time to lay each overlay over
// the chart. Replots of an unchanged view draw the envelopes kept; replots
// after the time axis moved build them again.
//
//   overlay_bench [points] [overlays]     (1,000,000 and 2 when not given)
//
// Prints:
//   overlay <points> 0 <median ms> <min ms>          the chart alone
//   overlay <points> <K> <median ms> <min ms>        with K overlays
//   overlay-moved <points> <K> <median ms> <min ms>  the same, the time axis
//                                                    changed before each replot
//   overlay-add <points> <median ms per overlay>
#include <qcustomplot.h>
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/bench_support.h"
#include "chart/chart_overlays.h"
#include "chart/chart_view.h"

namespace cellwatch {
namespace {

using bench::median;
using bench::msSince;
using bench::SteadyClock;

constexpr double kSecond = 1.0 / 86400.0;

// The four quantities of a charge at row k of n, a little noisy; `shift`
// makes each recording differ.
std::array<double, kSeriesCount> values(std::size_t k, std::size_t n, double shift) {
    const double t = static_cast<double>(k) / static_cast<double>(n);
    const auto jitter = static_cast<double>(k * 7919 % 3);
    return {14.8 + 2 * t + shift + jitter * 0.01, 2.0 - 1.5 * t * t + shift / 10 + jitter * 0.01,
            (5000 + 100 * shift) * t, std::round(25 + 10 * t + shift) + jitter};
}

void replots(ChartView& view, std::size_t points, int overlays) {
    std::vector<double> ms = bench::timedReplots(*view.plot());
    std::printf("overlay %zu %d %.3f %.3f\n", points, overlays, median(ms),
                *std::min_element(ms.begin(), ms.end()));
    // A time axis that moves between replots (a zoom or a pan): every
    // curve's envelope is built again from the points in the range.
    const double span = static_cast<double>(points) * 1.2 * kSecond;
    ms.clear();
    for (int i = 0; i < 6; ++i) {
        view.setAxisRange(ChartAxis::Bottom, 0, i % 2 == 0 ? span * 0.9 : span);
        const auto t0 = SteadyClock::now();
        view.plot()->replot(QCustomPlot::rpImmediateRefresh);
        ms.push_back(msSince(t0));
    }
    std::printf("overlay-moved %zu %d %.3f %.3f\n", points, overlays, median(ms),
                *std::min_element(ms.begin(), ms.end()));
    std::fflush(stdout);
}

void run(std::size_t points, int count) {
    ChartView view;
    view.resize(1200, 600);
    view.show();
    QApplication::processEvents();
    for (std::size_t k = 0; k < points; ++k) {
        const auto v = values(k, points, 0);
        for (int s = 0; s < kSeriesCount; ++s) {
            view.addPoint(s, static_cast<double>(k) * kSecond, v[static_cast<std::size_t>(s)]);
        }
    }
    view.setAxisRange(ChartAxis::Bottom, 0, static_cast<double>(points) * 1.2 * kSecond);
    view.setAxisRange(ChartAxis::Left, 0, 20);
    view.setAxisRange(ChartAxis::Right, 0, 3);
    view.setAxisRange(ChartAxis::Capacity, 0, 6000);
    view.setAxisRange(ChartAxis::Temperature, 0, 50);
    replots(view, points, 0);

    ChartOverlays overlays(view);
    std::vector<double> addMs;
    for (int o = 0; o < count; ++o) {
        const std::size_t rows = points;
        std::vector<double> days(rows);
        std::array<std::vector<double>, kSeriesCount> columns;
        for (auto& c : columns) {
            c.resize(rows);
        }
        for (std::size_t k = 0; k < rows; ++k) {
            days[k] = static_cast<double>(k) * kSecond;
            const auto v = values(k, rows, 0.1 * (o + 1));  // each a little higher
            for (std::size_t s = 0; s < columns.size(); ++s) {
                columns[s][k] = v[s];
            }
        }
        const auto t0 = SteadyClock::now();
        overlays.add(QStringLiteral("overlay %1").arg(o),
                     OverlayCurves{days, {columns[0], columns[1], columns[2], columns[3]}});
        addMs.push_back(msSince(t0));
    }
    replots(view, points, count);
    std::printf("overlay-add %zu %.3f\n", points, median(addMs));
}

}  // namespace
}  // namespace cellwatch

int main(int argc, char** argv) {
    cellwatch::bench::useOffscreenPlatform();
    QApplication app(argc, argv);
    const std::size_t points = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1'000'000;
    const int overlays = argc > 2 ? std::atoi(argv[2]) : 2;
    cellwatch::run(std::max<std::size_t>(points, 2),
                   std::clamp(overlays, 1, cellwatch::ChartOverlays::kMaxOverlays));
    return 0;
}
