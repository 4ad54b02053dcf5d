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
#include <cstdio>
#include <vector>

#include "bench/bench_mouse.h"
#include "bench/bench_support.h"
#include "chart/chart_view.h"
#include "chart/chart_zoom.h"

using namespace cellwatch;

constexpr double kSecond = 1 / 86400.0;

using bench::dragSteps;
using bench::timing;
using bench::Timing;
using bench::wheelSteps;

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
