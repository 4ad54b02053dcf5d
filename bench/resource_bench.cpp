// What the window costs in time, memory and processor, measured on a real
// main window or chart view (offscreen). One mode per run:
//
//   resource_bench chart [points...]    chart repaint of the whole recording
//       A 1200 x 600 chart with 4 curves of N points each, its axes spanning
//       all of them. The curves have the same shape at every length (a
//       charge: voltage and capacity rising, current falling, temperature
//       rising) with a reading's own jitter of one step, so every length
//       draws the same picture. The median of 5 immediate replots (after one to warm
//       up), wall-clock. Default sizes: 10000 1000000.
//       Prints: chart <points> <median ms> <min ms>
//
//   resource_bench grow [samples]       a long recording without chart repaints
//       Samples (default 1,000,000) go through Recording::AcceptSample of a
//       window, one simulated second apart. The chart does not repaint (its
//       automatic replot is off); the event loop runs after every sample of
//       the first and the last 1,000, and every 1,000 samples in between.
//       Resident memory (/proc/self/statm) is read before the first sample,
//       at 200,000 samples and at the end.
//       Prints: grow <first µs> <last µs> (mean process CPU per sample)
//               memory <samples> <resident growth bytes> <bytes per sample>
//
//   resource_bench long [messages] [interval ms]   a long recording, then using it
//       Messages (default 86,400 one second apart: a 24-hour charge) are
//       framed, decoded and recorded by a window on simulated clocks, as a
//       replayed line would be (its journal included); the event loop runs
//       after each of the first and last 1,000 messages and every 100 between. Then, on the full
//       recording: the table scrolled to its top and back to its bottom, 50 moves of the cross line
//       over the chart, one chart replot and an export with its progress calls. Prints: long
//       <messages> <wall s> <first us> <last us> (mean wall per
//                 message of the first and last 1,000, incl. event loop)
//               growth <bytes per message> <objects before> <objects after>
//               respond <table top ms> <table bottom ms> <cross line median ms>
//                       <cross line max ms> <replot ms>
//               export <rows> <ms> <progress calls> <bytes>
//               reopen <rows> <ms> <progress calls> (the export read back in)
//
//   resource_bench live [seconds]        the window on a pseudo-terminal
//       (bench/live_bench.h)
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QMouseEvent>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <qcustomplot.h>

#include "app/main_window.h"
#include "app/tab_control.h"
#include "bench/bench_process.h"
#include "bench/bench_support.h"
#include "bench/bench_window.h"
#include "bench/live_bench.h"
#include "chart/chart_view.h"
#include "chart/data_table.h"
#include "protocol/byte_source.h"
#include "readout/recording_file.h"
#include "readout/table_export.h"
#include "tools/emulator/emulator.h"

