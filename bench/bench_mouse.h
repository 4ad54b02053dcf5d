// The mouse as a user moves it over a chart, for the benchmarks that zoom
// and pan: wheel steps and left drags, each timed from the event to the end
// of the redraw it caused.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <vector>

#include "chart/chart_view.h"

namespace cellwatch::bench {

struct Timing {
    double median = 0;
    double max = 0;
    std::size_t steps = 0;
};

inline Timing timing(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back(), ms.size()};
}

// Milliseconds from sending `event` to the end of the redraw it caused.
inline double timed(QWidget* target, QEvent& event) {
    QElapsedTimer timer;
    timer.start();
    QApplication::sendEvent(target, &event);
    QApplication::processEvents();  // a drag's queued replot, and the paint
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

inline void wheelSteps(ChartView& chart, QPoint at, int steps, int each, std::vector<double>& ms) {
    for (int i = 0; i < steps; ++i) {
        QWheelEvent event(at, chart.plot()->mapToGlobal(at), QPoint(), QPoint(0, 120 * each),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        ms.push_back(timed(chart.plot(), event));
    }
}

// A left drag across the plot in steps of `stepPx`, there and back.
inline void dragSteps(ChartView& chart, QPoint from, int steps, int stepPx,
                      std::vector<double>& ms) {
    QWidget* plot = chart.plot();
    const auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, plot->mapToGlobal(at), button, buttons, Qt::NoModifier);
        return timed(plot, event);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton);
    QPoint at = from;
    for (int i = 0; i < 2 * steps; ++i) {
        at.rx() += i < steps ? -stepPx : stepPx;
        ms.push_back(send(QEvent::MouseMove, at, Qt::LeftButton));
    }
    send(QEvent::MouseButtonRelease, at, Qt::NoButton);
}

}  // namespace cellwatch::bench
