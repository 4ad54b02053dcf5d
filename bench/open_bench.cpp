// Opening a long recording: a journal of a million rows read, summed up,
// put into a table and drawn on the real chart (what a viewer window does),
// and summed up by cellwatch-report's own code.
//
//   open_bench [rows]    prints "open ROWS MS" and "report ROWS MS"
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <string>

#include "analysis/recording_summary.h"
#include "analysis/summary_format.h"
#include "bench/bench_support.h"
#include "chart/chart_view.h"
#include "protocol/decimal.h"
#include "protocol/sample_text.h"
#include "readout/recording.h"
#include "readout/recording_file.h"
#include "readout/row_store.h"
#include "session/null_readout.h"
#include "tools/report/report.h"

namespace {

using namespace cellwatch;

// A charge as the journal writes it: one row a second, three cells.
QString writeJournal(const QTemporaryDir& dir, int rows) {
    const QString path = dir.filePath(QStringLiteral("cellwatch-20261205-143012.csv"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
    QByteArray bytes(
        "\xEF\xBB\xBF# cellwatch 1.10.0; port=/dev/ttyUSB0; start=2026-12-05T14:30:12+01:00; "
        "battery=LiIo/Po/Fe\r\n");
    QStringList header;
    for (int c = 1; c <= kSampleFieldCount; ++c) {
        header << RowStore::headerText(c);
    }
    bytes += header.join(u',').toUtf8() + "\r\n";
    // The texts as the program writes them: two decimals for the voltages,
    // the current and the power, the shortest plain form for the rest.
    const auto plain = [](int hundredths) {
        return QString::fromStdString(Decimal::fromHundredths(hundredths).plainText());
    };
    const auto two = [](int hundredths) {
        return QString::fromStdString(Decimal::fromHundredths(hundredths).format(kFormat2));
    };
    QByteArray line;
    for (int k = 1; k <= rows; ++k) {
        const int volts = 1110 + k % 150;  // hundredths
        const int cell = volts / 3;
        line = QStringLiteral(
                   "%1,LiIo/Po/Fe,+CHG+,25,31,12.00,%2,2.00,%3,%4,%5,%6,%7,0,0,0,0,0,0,0,"
                   "0,0\r\n")
                   .arg(QString::fromStdString(elapsedText(static_cast<std::uint32_t>(k) * 1000)),
                        two(volts), QString::number(k / 2), two(2 * volts), plain(cell),
                        plain(cell + 1), plain(cell))
                   .toUtf8();
        bytes += line;
        if (bytes.size() > (8 << 20)) {
            f.write(bytes);
            bytes.clear();
        }
    }
    f.write(bytes);
    return path;
}

}  // namespace

int main(int argc, char** argv) {
    bench::useOffscreenPlatform();
    QApplication app(argc, argv);
    const int rows = bench::countArg(argc, argv, 1, 1'000'000, 1);
    QTemporaryDir dir;
    const QString path = writeJournal(dir, rows);

    // A viewer: read and sum up, fill the table, draw the curves.
    QElapsedTimer timer;
    timer.start();
    ChartView chart;
    chart.resize(1200, 600);
    RowStore table;
    session::NullReadoutView view;
    ManualTickClock ticks;
    ManualWallClock wall(QDateTime::currentDateTime());
    Recording shown(chart, table, view, ticks, wall, [] { return false; });
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
