// The phone page's feed under load: one live session fed a 112-byte message
// every 117 ms (the line's full rate) serves its page to many WebSocket
// viewers at once.
//
//   page_bench [VIEWERS [SECONDS]]     (default 50 viewers, 10 s)
//
// Prints:
//   page VIEWERS ROWS RECEIVED                  rows fed, row messages received in all
//   latency MEDIAN_MS P99_MS MAX_MS             row fed -> its message at a viewer
//   cpu PERCENT_PER_VIEWER PERCENT_WITH PERCENT_WITHOUT
//                                                the server's process, of one core, with
//                                                the viewers and with none
//
// The server runs in a child process (this program with "serve"), so that
// its CPU time is its own; both sides read CLOCK_MONOTONIC.
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTimer>
#include <QWebSocket>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <vector>

#include "bench/bench_process.h"
#include "net/web_server.h"
#include "readout/row_store.h"
#include "protocol/byte_source.h"
#include "session/fed_source.h"
#include "session/live_session.h"
#include "session/page_feed.h"
#include "tests/support/charger_readings.h"
#include "tools/emulator/status_encoder.h"

namespace {

using namespace cellwatch;

constexpr int kIntervalMs = 117;  // 112 bytes at 960 bytes/s

double monotonicMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// The server: prints its port, waits for `viewers` viewers, feeds rows for
// `seconds`, then prints "fed ROW MS" per row and "cpu SECONDS".
int serve(QCoreApplication& app, int viewers, int seconds) {
    ManualTickClock ticks{1'000'000};
    SystemWallClock wall;
    RowStore rows;
    session::LiveSession session({rows, ticks, wall});
    net::WebLimits limits;
    limits.connections = std::max(32, viewers + 2);
    limits.gateConnections = limits.connections;  // the viewers all connect at once
    net::WebServer server(limits);
    session::PageFeed feed(session, server);
    if (!server.listen(QHostAddress::LocalHost, 0).isEmpty()) {
        return 1;
    }
    std::printf("port %u %s\n", server.port(), server.token().toLatin1().constData());
    std::fflush(stdout);
    session.open(std::make_unique<session::FedSource>(QStringLiteral("bench"), true));
    BufferByteSource line;
    std::vector<std::pair<int, double>> fed;
    int k = 0;
    double cpuStart = 0;
    QElapsedTimer clock;
    QTimer pace;
    QObject::connect(&pace, &QTimer::timeout, [&] {
        if (server.liveClientCount() < viewers) {
            return;
        }
        if (k == 0) {
            cpuStart = bench::processCpuSeconds();
            clock.start();
        }
        ++k;
        ticks.set(ticks.tickCount() + kIntervalMs);
        line.feed(emulator::encodeStatus(testing::charging(k), FrameLayout::Long112));
        const double at = monotonicMs();
        session.take(line);
        fed.emplace_back(static_cast<int>(rows.dataRowCount()), at);
        if (clock.elapsed() >= seconds * 1000) {
            pace.stop();
            app.quit();
        }
    });
    pace.start(kIntervalMs);
    app.exec();
    const double cpu = bench::processCpuSeconds() - cpuStart;
    for (const auto& [row, at] : fed) {
        std::printf("fed %d %.3f\n", row, at);
    }
    std::printf("cpu %.4f %.3f\n", cpu, static_cast<double>(clock.elapsed()) / 1e3);
    return 0;
}

struct ServerRun {
    std::map<int, double> fed;
    double cpu = 0;
    double seconds = 0;
    std::vector<double> latencies;
    int received = 0;
};

// Starts the server for `viewers`, connects them, and gathers the run.
ServerRun runServer(const QString& self, int viewers, int seconds) {
    ServerRun run;
    QProcess child;
    child.start(self,
                {QStringLiteral("serve"), QString::number(viewers), QString::number(seconds)});
    child.waitForStarted();
    QByteArray head;
    while (!head.contains('\n') && child.waitForReadyRead(10'000)) {
        head += child.readLine();
    }
    const QList<QByteArray> words = head.trimmed().split(' ');
    if (words.size() != 3) {
        return run;
    }
    std::vector<std::unique_ptr<QWebSocket>> sockets;
    std::vector<std::pair<int, double>> got;
    for (int i = 0; i < viewers; ++i) {
        auto ws = std::make_unique<QWebSocket>();
        QObject::connect(ws.get(), &QWebSocket::textMessageReceived, [&got](const QString& text) {
            const double at = monotonicMs();
            const QJsonObject m = QJsonDocument::fromJson(text.toUtf8()).object();
            if (m[QStringLiteral("t")].toString() == QLatin1String("row")) {
                got.emplace_back(m[QStringLiteral("row")].toObject()[QStringLiteral("n")].toInt(),
                                 at);
            }
        });
        ws->open(QUrl(QStringLiteral("ws://127.0.0.1:%1/%2/live")
                          .arg(QString::fromLatin1(words[1]), QString::fromLatin1(words[2]))));
        sockets.push_back(std::move(ws));
    }
    while (child.state() != QProcess::NotRunning) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        child.waitForFinished(1);
    }
    QCoreApplication::processEvents();
    for (const QByteArray& l : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> w = l.split(' ');
        if (w.size() == 3 && w[0] == "fed") {
            run.fed[w[1].toInt()] = w[2].toDouble();
        } else if (w.size() == 3 && w[0] == "cpu") {
            run.cpu = w[1].toDouble();
            run.seconds = w[2].toDouble();
        }
    }
    for (const auto& [row, at] : got) {
        const auto f = run.fed.find(row);
        if (f != run.fed.end()) {
            run.latencies.push_back(at - f->second);
        }
    }
    run.received = static_cast<int>(got.size());
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc >= 4 && std::string_view(argv[1]) == "serve") {
        return serve(app, std::atoi(argv[2]), std::atoi(argv[3]));
    }
    const int viewers = argc > 1 ? std::atoi(argv[1]) : 50;
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 10;
    const QString self = QCoreApplication::applicationFilePath();
    ServerRun with = runServer(self, viewers, seconds);
    const ServerRun without = runServer(self, 0, seconds);
    if (with.latencies.empty() || with.seconds <= 0 || without.seconds <= 0) {
        std::fprintf(stderr, "page_bench: no rows reached the viewers\n");
        return 1;
    }
    std::sort(with.latencies.begin(), with.latencies.end());
    const auto at = [&](double q) {
        return with.latencies[static_cast<std::size_t>(
            q * static_cast<double>(with.latencies.size() - 1))];
    };
    const double withPct = 100 * with.cpu / with.seconds;
    const double withoutPct = 100 * without.cpu / without.seconds;
    std::printf("page %d %zu %d\n", viewers, with.fed.size(), with.received);
    std::printf("latency %.2f %.2f %.2f\n", at(0.5), at(0.99), with.latencies.back());
    std::printf("cpu %.3f %.2f %.2f\n", (withPct - withoutPct) / viewers, withPct, withoutPct);
    return 0;
}
