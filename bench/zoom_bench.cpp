// Zooming and panning a long recording: a chart of four curves of a million
// points each (one row a second, 11.6 days), 1200 x 600 pixels, offscreen,
// zoomed with the mouse wheel and panned with a left drag as a user does.
// Each step is timed from the event to the end of its redraw (the replot
// and the paint of the widget).
//
//   zoom_bench [points]    prints "zoom POINTS MEDIAN MAX STEPS" and
//                          "pan POINTS MEDIAN MAX STEPS" (milliseconds)
#include <qcustomplot.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/bench_support.h"
#include "chart/chart_view.h"
#include "chart/chart_zoom.h"

namespace {

using namespace cellwatch;

constexpr double kSecond = 1 / 86400.0;

struct Timing {
    double median = 0;
    double max = 0;
    std::size_t steps = 0;
};

Timing timing(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back(), ms.size()};
}

// Milliseconds from sending `event` to the end of the redraw it caused.
double timed(QWidget* target, QEvent& event) {
    QElapsedTimer timer;
    timer.start();
    QApplication::sendEvent(target, &event);
    QApplication::processEvents();  // a drag's queued replot, and the paint
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void wheelSteps(ChartView& chart, QPoint at, int steps, int each, std::vector<double>& ms) {
    for (int i = 0; i < steps; ++i) {
        QWheelEvent event(at, chart.plot()->mapToGlobal(at), QPoint(), QPoint(0, 120 * each),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        ms.push_back(timed(chart.plot(), event));
    }
}

// A left drag across the plot in steps of `stepPx`, there and back.
void dragSteps(ChartView& chart, QPoint from, int steps, int stepPx, std::vector<double>& ms) {
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

}  // namespace

int main(int argc, char** argv) {
    bench::useOffscreenPlatform();
    QApplication app(argc, argv);
    const int points = bench::countArg(argc, argv, 1, 1'000'000, 100);

    ChartView chart;
    chart.setAutoRepaint(false);
    for (int k = 0; k < points; ++k) {
        const double x = k * kSecond;
        chart.addPoint(kSeriesVoltage, x, 16.4 + (k % 150) * 0.01 + k * 1e-7);
        chart.addPoint(kSeriesCurrent, x, 2.0 - (k % 7) * 0.01);
        chart.addPoint(kSeriesCapacity, x, k / 2.0);
        chart.addPoint(kSeriesTemperature, x, 25 + k / 5000 % 10);
    }
    chart.setAxisRange(ChartAxis::Bottom, 0, (points + 600) * kSecond);
    chart.setAxisRange(ChartAxis::Left, 16.2, 18.0);
    chart.setAxisRange(ChartAxis::Right, 0, 2.2);
    chart.setAxisRange(ChartAxis::Capacity, 0, points * 0.6 + 5);
    chart.setAxisRange(ChartAxis::Temperature, 0, 40);
    chart.setAutoRepaint(true);
    ChartZoom zoom(chart);
    zoom.setEnabled(true);
    chart.resize(1200, 600);
    chart.show();
    QApplication::processEvents();
    chart.repaint();
    QApplication::processEvents();

    const QRect area = chart.axis(ChartAxis::Bottom)->axisRect()->rect();
    const QPoint middle = area.center();
    const QPoint third(area.left() + area.width() / 3, area.center().y());

    // Zoom in 30 steps (to 1/130 of the whole) and out again, then once
    // more at another place.
    std::vector<double> zoomMs;
    wheelSteps(chart, middle, 30, 1, zoomMs);
    wheelSteps(chart, middle, 30, -1, zoomMs);
    wheelSteps(chart, third, 15, 1, zoomMs);

    // Pan at that zoom (1/11 of the whole in view), then with the whole in view.
    std::vector<double> panMs;
    dragSteps(chart, middle, 20, 20, panMs);
    zoom.showWhole();
    QApplication::processEvents();
    dragSteps(chart, middle, 20, 20, panMs);

    const Timing z = timing(zoomMs);
    const Timing p = timing(panMs);
    std::printf("zoom %d %.2f %.2f %zu\n", points, z.median, z.max, z.steps);
    std::printf("pan %d %.2f %.2f %zu\n", points, p.median, p.max, p.steps);
    std::fflush(stdout);
    return zoom.following() ? 1 : 0;  // the drag held the view
}
