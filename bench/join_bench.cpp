// What a viewer's join costs the page's server: a live session holding a
// long recording (ROWS rows fed on simulated clocks, 117 ms apart) serves
// its page with the shipped limits, and JOINS viewers join its live feed
// one after the other (a few at a time), each asking for POINTS points of
// the history, taking the hello and leaving. The server's CPU (user +
// system, from /proc/PID/stat) over the joins, per join.
//
//   join_bench [ROWS [JOINS [POINTS...]]]   (default 100000 rows, 1000 joins,
//                                             points 1000 and 4000)
//
// Prints:
//   recording ROWS FEED_SECONDS             rows held, wall time to feed them
//   join POINTS JOINS SHOWN HELLO_BYTES CPU_MS_PER_JOIN WALL_MS_PER_JOIN BUILD_MS
//                                            per points asked: the hello's rows
//                                            and size, the server's CPU per join,
//                                            and the CPU of building the hello
//                                            alone (PageFeed::hello, mean of 20)
//
// The server runs in a child process (this program with "serve").
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTimer>
#include <QWebSocket>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <string_view>
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
constexpr int kInFlight = 4;      // joins under way at once

// The server: feeds `count` rows, prints "build POINTS CPU_MS" per points
// asked (a hello built alone), listens with the shipped limits, prints
// "port PORT TOKEN ROWS SECONDS" and serves until it is killed.
int serve(QCoreApplication& app, int count, const std::vector<int>& pointsAsked) {
    ManualTickClock ticks{1'000'000};
    SystemWallClock wall;
    RowStore rows;
    session::LiveSession session({rows, ticks, wall});
    net::WebServer server;
    session::PageFeed feed(session, server);
    session.open(std::make_unique<session::FedSource>(QStringLiteral("bench"), true));
    BufferByteSource line;
    QElapsedTimer clock;
    clock.start();
    for (int k = 1; static_cast<int>(rows.dataRowCount()) < count; ++k) {
        ticks.set(ticks.tickCount() + kIntervalMs);
        line.feed(emulator::encodeStatus(testing::charging(k), FrameLayout::Long112));
        session.take(line);
        if (k % 1000 == 0) {
            QCoreApplication::processEvents();
        }
        if (k > 2 * count + 10) {
            std::fprintf(stderr, "join_bench: the recording does not grow\n");
            return 1;
        }
    }
    const double fed = static_cast<double>(clock.elapsed()) / 1e3;
    // The hello alone, without the server: what building it costs.
    for (int points : pointsAsked) {
        constexpr int kBuilds = 20;
        const double cpu0 = bench::processCpuSeconds();
        for (int i = 0; i < kBuilds; ++i) {
            feed.hello(points);
        }
        std::printf("build %d %.3f\n", points, 1e3 * (bench::processCpuSeconds() - cpu0) / kBuilds);
    }
    if (!server.listen(QHostAddress::LocalHost, 0).isEmpty()) {
        return 1;
    }
    std::printf("port %u %s %zu %.2f\n", server.port(), server.token().toLatin1().constData(),
                rows.dataRowCount(), fed);
    std::fflush(stdout);
    return app.exec();
}

// The CPU seconds (user + system) process `pid` has used.
double cpuSecondsOf(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QByteArray text = stat.readAll();
    // Fields after the command's closing parenthesis: state is the 3rd field,
    // utime the 14th and stime the 15th.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13) {
        return -1;
    }
    const double ticks = static_cast<double>(::sysconf(_SC_CLK_TCK));
    return (fields[11].toDouble() + fields[12].toDouble()) / ticks;
}

struct JoinRun {
    int joined = 0;
    int failed = 0;
    qint64 helloBytes = 0;
    int shown = -1;
    double cpu = 0;
    double wallMs = 0;
};

