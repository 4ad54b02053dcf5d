// The range cursors over a long recording in a real chart (offscreen):
// the time of one cursor move with its redraw, and the statistics of the
// rows between the cursors when they span the whole recording.
//
//   range_bench [rows]   (1,000,000 by default)
//
// Prints "range <rows> <move median ms> <move max ms> <statistics ms>".
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "analysis/range_stats.h"
#include "bench/bench_support.h"
#include "chart/chart_view.h"
#include "chart/range_cursors.h"
#include "protocol/tkrx_driver.h"
#include "readout/row_store.h"

namespace cellwatch {
namespace {

constexpr double kSecond = 1 / 86400.0;

Reading sampleAt(std::int64_t k) {
    Reading s;
    s.charger = std::string(kFirstDriverId);
    s.cellCount = kCellCount;
    s.elapsedMs = static_cast<std::uint32_t>(k * 1000);
    s.chemistryText = std::string(kTypeLithium);
    s.chemistry = Chemistry::Lithium;
    s.stateText = std::string(kStateCharge);
    s.state = ChargeState::Charging;
    s.extTemperature = Decimal::fromInt(25 + k % 7);
    s.intTemperature = Decimal::fromInt(31);
    s.inputVoltage = Decimal::fromHundredths(1200);
    s.voltage = Decimal::fromHundredths(1260 + k % 50);
    s.current = Decimal::fromHundredths(200 + k % 30);
    s.capacity = Decimal::fromInt(k / 10);
    s.power = (s.voltage * s.current).abs().rounded(2);
    for (std::size_t cell = 0; cell < 3; ++cell) {
        s.cells[cell] = Decimal::fromHundredths(420 - static_cast<std::int64_t>(cell) * (k % 3));
    }
    return s;
}

int run(int rows) {
    ChartView chart;
    RowStore table;
    table.clear();
    chart.resize(1200, 600);
    table.beginBulkAppend();
    for (int k = 0; k < rows; ++k) {
        const Reading s = sampleAt(k);
        table.append(s);
        const double x = k * kSecond;
        chart.addPoint(kSeriesVoltage, x, s.voltage.toDouble());
        chart.addPoint(kSeriesCurrent, x, s.current.toDouble());
        chart.addPoint(kSeriesCapacity, x, s.capacity.toDouble());
        chart.addPoint(kSeriesTemperature, x, s.extTemperature->toDouble());
    }
    table.endBulkAppend();
    chart.setAxisRange(ChartAxis::Bottom, 0, rows * kSecond);
    chart.show();
    chart.repaint();
    QApplication::processEvents();

    RangeCursors cursors(chart);
    cursors.setActive(true);
    QApplication::processEvents();
    std::vector<double> moves;
    QElapsedTimer timer;
    for (int i = 0; i < 200; ++i) {
        timer.start();
        cursors.setX(i % 2 == 0 ? RangeCursors::A : RangeCursors::B,
                     (0.1 + 0.8 * i / 200.0) * rows * kSecond);
        chart.plot()->repaint();  // the widget paints now, as on screen
        moves.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(moves.begin(), moves.end());

    TableRangeRows source(table);
    timer.start();
    const auto stats = rangeStatistics(source, 0, static_cast<std::size_t>(rows - 1));
    const double statsMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    if (!stats || stats->rows != static_cast<std::size_t>(rows)) {
        std::fprintf(stderr, "statistics missing\n");
        return 1;
    }
    std::printf("range %d %.2f %.2f %.0f\n", rows, moves[moves.size() / 2], moves.back(), statsMs);
    std::fprintf(stderr, "Wh %.3f over %zu rows\n", stats->energyWh, stats->rows);
    return 0;
}

}  // namespace
}  // namespace cellwatch

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int rows = cellwatch::bench::countArg(argc, argv, 1, 1'000'000, 2);
    return cellwatch::run(rows);
}
