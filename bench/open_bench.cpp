// Opening a long recording: a journal of a million rows read, summed up,
// put into a table and drawn on the real chart (what a viewer window does),
// and summed up by cellwatch-report's own code.
//
// The journal has 12 cells in use.
//
//   open_bench [rows [keep.csv]]   prints "open ROWS MS ..." and "report ROWS MS";
//                                  the journal is copied to keep.csv when given
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
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
    const QString path = bench::writeChargeJournal(dir, rows, 12);
    if (argc > 2) {
        QFile::remove(QString::fromLocal8Bit(argv[2]));
        if (!QFile::copy(path, QString::fromLocal8Bit(argv[2]))) {
            std::fprintf(stderr, "cannot write %s\n", argv[2]);
            return 1;
        }
    }

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
    const auto recorded = report::readRecordings(path, report::RowsRead::Dropped);
    const QString text = summaryText(recorded.at(0).summary, path);
    std::printf("report %d %lld\n", rows, static_cast<long long>(timer.elapsed()));
    std::fflush(stdout);
    return text.isEmpty() ? 1 : 0;
}
