// cellwatch-log --metrics on an emulated charger of two channels, read as a
// metrics server reads it: the body checked by promtool, and scraped by a
// Prometheus the test starts, whose query must give both channels' voltages
// as the log recorded them. Then a club's: every charger on a broker in one
// endpoint.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <csignal>
#include <map>
#include <vector>

#include "net/publisher.h"
#include "test_broker.h"
#include "tests/support/charger_readings.h"
#include "tests/support/tool_run.h"
#include "tools/emulator/status_encoder.h"

namespace cellwatch {
namespace {

using testing::ToolRun;

constexpr int kWaitMs = 30'000;  // for a positive event only
// Prometheus starting, scraping every second and answering: only a guard.
constexpr int kPrometheusMs = 120'000;

// The body of GET `path` on 127.0.0.1:`port` (empty when there is no
// answer), with its status line in `status`.
QByteArray httpGet(quint16 port, const QByteArray& path, QByteArray* status = nullptr) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(kWaitMs)) {
        return {};
    }
    socket.write("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    QByteArray got;
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(kWaitMs)) {
        got += socket.readAll();
    }
    got += socket.readAll();
    const qsizetype end = got.indexOf("\r\n\r\n");
    if (status != nullptr) {
        *status = got.left(got.indexOf("\r\n"));
    }
    return end < 0 ? QByteArray() : got.mid(end + 4);
}

// Whether promtool takes `body`; what it said otherwise, in `said`.
bool promtoolTakes(const QString& promtool, const QByteArray& body, QByteArray& said) {
    QProcess check;
    check.start(promtool, {QStringLiteral("check"), QStringLiteral("metrics")});
    check.write(body);
    check.closeWriteChannel();
    if (!check.waitForFinished(kWaitMs)) {
        return false;
    }
    said = check.readAllStandardOutput() + check.readAllStandardError();
    return check.exitStatus() == QProcess::NormalExit && check.exitCode() == 0;
}

// The port a log says its metrics are at ("metrics at http://127.0.0.1:PORT/metrics"); 0 if none.
quint16 metricsPort(ToolRun& log) {
    log.waitForError("/metrics\n", kWaitMs);
    const QRegularExpressionMatch said =
        QRegularExpression(QStringLiteral("metrics at http://127\\.0\\.0\\.1:(\\d+)/metrics"))
            .match(QString::fromStdString(log.err()));
    return said.hasMatch() ? static_cast<quint16>(said.captured(1).toUInt()) : 0;
}

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// Each channel's battery voltages in the log's lines ("CHANNEL\tTIME\t...").
std::map<int, std::vector<double>> loggedVoltages(const std::vector<std::string>& lines) {
    std::map<int, std::vector<double>> out;
    int column = -1;
    for (const std::string& line : lines) {
        const QStringList cells = QString::fromStdString(line).split(u'\t');
        if (column < 0) {
            column = static_cast<int>(cells.indexOf(QStringLiteral("Bat.Volt(V)")));
            continue;  // till the header
        }
        if (cells.size() > column && !cells[1].startsWith(u'#')) {
            out[cells[0].toInt()].push_back(cells[column].toDouble());
        }
    }
    return out;
}

// cellwatch-log watching every charger on `broker`, its metrics on a free port.
ToolRun clubWatch(const nettest::TestBroker& broker) {
    return ToolRun(
        QStringLiteral(CELLWATCH_LOG_TOOL),
        {QStringLiteral("--port"), QStringLiteral("mqtt://127.0.0.1:%1/#").arg(broker.port()),
         QStringLiteral("--metrics"), QStringLiteral("0")});
}