namespace cellwatch {
namespace {

namespace emu = emulator;
using bench::median;
using bench::msBetween;
using bench::processCpuNs;
using bench::residentBytes;
using bench::SteadyClock;

constexpr double kSecond = 1.0 / 86400.0;  // in days, the unit of X

// --- chart ------------------------------------------------------------------------

void chartRepaint(std::size_t points) {
    ChartView view;
    view.resize(1200, 600);
    view.show();
    QApplication::processEvents();
    for (std::size_t k = 0; k < points; ++k) {
        const double x = static_cast<double>(k) * kSecond;
        const double t = static_cast<double>(k) / static_cast<double>(points);
        const auto jitter = static_cast<double>(k * 7919 % 3);  // 0, 1 or 2 steps
        view.addPoint(kSeriesVoltage, x, 14.8 + 2 * t + jitter * 0.01);
        view.addPoint(kSeriesCurrent, x, 2.0 - 1.5 * t * t + jitter * 0.01);
        view.addPoint(kSeriesCapacity, x, 5000 * t);
        view.addPoint(kSeriesTemperature, x, std::round(25 + 10 * t) + jitter);
    }
    view.setAxisRange(ChartAxis::Bottom, 0, static_cast<double>(points) * kSecond);
    view.setAxisRange(ChartAxis::Left, 0, 20);
    view.setAxisRange(ChartAxis::Right, 0, 3);
    view.setAxisRange(ChartAxis::Capacity, 0, 5000);
    view.setAxisRange(ChartAxis::Temperature, 0, 40);
    const std::vector<double> ms = bench::timedReplots(*view.plot());
    std::printf("chart %zu %.3f %.3f\n", points, median(ms),
                *std::min_element(ms.begin(), ms.end()));
}

// --- grow -----------------------------------------------------------------------

void grow(std::size_t samples) {
    constexpr std::size_t kBlock = 1000;
    constexpr std::size_t kMemoryAt = 200'000;
    constexpr std::size_t kFillEventsEvery = 1000;
    bench::BenchWindow bw;
    MainWindow& w = *bw.window;
    ManualTickClock& ticks = bw.ticks;
    ManualWallClock& wall = bw.wall;
    Recording& recording = bw.beginRecording();
    w.chart().setAutoRepaint(false);
    QApplication::processEvents();

    const double rss0 = residentBytes();
    double firstNs = 0;
    double lastNs = 0;
    for (std::size_t k = 0; k < samples; ++k) {
        ticks.advance(1000);
        wall.advance(1000);
        Reading s = bench::sampleAt(k);
        s.elapsedMs = ticksBetween(recording.connectTicks(), ticks.tickCount());
        const bool first = k < kBlock;
        const bool last = k >= samples - kBlock;
        if (first || last) {
            const double t0 = processCpuNs();
            recording.AcceptSample(s);
            QApplication::processEvents();
            (first ? firstNs : lastNs) += processCpuNs() - t0;
        } else {
            recording.AcceptSample(s);
            if (k % kFillEventsEvery == 0) {
                QApplication::processEvents();
            }
        }
        if (k + 1 == kMemoryAt && samples > kMemoryAt) {
            QApplication::processEvents();
            const double growth = residentBytes() - rss0;
            std::printf("memory %zu %.0f %.1f\n", kMemoryAt, growth,
                        growth / static_cast<double>(kMemoryAt));
            std::fflush(stdout);
        }
    }
    QApplication::processEvents();
    const double growth = residentBytes() - rss0;
    const int rows = w.table().gridRowCount() - 1;
    if (rows != static_cast<int>(samples) || w.chart().pointCount(kSeriesVoltage) != samples) {
        std::fprintf(stderr, "expected %zu rows and points, got %d rows\n", samples, rows);
        std::exit(1);
    }
    std::printf("memory %zu %.0f %.1f\n", samples, growth, growth / static_cast<double>(samples));
    std::printf("grow %zu %.1f %.1f\n", samples, firstNs / kBlock / 1000, lastNs / kBlock / 1000);
}

// --- long -----------------------------------------------------------------------

emu::ChargerReading longCharge(std::size_t k, std::size_t count) {
    const double t = static_cast<double>(k) / static_cast<double>(count);
    const auto jitter = static_cast<std::int64_t>(k * 7919 % 3);
    emu::ChargerReading r;
    r.mode = emu::Mode::Charge;
    r.chemistry = emu::Chemistry::Lithium;
    r.extTemperature = Decimal::fromInt(25 + static_cast<std::int64_t>(10 * t));
    r.intTemperature = Decimal::fromInt(30);
    r.inputVoltage = Decimal::fromHundredths(1200);
    const auto cell = 370 + static_cast<std::int64_t>(50 * t) + jitter;
    r.voltage = Decimal::fromHundredths(4 * cell);
    r.current = Decimal::fromHundredths(200 - static_cast<std::int64_t>(150 * t * t));
    r.capacity = Decimal::fromInt(static_cast<std::int64_t>(5000 * t));
    for (std::size_t c = 0; c < 4; ++c) {
        r.cells[c] = Decimal::fromHundredths(cell);
    }
    return r;
}

double timedMs(const std::function<void()>& work) {
    const auto t0 = SteadyClock::now();
    work();
    return msBetween(t0, SteadyClock::now());
}

void longRecording(std::size_t count, std::uint32_t intervalMs) {
    constexpr std::size_t kBlock = 1000;
    constexpr std::size_t kEventsEvery = 100;
    bench::BenchWindow bw;
    MainWindow& w = *bw.window;
    ManualTickClock& ticks = bw.ticks;
    ManualWallClock& wall = bw.wall;
    w.resize(1200, 800);
    QApplication::processEvents();
    w.beginReplay(QStringLiteral("simulated line"));
    QApplication::processEvents();
    const double rss0 = residentBytes();
    const auto objects0 = w.findChildren<QObject*>().size();

    BufferByteSource line;
    const auto start = SteadyClock::now();
    double firstMs = 0;
    double lastMs = 0;
    for (std::size_t k = 0; k < count; ++k) {
        const auto t0 = SteadyClock::now();
        ticks.advance(intervalMs);
        wall.advance(intervalMs);
        line.feed(emu::encodeStatus(longCharge(k, count), FrameLayout::Long112));
        w.session().take(line);
        if (k % kEventsEvery == 0 || k < kBlock || k + kBlock >= count) {
            QApplication::processEvents();
        }
        if (k < kBlock) {
            firstMs += msBetween(t0, SteadyClock::now());
        } else if (k + kBlock >= count) {
            lastMs += msBetween(t0, SteadyClock::now());
        }
    }
    QApplication::processEvents();
    const double wallS = msBetween(start, SteadyClock::now()) / 1000;
    const int rows = w.table().gridRowCount() - 1;
    if (rows != static_cast<int>(count)) {
        std::fprintf(stderr, "expected %zu rows, got %d\n", count, rows);
        std::exit(1);
    }
    std::printf("long %zu %.1f %.1f %.1f\n", count, wallS, firstMs / kBlock * 1000,
                lastMs / kBlock * 1000);
    std::printf("growth %.1f %lld %lld\n", (residentBytes() - rss0) / static_cast<double>(count),
                static_cast<long long>(objects0),
                static_cast<long long>(w.findChildren<QObject*>().size()));
    std::fflush(stdout);

    // Using it: the table, the cross line, the chart.
    DataTableView& table = w.tableView();
    w.tabs().setCurrentPage(1);
    QApplication::processEvents();
    const double top = timedMs([&] {
        table.scrollToTop();
        QApplication::processEvents();
    });
    const double bottom = timedMs([&] {
        table.scrollToBottom();
        QApplication::processEvents();
    });
    w.tabs().setCurrentPage(0);
    w.OnToolClick(w.tool(QStringLiteral("Tools"), QStringLiteral("CrossLine")));
    QApplication::processEvents();
    QCustomPlot* plot = w.chart().plot();
    std::vector<double> moves;
    for (int i = 0; i < 50; ++i) {
        const QPointF at(plot->width() * (0.1 + 0.016 * i), plot->height() / 2.0);
        moves.push_back(timedMs([&] {
            QMouseEvent move(QEvent::MouseMove, at, plot->mapToGlobal(at), Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(plot, &move);
            QApplication::processEvents();
        }));
    }
    const double replot = timedMs([&] { plot->replot(QCustomPlot::rpImmediateRefresh); });
    std::printf("respond %.1f %.1f %.2f %.2f %.1f\n", top, bottom, median(moves),
                *std::max_element(moves.begin(), moves.end()), replot);
    std::fflush(stdout);

    const QString file = bw.dir.filePath(QStringLiteral("long.csv"));
    int calls = 0;
    const double exportMs = timedMs([&] {
        exportTableCsv(w.table().store(), file, [&calls](std::size_t, std::size_t) {
            ++calls;
            QApplication::processEvents();
            return true;
        });
    });
    std::printf("export %d %.0f %d %lld\n", rows, exportMs, calls,
                static_cast<long long>(QFileInfo(file).size()));
    std::fflush(stdout);

    // And back: the exported file opened in the window, as File > Open does.
    w.endReplay();
    RecordingFile reopened;
    int readCalls = 0;
    const double reopenMs = timedMs([&] {
        const auto progress = [&readCalls](std::size_t, std::size_t) {
            ++readCalls;
            QApplication::processEvents();
            return true;
        };
        reopened.read(file, progress);
        w.recording().showRecording(reopened, QStringLiteral("long.csv"), progress);
        QApplication::processEvents();
    });
    std::printf("reopen %d %.0f %d\n", w.table().gridRowCount() - 1, reopenMs, readCalls);
}

}  // namespace
}  // namespace cellwatch

int main(int argc, char** argv) {
    using namespace cellwatch;
    bench::useOffscreenPlatform();
    QApplication app(argc, argv);
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "chart") {
        std::vector<std::size_t> sizes;
        for (int i = 2; i < argc; ++i) {
            sizes.push_back(std::strtoul(argv[i], nullptr, 10));
        }
        if (sizes.empty()) {
            sizes = {10'000, 1'000'000};
        }
        for (std::size_t n : sizes) {
            chartRepaint(n);
            std::fflush(stdout);
        }
    } else if (mode == "grow") {
        grow(
            std::max<std::size_t>(argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 1'000'000, 2000));
    } else if (mode == "long") {
        longRecording(
            argc > 2 ? std::max<std::size_t>(std::strtoul(argv[2], nullptr, 10), 2000) : 86'400,
            argc > 3 ? static_cast<std::uint32_t>(std::strtoul(argv[3], nullptr, 10)) : 1000);
    } else if (mode == "live") {
        bench::live(std::max(argc > 2 ? std::atoi(argv[2]) : 5, 1));
    } else {
        std::fprintf(stderr,
                     "usage: resource_bench chart [points...] | grow [samples] | long [messages] "
                     "[interval ms] | live [seconds]\n");
        return 2;
    }
    return 0;
}
