// What the benchmarks share: the offscreen platform, a count from the
// command line, wall-clock milliseconds, the median of a run and the timed
// replots of a chart. Needs Qt and QCustomPlot only, not the window.
#pragma once

#include <qcustomplot.h>
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <vector>

namespace cellwatch::bench {

using SteadyClock = std::chrono::steady_clock;

// Draws offscreen unless the caller chose a platform; call it before the
// application object is made.
inline void useOffscreenPlatform() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

// Argument `index` as a count, at least `least`; `fallback` when not given.
inline int countArg(int argc, char** argv, int index, int fallback, int least) {
    return argc > index ? std::max(least, std::atoi(argv[index])) : fallback;
}

inline double msBetween(SteadyClock::time_point a, SteadyClock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

inline double msSince(SteadyClock::time_point t0) {
    return msBetween(t0, SteadyClock::now());
}

// The middle value (of an even count the upper of the two); 0 of none.
inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// The wall-clock milliseconds of `count` immediate replots, after the
// pending events and one replot to warm up.
inline std::vector<double> timedReplots(QCustomPlot& plot, int count = 5) {
    QApplication::processEvents();
    plot.replot(QCustomPlot::rpImmediateRefresh);  // warm-up
    std::vector<double> ms;
    for (int i = 0; i < count; ++i) {
        const auto t0 = SteadyClock::now();
        plot.replot(QCustomPlot::rpImmediateRefresh);
        ms.push_back(msSince(t0));
    }
    return ms;
}

}  // namespace cellwatch::bench
