// Opening a long recording: a journal of a million rows read, summed up,
// put into a table and drawn on the real chart (what a viewer window does),
// and summed up by cellwatch-report's own code.
//
//   open_bench [rows]    prints "open ROWS MS" and "report ROWS MS"
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

#include "analysis/recording_summary.h"
#include "analysis/summary_format.h"
#include "bench/bench_journal.h"
#include "bench/bench_support.h"
#include "chart/chart_view.h"
#include "readout/recording.h"
#include "readout/recording_file.h"
#include "readout/recording_views.h"
#include "readout/row_store.h"
#include "tools/report/report.h"

using namespace cellwatch;

int main(int argc, char** argv) {
    bench::useOffscreenPlatform();
    QApplication app(argc, argv);
    const int rows = bench::countArg(argc, argv, 1, 1'000'000, 1);
    QTemporaryDir dir;
    const QString path = bench::writeChargeJournal(dir, rows);

    // A viewer: read and sum up, fill the table, draw the curves.
    QElapsedTimer timer;
    timer.start();
    ChartView chart;
    chart.resize(1200, 600);
    RowStore table;
    ManualTickClock ticks;
    ManualWallClock wall(QDateTime::currentDateTime());
    Recording shown(table, ticks, wall);
    shown.subscribe(std::make_unique<RecordingChart>(chart, [] { return false; }));
    RecordingFile file;
    const RecordingSummaryValues summary = readAndSummarize(file, path, {}, &table);
    const qint64 readMs = timer.elapsed();
    const qint64 tableMs = readMs;
    shown.showRecordingChart(file, QStringLiteral("LiIo/Po/Fe"));
    chart.toPixmap(1200, 600);  // drawn once
    const qint64 openMs = timer.elapsed();
    std::printf("open %d %lld %lld %lld %lld\n", rows, static_cast<long long>(openMs),
                static_cast<long long>(readMs), static_cast<long long>(tableMs - readMs),
                static_cast<long long>(openMs - tableMs));
    if (summary.rows != rows || static_cast<int>(table.dataRowCount()) != rows) {
        std::fprintf(stderr, "read %lld rows, table %zu, of %d\n",
                     static_cast<long long>(summary.rows), table.dataRowCount(), rows);
        return 1;
    }

    // cellwatch-report's summary of the same file.
    timer.restart();
    const auto recorded = report::readRecordings(path);
    const QString text = summaryText(recorded.at(0).summary, path);
    std::printf("report %d %lld\n", rows, static_cast<long long>(timer.elapsed()));
    std::fflush(stdout);
    return text.isEmpty() ? 1 : 0;
}
