// cellwatch-log --metrics on an emulated charger of two channels, read as a
// metrics server reads it: the body checked by promtool, and scraped by a
// Prometheus the test starts, whose query must give both channels' voltages
// as the log recorded them.
#include <gtest/gtest.h>

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
#include <cmath>
#include <map>
#include <vector>

#include "tests/support/tool_run.h"

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
    ASSERT_TRUE(log.waitForError("/metrics\n", kWaitMs)) << log.err();
    const QRegularExpressionMatch said =
        QRegularExpression(QStringLiteral("metrics at http://127\\.0\\.0\\.1:(\\d+)/metrics"))
            .match(QString::fromStdString(log.err()));
    ASSERT_TRUE(said.hasMatch()) << log.err();
    const auto port = static_cast<quint16>(said.captured(1).toUInt());
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
    QProcess check;
    check.start(promtool, {QStringLiteral("check"), QStringLiteral("metrics")});
    check.write(body);
    check.closeWriteChannel();
    ASSERT_TRUE(check.waitForFinished(kWaitMs));
    EXPECT_EQ(check.exitCode(), 0)
        << check.readAllStandardOutput().constData() << check.readAllStandardError().constData();
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

}  // namespace
}  // namespace cellwatch
