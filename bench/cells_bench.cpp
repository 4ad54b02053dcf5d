// The cells pane over a long recording: a journal of a million rows with
// twelve cells opened in a real recording's window (which shows the cells
// pane under the chart), and the same window zoomed with the mouse wheel
// and panned with a left drag, once with the pane off and once with it on.
//
//   cells_bench [rows [sawtooth]]   prints
//     "open ROWS TOTAL_MS PANE_MS"   the window's open, the pane's share of it
//     "zoom off|on MEDIAN MAX STEPS" and "pan off|on MEDIAN MAX STEPS" (ms)
#include <qcustomplot.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <string_view>
#include <vector>

#include "app/recording_pane.h"
#include "app/settings.h"
#include "app/viewer_window.h"
#include "app/window_hooks.h"
#include "bench/bench_journal.h"
#include "bench/bench_mouse.h"
#include "bench/bench_support.h"
#include "chart/cell_pane.h"
#include "chart/chart_view.h"
#include "chart/chart_zoom.h"

using namespace cellwatch;

namespace {

// The time of one full redraw of the window's chart.
double redrawMs(ChartView& chart) {
    QElapsedTimer timer;
    timer.start();
    chart.plot()->replot(QCustomPlot::rpImmediateRefresh);
    QApplication::processEvents();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

struct Steps {
    bench::Timing zoom;
    bench::Timing pan;
};

// What zoom_bench does to its chart, on the window's: 75 wheel steps in,
// out and in at another place, then 80 drag steps zoomed and whole.
Steps zoomAndPan(ViewerWindow& viewer) {
    ChartView& chart = viewer.chart();
    RecordingPane& pane = viewer.pane();
    pane.zoom().showWhole();
    QApplication::processEvents();
    const QRect area = chart.axis(ChartAxis::Bottom)->axisRect()->rect();
    const QPoint middle = area.center();
    const QPoint third(area.left() + area.width() / 3, area.center().y());
    std::vector<double> zoomMs;
    bench::wheelSteps(chart, middle, 30, 1, zoomMs);
    bench::wheelSteps(chart, middle, 30, -1, zoomMs);
    bench::wheelSteps(chart, third, 15, 1, zoomMs);
    std::vector<double> panMs;
    bench::dragSteps(chart, middle, 20, 20, panMs);
    pane.zoom().showWhole();
    QApplication::processEvents();
    bench::dragSteps(chart, middle, 20, 20, panMs);
    return {bench::timing(zoomMs), bench::timing(panMs)};
}

void print(const char* what, const char* mode, const bench::Timing& t) {
    std::printf("%s %s %.2f %.2f %zu\n", what, mode, t.median, t.max, t.steps);
}

}  // namespace

int main(int argc, char** argv) {
    bench::useOffscreenPlatform();
    QApplication app(argc, argv);
    const int rows = bench::countArg(argc, argv, 1, 1'000'000, 100);
    QTemporaryDir dir;
    const bool hardest = argc > 2 && std::string_view(argv[2]) == "sawtooth";
    const QString path = bench::writeChargeJournal(
        dir, rows, 12, hardest ? bench::CellPattern::Sawtooth : bench::CellPattern::Charges);

    FileSettingsStore store(dir.filePath(QStringLiteral("settings.ini")));
    Settings settings(store);
    settings.setLanguageCode(kLanguageEnglish);
    WindowHooks hooks;
    hooks.showFailure = [](QWidget*, const QString& text) {
        std::fprintf(stderr, "failure: %s\n", qPrintable(text));
    };
    hooks = withDefaultDialogs(hooks);
    ManualTickClock ticks(1'000'000);
    ManualWallClock wall(QDateTime(QDate(2026, 12, 5), QTime(14, 30)));
    ViewerWindow viewer(settings, hooks, ticks, wall);
    viewer.resize(1200, 800);
    viewer.show();
    QApplication::processEvents();

    // The window's open as a user has it: read, table, curves, cells, drawn.
    QElapsedTimer timer;
    timer.start();
    if (!viewer.open(path)) {
        return 1;
    }
    QApplication::processEvents();
    viewer.chart().plot()->replot(QCustomPlot::rpImmediateRefresh);
    const double openMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    RecordingPane& pane = viewer.pane();
    if (!pane.cellCurves() || pane.cellPane().curves().cellCount() != 12) {
        std::fprintf(stderr, "the window shows %d cells, not 12\n",
                     pane.cellCurves() ? pane.cellPane().curves().cellCount() : 0);
        return 1;
    }

    // The pane's share of it: reading the cells in and their part of a
    // redraw (a redraw with the pane on, less one with it off).
    pane.setCellCurves(false);
    const double offRedraw = redrawMs(viewer.chart());
    timer.restart();
    pane.setCellCurves(true);
    const double loadMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    const double onRedraw = redrawMs(viewer.chart());
    std::printf("open %d %.0f %.0f\n", rows, openMs, loadMs + onRedraw - offRedraw);
    pane.setCellCurves(false);
    const Steps off = zoomAndPan(viewer);
    pane.setCellCurves(true);
    const Steps on = zoomAndPan(viewer);
    print("zoom", "off", off.zoom);
    print("zoom", "on", on.zoom);
    print("pan", "off", off.pan);
    print("pan", "on", on.pan);
    std::fflush(stdout);
    return 0;
}