TEST(MetricsTool, PrometheusScrapesBothChannelsOfARunningLog) {
    const QString prometheus = QStandardPaths::findExecutable(QStringLiteral("prometheus"));
    const QString promtool = QStandardPaths::findExecutable(QStringLiteral("promtool"));
    if (prometheus.isEmpty() || promtool.isEmpty()) {
        GTEST_SKIP() << "prometheus and promtool are not installed (scripts/setup --dev)";
    }
    ToolRun emulator(QStringLiteral(CELLWATCH_EMULATOR_TOOL),
                     {QStringLiteral("--charger"), QStringLiteral("icharger")});
    ASSERT_TRUE(emulator.waitForLines(1, kWaitMs)) << emulator.err();
    ToolRun log(QStringLiteral(CELLWATCH_LOG_TOOL),
                {QStringLiteral("--port"), QString::fromStdString(emulator.outLines().at(0)),
                 QStringLiteral("--charger"), QStringLiteral("icharger"),
                 QStringLiteral("--no-journal"), QStringLiteral("--metrics"), QStringLiteral("0")});
    const quint16 port = metricsPort(log);
    ASSERT_NE(port, 0) << log.err();
    // A scrape that holds both channels' readings.
    QByteArray status;
    QByteArray body;
    const QDeadlineTimer scraped(kWaitMs);
    while (!body.contains("cellwatch_voltage_volts{charger=\"icharger\",channel=\"2\"}") &&
           !scraped.hasExpired()) {
        log.waitForLines(SIZE_MAX, 100);
        body = httpGet(port, "/metrics", &status);
    }
    EXPECT_TRUE(status.startsWith("HTTP/1.1 200")) << status.constData();
    ASSERT_TRUE(body.contains("cellwatch_voltage_volts{charger=\"icharger\",channel=\"1\"}"))
        << body.constData();
    QByteArray said;
    EXPECT_TRUE(promtoolTakes(promtool, body, said)) << said.constData();
    // No token, no other path.
    httpGet(port, "/", &status);
    EXPECT_TRUE(status.startsWith("HTTP/1.1 404")) << status.constData();

    QTemporaryDir dir;
    const quint16 prometheusPort = freePort();
    QFile config(dir.filePath(QStringLiteral("prometheus.yml")));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write(QStringLiteral("global:\n  scrape_interval: 1s\n"
                                "scrape_configs:\n  - job_name: cellwatch\n"
                                "    static_configs:\n      - targets: ['127.0.0.1:%1']\n")
                     .arg(port)
                     .toUtf8());
    config.close();
    ToolRun server(prometheus,
                   {QStringLiteral("--config.file=") + config.fileName(),
                    QStringLiteral("--storage.tsdb.path=") + dir.filePath(QStringLiteral("data")),
                    QStringLiteral("--web.listen-address=127.0.0.1:%1").arg(prometheusPort)});
    QJsonArray series;
    const QDeadlineTimer deadline(kPrometheusMs);
    while (series.size() < 2 && !deadline.hasExpired()) {
        const QJsonObject answer =
            QJsonDocument::fromJson(
                httpGet(prometheusPort, "/api/v1/query?query=cellwatch_voltage_volts"))
                .object();
        series = answer.value(QStringLiteral("data"))
                     .toObject()
                     .value(QStringLiteral("result"))
                     .toArray();
        server.waitForError("\x01", 200);  // collects its output meanwhile
    }
    ASSERT_EQ(series.size(), 2) << server.err();
    log.waitForLines(SIZE_MAX, 1000);  // collects what it wrote so far
    const std::map<int, std::vector<double>> logged = loggedVoltages(log.outLines());
    for (const QJsonValue& one : series) {
        const QJsonObject metric = one.toObject().value(QStringLiteral("metric")).toObject();
        const int channel = metric.value(QStringLiteral("channel")).toString().toInt();
        const double value =
            one.toObject().value(QStringLiteral("value")).toArray().at(1).toString().toDouble();
        SCOPED_TRACE(channel);
        EXPECT_EQ(metric.value(QStringLiteral("charger")).toString(), QStringLiteral("icharger"));
        ASSERT_EQ(logged.count(channel), 1u) << log.out();
        // The log shows two decimals of what was recorded.
        const std::vector<double>& rows = logged.at(channel);
        EXPECT_TRUE(std::any_of(rows.begin(), rows.end(),
                                [&](double v) { return std::fabs(v - value) <= 0.005; }))
            << value << " in none of the rows of channel " << channel << "\n"
            << log.out();
    }
}