// `joins` viewers join /TOKEN/live?points=POINTS, take the hello and leave.
JoinRun joinMany(qint64 pid, const QString& base, int points, int joins) {
    JoinRun run;
    QEventLoop loop;
    int started = 0;
    int ended = 0;
    const QUrl url(QStringLiteral("%1/live?points=%2").arg(base).arg(points));
    // A server that stops answering ends the run as failed instead of hanging it.
    QTimer stuck;
    stuck.setSingleShot(true);
    stuck.setInterval(60'000);
    QObject::connect(&stuck, &QTimer::timeout, &loop, [&] {
        run.failed += started - ended;
        loop.quit();
    });
    std::function<void()> startOne = [&] {
        ++started;
        auto* ws = new QWebSocket;
        auto hello = std::make_shared<bool>(false);
        auto over = std::make_shared<bool>(false);
        QObject::connect(
            ws, &QWebSocket::textMessageReceived, ws, [&run, ws, hello](const QString& text) {
                if (*hello) {
                    return;
                }
                *hello = true;
                const QByteArray bytes = text.toUtf8();
                if (run.shown < 0) {
                    const QJsonObject m = QJsonDocument::fromJson(bytes).object();
                    run.shown = static_cast<int>(m[QStringLiteral("rows")].toArray().size());
                }
                run.helloBytes = bytes.size();
                ws->close();
            });
        // Gone (or never connected): the next one starts.
        const auto end = [&, ws, hello, over] {
            if (*over) {
                return;
            }
            *over = true;
            ws->deleteLater();
            ++(*hello ? run.joined : run.failed);
            ++ended;
            stuck.start();
            if (started < joins) {
                startOne();
            } else if (ended == joins) {
                loop.quit();
            }
        };
        QObject::connect(ws, &QWebSocket::disconnected, ws, end);
        QObject::connect(ws, QOverload<QAbstractSocket::SocketError>::of(&QWebSocket::error), ws,
                         [ws, hello, end] {
                             if (!*hello || ws->state() == QAbstractSocket::UnconnectedState) {
                                 end();
                             }
                         });
        ws->open(url);
    };
    const double cpu0 = cpuSecondsOf(pid);
    QElapsedTimer clock;
    clock.start();
    stuck.start();
    for (int i = 0; i < std::min(kInFlight, joins); ++i) {
        startOne();
    }
    loop.exec();
    run.wallMs = static_cast<double>(clock.elapsed());
    run.cpu = cpuSecondsOf(pid) - cpu0;
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const bool server = argc >= 3 && std::string_view(argv[1]) == "serve";
    const int first = server ? 2 : 1;  // ROWS
    const int rows = argc > first ? std::atoi(argv[first]) : 100'000;
    const int joins = argc > first + 1 ? std::atoi(argv[first + 1]) : 1000;
    std::vector<int> pointsAsked;
    for (int i = first + 2; i < argc; ++i) {
        pointsAsked.push_back(std::atoi(argv[i]));
    }
    if (pointsAsked.empty()) {
        pointsAsked = {1000, 4000};
    }
    if (server) {
        return serve(app, rows, pointsAsked);
    }
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList arguments{QStringLiteral("serve"), QString::number(rows), QString::number(joins)};
    for (int points : pointsAsked) {
        arguments << QString::number(points);
    }
    child.start(QCoreApplication::applicationFilePath(), arguments);
    if (!child.waitForStarted()) {
        std::fprintf(stderr, "join_bench: the server does not start\n");
        return 1;
    }
    // The server's lines come once the recording is fed, however long that takes.
    QByteArray head;
    std::map<int, QByteArray> builds;
    while (!head.startsWith("port ") && child.state() == QProcess::Running) {
        if (!child.canReadLine()) {
            child.waitForReadyRead(1000);
            continue;
        }
        head = child.readLine();
        const QList<QByteArray> w = head.trimmed().split(' ');
        if (w.size() == 3 && w[0] == "build") {
            builds[w[1].toInt()] = w[2];
        }
    }
    const QList<QByteArray> words = head.trimmed().split(' ');
    if (words.size() != 5 || words[0] != "port") {
        std::fprintf(stderr, "join_bench: the server said '%s'\n", head.constData());
        return 1;
    }
    std::printf("recording %s %s\n", words[3].constData(), words[4].constData());
    const QString base = QStringLiteral("ws://127.0.0.1:%1/%2")
                             .arg(QString::fromLatin1(words[1]), QString::fromLatin1(words[2]));
    int status = 0;
    for (int points : pointsAsked) {
        const JoinRun run = joinMany(child.processId(), base, points, joins);
        if (run.failed > 0 || run.joined != joins) {
            std::fprintf(stderr, "join_bench: %d of %d joins got no hello\n", run.failed, joins);
            status = 1;
            break;
        }
        std::printf("join %d %d %d %lld %.3f %.3f %s\n", points, joins, run.shown,
                    static_cast<long long>(run.helloBytes), 1e3 * run.cpu / joins,
                    run.wallMs / joins, builds[points].constData());
        std::fflush(stdout);
    }
    child.kill();
    child.waitForFinished();
    return status;
}
