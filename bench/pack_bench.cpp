// What packs cost over a recordings folder: the pack names of every journal
// (the filter's list), one pack's history (its journals read and summed
// up), and the Recordings dialog opened and filtered to that pack (every
// journal summed up, the history chart drawn).
//
//   pack_bench [JOURNALS [ROWS]]     (default 200 journals of 3,600 rows)
//   pack_bench --list FOLDER         the Recordings dialog over FOLDER until
//                                    every journal is in its list
//
// Prints "packs names MS", "packs history MS COUNT" and "packs dialog MS";
// with --list, "packs list MS ROWS PEAK_KB" (the process's peak resident set).
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>

#include <sys/resource.h>

#include <QTableWidget>

#include "app/recordings_dialog.h"
#include "bench/bench_support.h"
#include "packs/pack_history.h"
#include "readout/pack_file.h"

namespace {

using namespace cellwatch;

void writeJournal(const QString& path, int day, int rows, bool charge) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
    QByteArray bytes = "\xEF\xBB\xBF# cellwatch 1.10.0; port=/dev/ttyUSB0; start=2026-";
    bytes += QByteArray::number(1 + day / 28).rightJustified(2, '0') + '-' +
             QByteArray::number(1 + day % 28).rightJustified(2, '0') +
             "T09:00:00+01:00; battery=LiIo/Po/Fe\r\n"
             "Time,Type,State,Ext,Int,In,Volt,Curr,Cap,Power,C1,C2,C3,C4,C5,C6,C7,C8,C9,C10,"
             "C11,C12\r\n";
    const QByteArray state = charge ? "+CHG+" : "-DSC-";
    const QByteArray amps = charge ? "2.00" : "-2.00";
    for (int r = 1; r <= rows; ++r) {
        const QByteArray time = QByteArray::number(r / 3600) + ':' +
                                QByteArray::number(r / 60 % 60).rightJustified(2, '0') + ':' +
                                QByteArray::number(r % 60).rightJustified(2, '0');
        bytes += time + ",LiIo/Po/Fe," + state + ",25,31,12.00,12.00," + amps + ',' +
                 QByteArray::number(r / 2) + ",24.00,4.10,4.12,4.11,0,0,0,0,0,0,0,0,0\r\n";
    }
    f.write(bytes);
}

}  // namespace

int main(int argc, char** argv) {
    cellwatch::bench::useOffscreenPlatform();
    QApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--list") == 0) {
        QElapsedTimer timer;
        timer.start();
        RecordingsDialog dialog(QString::fromLocal8Bit(argv[2]));
        QEventLoop loop;
        QObject::connect(&dialog, &RecordingsDialog::readingFinished, &loop, &QEventLoop::quit);
        dialog.show();
        if (dialog.reading()) {
            loop.exec();
        }
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("packs list %.1f %d %ld\n", static_cast<double>(timer.nsecsElapsed()) / 1e6,
                    dialog.list().rowCount(), usage.ru_maxrss);
        return 0;
    }
    const int journals = cellwatch::bench::countArg(argc, argv, 1, 200, 1);
    const int rows = cellwatch::bench::countArg(argc, argv, 2, 3600, 1);
    QTemporaryDir dir;
    for (int j = 0; j < journals; ++j) {
        const QString path =
            dir.filePath(QStringLiteral("cellwatch-%1.csv").arg(j, 5, 10, QLatin1Char('0')));
        writeJournal(path, j, rows, j % 2 == 0);
        writePackInfo(path,
                      {j % 4 < 2 ? QStringLiteral("Pack A") : QStringLiteral("Pack B"), QString()});
    }

    QElapsedTimer timer;
    timer.start();
    const QStringList names = packNamesOfFolder(dir.path());
    std::printf("packs names %.1f %lld\n", static_cast<double>(timer.nsecsElapsed()) / 1e6,
                static_cast<long long>(names.size()));

    timer.restart();
    const auto history = packHistoryOfFolder(dir.path(), QStringLiteral("Pack A"));
    std::printf("packs history %.1f %zu\n", static_cast<double>(timer.nsecsElapsed()) / 1e6,
                history.size());

    timer.restart();
    RecordingsDialog dialog(dir.path());
    dialog.filterByPack(QStringLiteral("Pack A"));
    dialog.show();
    QApplication::processEvents();
    std::printf("packs dialog %.1f %zu\n", static_cast<double>(timer.nsecsElapsed()) / 1e6,
                dialog.history().size());
    return 0;
}
