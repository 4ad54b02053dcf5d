// Fan-in over a broker: many simulated chargers publish their raw records
// at the line's full rate through one local Mosquitto broker to one
// watcher, which plays every charger through its own receive path and
// recording (as cellwatch-log --port mqtt://... does).
//
//   fanin_bench [CHARGERS [SECONDS]]     (default 100 chargers, 10 s)
//
// Prints:
//   fanin CHARGERS SENT ROWS                     rows delivered of messages sent
//   latency MEDIAN_MS P99_MS MAX_MS              publish -> recorded row
//   cpu PERCENT_PER_CHARGER PERCENT_TOTAL        the watcher's process, of one core
//
// The publishers run in a child process (this program with "publish"), so
// that the watcher's CPU time is its own.
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "bench/bench_broker.h"
#include "bench/bench_process.h"
#include "net/publisher.h"
#include "net/remote_feed.h"
#include "session/watch_source.h"
#include "tests/support/charger_readings.h"
#include "tools/emulator/status_encoder.h"
#include "tools/log/log_session.h"

namespace {

using namespace cellwatch;
namespace emu = cellwatch::emulator;

// 112-byte messages at 960 bytes/s.
constexpr int kIntervalMs = 117;

std::int64_t nowMs() {
    return QDateTime::currentMSecsSinceEpoch();
}

std::uint32_t ticksNow() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

QString chargerAddress(std::uint16_t port, int i) {
    return QStringLiteral("mqtt://127.0.0.1:%1/fanin%2").arg(port).arg(i, 3, 10, QLatin1Char('0'));
}

net::MqttOptions optionsFor(const QString& address, bool reconnect) {
    net::MqttOptions o;
    o.address = net::parseBrokerAddress(address);
    o.reconnect = reconnect;
    return o;
}

// --- the publishers' process -----------------------------------------------------------------

int publish(QCoreApplication& app, std::uint16_t port, int chargers, int seconds) {
    std::vector<std::unique_ptr<net::Publisher>> publishers;
    for (int i = 0; i < chargers; ++i) {
        publishers.push_back(
            std::make_unique<net::Publisher>(optionsFor(chargerAddress(port, i), true), false));
        publishers.back()->setStart({nowMs(), 0, ticksNow()});
        publishers.back()->start();
    }
    QDeadlineTimer connecting(10000);
    while (!std::all_of(publishers.begin(), publishers.end(),
                        [](const auto& p) { return p->client().isConnected(); })) {
        if (connecting.hasExpired()) {
            std::fprintf(stderr, "publishers cannot connect\n");
            return 1;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    std::vector<int> sent(static_cast<std::size_t>(chargers), 0);
    std::vector<std::unique_ptr<QTimer>> timers;
    for (int i = 0; i < chargers; ++i) {
        auto timer = std::make_unique<QTimer>();
        timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer.get(), &QTimer::timeout, [&, i] {
            const auto k = static_cast<std::size_t>(i);
            const auto bytes =
                emu::encodeStatus(testing::charging(sent[k] + 1), FrameLayout::Long112);
            publishers[k]->raw(nowMs(), ticksNow(), bytes);
            ++sent[k];
        });
        // Spread over the interval, as independent chargers are.
        QTimer::singleShot(i * kIntervalMs / chargers, timer.get(),
                           [t = timer.get()] { t->start(kIntervalMs); });
        timers.push_back(std::move(timer));
    }
    QTimer::singleShot(seconds * 1000, &app, [&] { app.exit(0); });
    app.exec();
    timers.clear();
    long total = 0;
    for (int i = 0; i < chargers; ++i) {
        total += sent[static_cast<std::size_t>(i)];
        publishers[static_cast<std::size_t>(i)]->finish();
    }
    std::printf("%ld\n", total);
    return 0;
}

// --- the broker --------------------------------------------------------------------------------

// --- the watcher -------------------------------------------------------------------------------

// One watched charger: its clocks, session (a recording as the log keeps
// it) and feed.
struct Watched {
    SystemTickClock ticks;
    SystemWallClock wall;
    logger::LogSession session{ticks, wall};
    session::WatchSource* source = nullptr;
    bool lost = false;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 5 && args[1] == QLatin1String("publish")) {
        return publish(app, static_cast<std::uint16_t>(args[2].toUInt()), args[3].toInt(),
                       args[4].toInt());
    }
    const int chargers = args.size() > 1 ? std::clamp(args[1].toInt(), 1, 1000) : 100;
    const int seconds = args.size() > 2 ? std::clamp(args[2].toInt(), 1, 3600) : 10;

    QTemporaryDir dir;
    const std::uint16_t port = bench::freePort();
    QProcess broker;
    if (!bench::startBroker(broker, dir, port)) {
        std::fprintf(stderr, "cannot start mosquitto\n");
        return 1;
    }

    std::FILE* null = std::fopen("/dev/null", "w");
    std::vector<std::unique_ptr<Watched>> watched;
    std::vector<std::int64_t> latencies;
    latencies.reserve(static_cast<std::size_t>(chargers * seconds * 1000 / kIntervalMs + 100));
    long rows = 0;
    for (int i = 0; i < chargers; ++i) {
        auto w = std::make_unique<Watched>();
        Watched* raw = w.get();
        w->source = &w->session.watch(optionsFor(chargerAddress(port, i), false));
        session::LiveSession& live = w->session.session();
        QObject::connect(&live, &session::LiveSession::lost, [raw] { raw->lost = true; });
        QObject::connect(&live, &session::LiveSession::rowAppended, [&, raw](int) {
            ++rows;
            latencies.push_back(nowMs() -
                                raw->session.session().clocks().now().toMSecsSinceEpoch());
        });
        w->session.start(null);  // opens the watch: its client connects
        watched.push_back(std::move(w));
    }
    QDeadlineTimer connecting(10000);
    while (!std::all_of(watched.begin(), watched.end(),
                        [](const auto& w) { return w->source->client().isConnected(); })) {
        if (connecting.hasExpired()) {
            std::fprintf(stderr, "the watcher cannot connect\n");
            return 1;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    QProcess publishers;
    publishers.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    publishers.start(QCoreApplication::applicationFilePath(),
                     {QStringLiteral("publish"), QString::number(port), QString::number(chargers),
                      QString::number(seconds)});
    const double cpu0 = bench::processCpuSeconds();
    QElapsedTimer wallClock;
    wallClock.start();
    QObject::connect(&publishers, &QProcess::finished, &app, [&] {
        // The offline statuses follow the last records: all is in once every feed is lost.
        QTimer* check = new QTimer(&app);
        QObject::connect(check, &QTimer::timeout, &app, [&] {
            if (std::all_of(watched.begin(), watched.end(),
                            [](const auto& w) { return w->lost; })) {
                app.exit(0);
            }
        });
        check->start(10);
        QTimer::singleShot(10000, &app, [&] { app.exit(0); });
    });
    app.exec();
    const double cpu = bench::processCpuSeconds() - cpu0;
    const double elapsed = static_cast<double>(wallClock.elapsed()) / 1000.0;
    const long sent = publishers.readAllStandardOutput().trimmed().toLong();

    std::sort(latencies.begin(), latencies.end());
    const auto pick = [&](double q) {
        if (latencies.empty()) {
            return std::int64_t{-1};
        }
        return latencies[std::min(
            latencies.size() - 1,
            static_cast<std::size_t>(q * static_cast<double>(latencies.size())))];
    };
    std::printf("fanin %d %ld %ld\n", chargers, sent, rows);
    std::printf("latency %lld %lld %lld\n", static_cast<long long>(pick(0.5)),
                static_cast<long long>(pick(0.99)),
                static_cast<long long>(latencies.empty() ? -1 : latencies.back()));
    std::printf("cpu %.3f %.2f\n", 100.0 * cpu / elapsed / chargers, 100.0 * cpu / elapsed);
    for (auto& w : watched) {
        w->session.stop();
    }
    std::fclose(null);
    broker.terminate();
    broker.waitForFinished();
    return 0;
}