// A club's endpoint: two chargers publishing on a broker (an answering
// charger of the emulator link, and an iCharger DUO of the emulator tool),
// both in one scrape as they come online; one that stops is there with its
// link down, the other's up.
TEST(MetricsTool, ClubEndpointHoldsEveryChargerOnTheBroker) {
    const QString promtool = QStandardPaths::findExecutable(QStringLiteral("promtool"));
    if (promtool.isEmpty()) {
        GTEST_SKIP() << "promtool is not installed (scripts/setup --dev)";
    }
    nettest::TestBroker broker;
    ToolRun club = clubWatch(broker);
    const quint16 port = metricsPort(club);
    ASSERT_NE(port, 0) << club.err();
    ToolRun bay1(QStringLiteral(CELLWATCH_LOG_TOOL),
                 {QStringLiteral("--port"), QStringLiteral("emulator:skyrc:T1000"),
                  QStringLiteral("--no-journal"), QStringLiteral("--publish"),
                  broker.address(QStringLiteral("bay1"))});
    ToolRun duo(QStringLiteral(CELLWATCH_EMULATOR_TOOL),
                {QStringLiteral("--charger"), QStringLiteral("icharger")});
    ASSERT_TRUE(duo.waitForLines(1, kWaitMs)) << duo.err();
    ToolRun bay2(
        QStringLiteral(CELLWATCH_LOG_TOOL),
        {QStringLiteral("--port"), QString::fromStdString(duo.outLines().at(0)),
         QStringLiteral("--charger"), QStringLiteral("icharger"), QStringLiteral("--no-journal"),
         QStringLiteral("--publish"), broker.address(QStringLiteral("bay2"))});
    // Scrapes until `wanted` are all in the body (the guard is for a failure only).
    const auto scrapeUntil = [&](const std::vector<QByteArray>& wanted) {
        QByteArray body;
        const QDeadlineTimer guard(kPrometheusMs);
        const auto all = [&] {
            return std::all_of(wanted.begin(), wanted.end(),
                               [&](const QByteArray& w) { return body.contains(w); });
        };
        while (!all() && !guard.hasExpired()) {
            club.waitForError("\x01", 100);  // collects its output meanwhile
            body = httpGet(port, "/metrics");
        }
        return body;
    };
    const QByteArray both = scrapeUntil({
        "cellwatch_voltage_volts{charger=\"bay1\",channel=\"1\"}",
        "cellwatch_voltage_volts{charger=\"bay2\",channel=\"1\"}",
        "cellwatch_voltage_volts{charger=\"bay2\",channel=\"2\"}",
    });
    ASSERT_TRUE(both.contains("cellwatch_voltage_volts{charger=\"bay2\",channel=\"2\"}") &&
                both.contains("cellwatch_voltage_volts{charger=\"bay1\",channel=\"1\"}"))
        << both.constData() << club.err() << bay1.err() << bay2.err();
    EXPECT_TRUE(both.contains("cellwatch_link_up{charger=\"bay1\"} 1\n")) << both.constData();
    QByteArray said;
    EXPECT_TRUE(promtoolTakes(promtool, both, said)) << said.constData();

    bay1.signal(SIGTERM);
    ASSERT_EQ(bay1.wait(kWaitMs), 0) << bay1.err();
    const QByteArray after = scrapeUntil({"cellwatch_link_up{charger=\"bay1\"} 0\n"});
    EXPECT_TRUE(after.contains("cellwatch_link_up{charger=\"bay1\"} 0\n"))
        << after.constData() << club.err();
    EXPECT_TRUE(after.contains("cellwatch_link_up{charger=\"bay2\"} 1\n")) << after.constData();
    EXPECT_TRUE(promtoolTakes(promtool, after, said)) << said.constData();
}

// A publisher back online says so before its new start: the club's watch
// may take the start left over from the run before, and is lost when the
// new one comes. The charger is watched again, its new rows counted.
TEST(MetricsTool, ClubWatchesAChargerAgainThatBeganAnew) {
    nettest::TestBroker broker;
    ToolRun club = clubWatch(broker);
    const quint16 port = metricsPort(club);
    ASSERT_NE(port, 0) << club.err();
    const auto publisher = [&] {
        net::MqttOptions options;
        options.address = net::parseBrokerAddress(broker.address(QStringLiteral("bay1")));
        return std::make_unique<net::Publisher>(options, false);
    };
    const auto rows = [](const QByteArray& body) {
        const QRegularExpressionMatch m =
            QRegularExpression(
                QStringLiteral("cellwatch_rows_total\\{charger=\"bay1\",channel=\"1\"\\} (\\d+)"))
                .match(QString::fromUtf8(body));
        return m.hasMatch() ? m.captured(1).toInt() : 0;
    };
    std::int64_t wall = QDateTime::currentMSecsSinceEpoch();
    std::uint32_t ticks = 0;
    int k = 0;
    QByteArray body;
    // Scrapes until `done`, `p` (if any) recording a row a second apart on
    // the charger's clock before each scrape.
    const auto until = [&](net::Publisher* p, const std::function<bool()>& done) {
        return nettest::waitUntil(
            [&] {
                if (p != nullptr) {
                    wall += 1000;
                    ticks += 1000;
                    p->raw(wall, ticks,
                           emulator::encodeStatus(testing::charging(++k), FrameLayout::Long112));
                }
                body = httpGet(port, "/metrics");
                return done();
            },
            kPrometheusMs);
    };
    const auto linkUp = [&](char up) {
        return body.contains(QByteArray("cellwatch_link_up{charger=\"bay1\"} ") + up + '\n');
    };
    const std::unique_ptr<net::Publisher> first = publisher();
    first->setStart({wall, 0, ticks});
    first->start();
    ASSERT_TRUE(until(first.get(), [&] { return rows(body) > 0; })) << body.constData();
    first->finish();
    ASSERT_TRUE(until(nullptr, [&] { return linkUp('0'); })) << body.constData();
    const int before = rows(body);

    const std::unique_ptr<net::Publisher> second = publisher();
    second->start();
    ASSERT_TRUE(until(nullptr, [&] { return linkUp('1'); })) << body.constData();
    second->setStart({wall, 0, ticks});
    EXPECT_TRUE(until(second.get(), [&] { return linkUp('1') && rows(body) > before; }))
        << body.constData() << club.err();
}

}  // namespace
}  // namespace cellwatch
