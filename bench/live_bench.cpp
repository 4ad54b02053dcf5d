#include "bench/live_bench.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QEventLoop>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

#include "app/main_window.h"
#include "bench/bench_process.h"
#include "bench/bench_support.h"
#include "bench/bench_window.h"
#include "bench/line_writer.h"
#include "chart/data_table.h"
#include "tools/emulator/emulator.h"

namespace cellwatch::bench {
namespace {

namespace emu = emulator;

// Message k of a 3S pack charging at 2 A, part way through its charge (the
// capacity axis has settled), as a charger reports it.
emu::ChargerReading charging(std::size_t k) {
    const auto n = static_cast<std::int64_t>(k);
    const std::int64_t jitter = n % 5 == 0 ? 1 : 0;
    emu::ChargerReading r;
    r.mode = emu::Mode::Charge;
    r.chemistry = emu::Chemistry::Lithium;
    r.extTemperature = Decimal::fromInt(25);
    r.intTemperature = Decimal::fromInt(30);
    r.inputVoltage =
        Decimal::fromHundredths(1200 + n);  // tells the messages apart; above the input-low alarm
    r.voltage = Decimal::fromHundredths(1140 + n / 150 + jitter);
    r.current = Decimal::fromHundredths(200 + (n % 3 == 0 ? 1 : 0));
    r.capacity = Decimal::fromInt(1200 + n * 65 / 1000);
    for (std::size_t cell = 0; cell < 3; ++cell) {
        r.cells[cell] = Decimal::fromHundredths(380 + n / 450 + (cell == 0 ? jitter : 0));
    }
    return r;
}

// Message k with every value changing from the message before.
emu::ChargerReading churning(std::size_t k) {
    emu::ChargerReading r = charging(k);
    r.voltage = Decimal::fromHundredths(1230 + static_cast<std::int64_t>(k % 40));
    r.current = Decimal::fromHundredths(150 + static_cast<std::int64_t>(k % 40));
    r.capacity = Decimal::fromInt(static_cast<std::int64_t>(10 * k));
    for (std::size_t cell = 0; cell < 3; ++cell) {
        r.cells[cell] = Decimal::fromHundredths(410 + static_cast<std::int64_t>(k % 3));
    }
    return r;
}

void printCpu(const char* phase, double cpu, double wall) {
    std::printf("cpu %s %.4f %.3f %.3f\n", phase, cpu, wall, 100 * cpu / wall);
    std::fflush(stdout);
}

struct Sent {
    double cpu = 0;  // process less writer
    double wall = 0;
    std::vector<double> latencyMs;  // of the messages that gave a row
    std::size_t messages = 0;
};

// Input voltage (hundredths) -> when the row holding it appeared.
using RowTimes = std::map<long, SteadyClock::time_point>;
constexpr int kInputVoltageColumn = 6;

Sent send(emu::PseudoTerminal& pty, const RowTimes& rowTimes, FrameLayout layout, std::size_t count,
          std::size_t firstK, emu::ChargerReading (*reading)(std::size_t) = charging) {
    std::vector<std::vector<std::uint8_t>> messages;
    for (std::size_t k = 0; k < count; ++k) {
        messages.push_back(emu::encodeStatus(reading(firstK + k), layout));
    }
    LineWriter writer(pty.masterFd(), std::move(messages));
    const double cpu0 = processCpuSeconds();
    const auto t0 = SteadyClock::now();
    // The loop ends when the writer says so: no timer of the bench's own
    // wakes the program meanwhile.
    QEventLoop loop;
    writer.start(
        [&loop] { QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection); });
    loop.exec();
    writer.join();
    Sent result;
    result.wall = msBetween(t0, SteadyClock::now()) / 1000;
    result.cpu = processCpuSeconds() - cpu0 - writer.cpuSeconds();
    runEventsFor(300);  // the last rows, not counted
    for (std::size_t i = 0; i < count; ++i) {
        const auto row = rowTimes.find(static_cast<long>(1200 + firstK + i));
        if (row != rowTimes.end()) {
            result.latencyMs.push_back(msBetween(writer.lastByteTimes()[i], row->second));
        }
    }
    result.messages = count;
    return result;
}

void printLatency(const char* layout, const Sent& sent) {
    const auto& ms = sent.latencyMs;
    if (ms.empty()) {
        std::fprintf(stderr, "no rows for the %s-byte messages\n", layout);
        std::exit(1);
    }
    std::printf("latency %s %zu %zu %.2f %.2f\n", layout, ms.size(), sent.messages, median(ms),
                *std::max_element(ms.begin(), ms.end()));
    std::fflush(stdout);
}

}  // namespace

void live(int seconds) {
    emu::PseudoTerminal pty;
    bench::BenchWindow bw(false);  // the system's clocks
    MainWindow& w = *bw.window;
    QApplication::processEvents();
    // Each message carries a capacity of its own (10 mAh times its number):
    // the time its row appeared, by capacity.
    RowTimes rowTimes;
    DataTableModel& table = w.table();
    QObject::connect(&table, &QAbstractItemModel::rowsInserted, &w,
                     [&rowTimes, &table](const QModelIndex&, int first, int last) {
                         const auto now = SteadyClock::now();
                         for (int r = first; r <= last; ++r) {
                             const QString input = table.gridText(r + 1, kInputVoltageColumn);
                             rowTimes[std::lround(100 * input.toDouble())] = now;
                         }
                     });
    w.connectTo(QString::fromStdString(pty.slavePath()));
    if (!w.linkOpen()) {
        std::fprintf(stderr, "could not connect to %s\n", pty.slavePath().c_str());
        std::exit(1);
    }
    runEventsFor(500);  // settle after connecting

    const double cpu0 = processCpuSeconds();
    const auto t0 = SteadyClock::now();
    runEventsFor(seconds * 1000);
    printCpu("silent", processCpuSeconds() - cpu0, msBetween(t0, SteadyClock::now()) / 1000);

    // Back to back at 960 bytes a second: 112 bytes take 116.7 ms. The
    // recording's first two seconds (its title and time axis are set, the
    // chart is drawn whole a few times) are measured on their own; then the
    // same charge goes on as it does for hours.
    const std::size_t countStart = 2 * 960 / 112 + 1;
    const Sent starting = send(pty, rowTimes, FrameLayout::Long112, countStart, 0);
    printCpu("starting", starting.cpu, starting.wall);
    const auto count112 = static_cast<std::size_t>(seconds * 960 / 112 + 1);
    const Sent long112 = send(pty, rowTimes, FrameLayout::Long112, count112, countStart);
    printCpu("receiving", long112.cpu, long112.wall);
    printLatency("112", long112);
    const Sent churn =
        send(pty, rowTimes, FrameLayout::Long112, count112, countStart + count112, churning);
    printCpu("churning", churn.cpu, churn.wall);

    const Sent short76 = send(pty, rowTimes, FrameLayout::Short76, 51, countStart + 2 * count112);
    printLatency("76", short76);
    w.OnToolClick(w.tool(QStringLiteral("Tools"), QStringLiteral("Off")));
    QApplication::processEvents();
}

}  // namespace cellwatch::bench
