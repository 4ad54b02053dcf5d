// Many chargers into one time-series database: simulated chargers publish
// their raw records at the line's full rate through one local Mosquitto
// broker; one watcher of every charger on it (as cellwatch-log --port
// mqtt://HOST/# --influx URL runs) writes their rows into one local
// victoria-metrics, and the rows are counted back there.
//
//   influx_bench [CHARGERS [SECONDS]]     (default 100 chargers, 10 s)
//
// Prints:
//   influx CHARGERS SENT STORED        rows stored of records sent
//   latency MEDIAN_MS P99_MS MAX_MS    a row's moment at the charger -> its batch taken
//   cpu PERCENT                        the watcher's process, of one core
//
// The publishers are fanin_bench's (its "publish" mode, beside this
// program), in a process of their own, so that the CPU time is the writer's.
#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QUrlQuery>
#include <algorithm>
#include <cstdio>
#include <deque>
#include <vector>

#include "bench/bench_broker.h"
#include "bench/bench_process.h"
#include "net/influx_target.h"
#include "net/influx_writer.h"
#include "tools/log/club_watch.h"

namespace {

using namespace cellwatch;

// The answer's status and body of one GET, waited for.
std::pair<int, QByteArray> get(const QString& url) {
    QNetworkAccessManager manager;
    QNetworkRequest request{QUrl(url)};
    request.setTransferTimeout(30000);
    QNetworkReply* reply = manager.get(request);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray body = reply->readAll();
    reply->deleteLater();
    return {status, body};
}

long long storedRows(const QString& base) {
    get(base + QStringLiteral("/internal/force_flush"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("match[]"), QStringLiteral("cellwatch_voltage_v"));
    long long rows = 0;
    for (const QByteArray& line :
         get(base + QStringLiteral("/api/v1/export?") + query.toString(QUrl::FullyEncoded))
             .second.split('\n')) {
        if (!line.trimmed().isEmpty()) {
            rows += QJsonDocument::fromJson(line)[QStringLiteral("values")].toArray().size();
        }
    }
    return rows;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int chargers = args.size() > 1 ? std::clamp(args[1].toInt(), 1, 1000) : 100;
    const int seconds = args.size() > 2 ? std::clamp(args[2].toInt(), 1, 3600) : 10;

    QTemporaryDir dir;
    const std::uint16_t brokerPort = bench::freePort();
    QProcess broker;
    if (!bench::startBroker(broker, dir, brokerPort)) {
        std::fprintf(stderr, "cannot start mosquitto\n");
        return 1;
    }
    const std::uint16_t dbPort = bench::freePort();
    QProcess db;
    db.setStandardErrorFile(QProcess::nullDevice());
    db.setStandardOutputFile(QProcess::nullDevice());
    db.start(QStringLiteral("victoria-metrics"),
             {QStringLiteral("-httpListenAddr=127.0.0.1:%1").arg(dbPort),
              QStringLiteral("-storageDataPath=%1").arg(dir.filePath(QStringLiteral("db"))),
              QStringLiteral("-loggerLevel=ERROR")});
    if (!db.waitForStarted()) {
        std::fprintf(stderr, "cannot start victoria-metrics\n");
        return 1;
    }
    const QString base = QStringLiteral("http://127.0.0.1:%1").arg(dbPort);
    QDeadlineTimer starting(30000);
    while (get(base + QStringLiteral("/health")).first != 200) {
        if (starting.hasExpired()) {
            std::fprintf(stderr, "victoria-metrics takes no requests\n");
            return 1;
        }
        QThread::msleep(20);
    }

    net::InfluxWriter writer(net::parseInfluxAddress(base + QStringLiteral("/write?db=bench")));
    QObject::connect(&writer, &net::InfluxWriter::notice,
                     [](const QString& text) { std::fprintf(stderr, "%s\n", qPrintable(text)); });
    net::MqttOptions options;
    options.address = net::parseBrokerAddress(QStringLiteral("mqtt://127.0.0.1:%1").arg(brokerPort),
                                              net::NamePart::None);
    logger::ClubWatch club(options, {}, &writer, alarms::AlarmSettings::defaults());
    // The rows in the writer's order, with their moments: a batch taken
    // stores the oldest.
    std::deque<qint64> waiting;
    std::vector<qint64> latencies;
    QObject::connect(&club, &logger::ClubWatch::rowSent,
                     [&](qint64 rowMs) { waiting.push_back(rowMs); });
    QObject::connect(&writer, &net::InfluxWriter::batchDelivered, [&](int lines) {
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        for (int i = 0; i < lines && !waiting.empty(); ++i) {
            latencies.push_back(now - waiting.front());
            waiting.pop_front();
        }
    });
    club.start();
    QDeadlineTimer connecting(10000);
    while (!club.client().isSubscribed()) {
        if (connecting.hasExpired()) {
            std::fprintf(stderr, "the watcher cannot connect\n");
            return 1;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    QProcess publishers;
    publishers.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    publishers.start(QCoreApplication::applicationDirPath() + QStringLiteral("/fanin_bench"),
                     {QStringLiteral("publish"), QString::number(brokerPort),
                      QString::number(chargers), QString::number(seconds)});
    const double cpu0 = bench::processCpuSeconds();
    QElapsedTimer wallClock;
    wallClock.start();
    QObject::connect(&publishers, &QProcess::finished, &app, [&] {
        // Done once the rows stop coming and the writer has sent them all.
        auto* check = new QTimer(&app);
        auto last = std::make_shared<std::uint64_t>(club.rowsSent());
        QObject::connect(check, &QTimer::timeout, &app, [&, last] {
            if (club.rowsSent() == *last && writer.idle()) {
                app.exit(0);
            }
            *last = club.rowsSent();
        });
        check->start(500);
        QTimer::singleShot(15000, &app, [&] { app.exit(0); });
    });
    app.exec();
    writer.finish(10000);
    const double cpu = bench::processCpuSeconds() - cpu0;
    const double elapsed = static_cast<double>(wallClock.elapsed()) / 1000.0;
    const long sent = publishers.readAllStandardOutput().trimmed().toLong();
    const long long stored = storedRows(base);

    std::sort(latencies.begin(), latencies.end());
    const auto pick = [&](double q) {
        return latencies.empty()
                   ? qint64{-1}
                   : latencies[std::min(
                         latencies.size() - 1,
                         static_cast<std::size_t>(q * static_cast<double>(latencies.size())))];
    };
    std::printf("influx %d %ld %lld\n", chargers, sent, stored);
    std::printf("latency %lld %lld %lld\n", static_cast<long long>(pick(0.5)),
                static_cast<long long>(pick(0.99)),
                static_cast<long long>(latencies.empty() ? -1 : latencies.back()));
    std::printf("cpu %.2f\n", 100.0 * cpu / elapsed);
    club.stop();
    db.terminate();
    broker.terminate();
    db.waitForFinished();
    broker.waitForFinished();
    return 0;
}
