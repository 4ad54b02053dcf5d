#include "test_databases.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QStandardPaths>
#include <QTcpServer>
#include <QThread>
#include <QUrlQuery>
#include <stdexcept>

namespace cellwatch::nettest {
namespace {

// One HTTP request and its answer, waited for on the event loop.
struct HttpAnswer {
    int status = 0;  // 0: no answer
    QByteArray body;
};

std::uint16_t freePort() {
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost)) {
        throw std::runtime_error("no free port on 127.0.0.1");
    }
    return server.serverPort();
}

HttpAnswer wait(QNetworkAccessManager& manager, QNetworkReply* reply) {
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    HttpAnswer answer{reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
                      reply->readAll()};
    reply->deleteLater();
    (void)manager;
    return answer;
}

QNetworkRequest request(const QString& url) {
    QNetworkRequest r{QUrl(url)};
    r.setTransferTimeout(30000);
    return r;
}

HttpAnswer httpGet(const QString& url) {
    QNetworkAccessManager manager;
    return wait(manager, manager.get(request(url)));
}

const char* const kAdminAuth = "Basic Y2x1YjpzZWNyZXQ=";  // club:secret

}  // namespace

TestDatabase::TestDatabase() : port_(freePort()) {
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.setStandardOutputFile(dir_.filePath(QStringLiteral("server.log")));
}

TestDatabase::~TestDatabase() {
    stop();
}

void TestDatabase::launch(const QString& program, const QStringList& arguments) {
    program_ = program;
    arguments_ = arguments;
    start();
}

void TestDatabase::start() {
    process_.start(program_, arguments_);
    if (!process_.waitForStarted(10000)) {
        throw std::runtime_error("cannot start " + program_.toStdString() + ": " +
                                 process_.errorString().toStdString());
    }
    QDeadlineTimer deadline(60000);
    while (httpGet(base() + readyPath()).status / 100 != 2) {
        if (deadline.hasExpired() || process_.state() != QProcess::Running) {
            throw std::runtime_error(program_.toStdString() + " takes no requests on port " +
                                     std::to_string(port_));
        }
        QThread::msleep(20);
    }
}

void TestDatabase::stop() {
    if (process_.state() == QProcess::NotRunning) {
        return;
    }
    process_.terminate();
    if (!process_.waitForFinished(15000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

bool TestInfluxd::installed() {
    return !QStandardPaths::findExecutable(QStringLiteral("influxd")).isEmpty();
}

TestInfluxd::TestInfluxd(bool auth) : auth_(auth) {
    const QString folder = dir_.path();
    const QByteArray config = QStringLiteral(
                                  "reporting-disabled = true\n"
                                  "bind-address = \"127.0.0.1:%1\"\n"
                                  "[meta]\n  dir = \"%2/meta\"\n"
                                  "[data]\n  dir = \"%2/data\"\n  wal-dir = \"%2/wal\"\n"
                                  "  query-log-enabled = false\n"
                                  "[http]\n  bind-address = \"127.0.0.1:%3\"\n  auth-enabled = %4\n"
                                  "  log-enabled = false\n"
                                  "[monitor]\n  store-enabled = false\n"
                                  "[continuous_queries]\n  enabled = false\n")
                                  .arg(freePort())
                                  .arg(folder)
                                  .arg(port_)
                                  .arg(auth ? QStringLiteral("true") : QStringLiteral("false"))
                                  .toUtf8();
    QFile file(dir_.filePath(QStringLiteral("influxdb.conf")));
    if (!file.open(QIODevice::WriteOnly) || file.write(config) != config.size()) {
        throw std::runtime_error("cannot write the influxd configuration");
    }
    file.close();
    launch(QStringLiteral("influxd"), {QStringLiteral("-config"), file.fileName()});
    // With sign-in on, the first user may be made without one.
    if (auth) {
        query(QStringLiteral("CREATE USER club WITH PASSWORD 'secret' WITH ALL PRIVILEGES"));
    }
    query(QStringLiteral("CREATE DATABASE club"));
}

QByteArray TestInfluxd::query(const QString& q) {
    QUrlQuery form;
    form.addQueryItem(QStringLiteral("q"), q);
    QNetworkAccessManager manager;
    QNetworkRequest r = request(base() + QStringLiteral("/query?db=club"));
    r.setHeader(QNetworkRequest::ContentTypeHeader, "application/x-www-form-urlencoded");
    if (auth_) {
        r.setRawHeader("Authorization", kAdminAuth);
    }
    const HttpAnswer answer =
        wait(manager, manager.post(r, form.toString(QUrl::FullyEncoded).toUtf8()));
    if (answer.status != 200) {
        throw std::runtime_error("influxd query failed: " + answer.body.toStdString());
    }
    return answer.body;
}

long long TestInfluxd::rowsStored(int channel, const QString& charger) {
    QStringList where;
    if (channel > 0) {
        where << QStringLiteral("channel = '%1'").arg(channel);
    }
    if (!charger.isEmpty()) {
        where << QStringLiteral("charger = '%1'").arg(charger);
    }
    const QJsonDocument doc = QJsonDocument::fromJson(
        query(QStringLiteral("SELECT count(voltage_v) FROM cellwatch") +
              (where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where.join(" AND "))));
    const QJsonArray values =
        doc[QStringLiteral("results")][0][QStringLiteral("series")][0][QStringLiteral("values")]
            .toArray();
    return values.isEmpty() ? 0 : values[0].toArray()[1].toInteger();
}

bool TestVictoria::installed() {
    return !QStandardPaths::findExecutable(QStringLiteral("victoria-metrics")).isEmpty();
}

TestVictoria::TestVictoria() {
    launch(QStringLiteral("victoria-metrics"),
           {QStringLiteral("-httpListenAddr=127.0.0.1:%1").arg(port_),
            QStringLiteral("-storageDataPath=%1").arg(dir_.filePath(QStringLiteral("data"))),
            QStringLiteral("-loggerLevel=ERROR")});
}

long long TestVictoria::rowsStored(int channel, const QString& charger) {
    // What was written is searchable once flushed.
    if (httpGet(base() + QStringLiteral("/internal/force_flush")).status / 100 != 2) {
        throw std::runtime_error("victoria-metrics would not flush");
    }
    QUrlQuery query;
    query.addQueryItem(
        QStringLiteral("match[]"),
        QStringLiteral("cellwatch_voltage_v{%1%2}")
            .arg(channel > 0 ? QStringLiteral("channel=\"%1\",").arg(channel) : QString(),
                 charger.isEmpty() ? QString() : QStringLiteral("charger=\"%1\"").arg(charger)));
    const HttpAnswer answer =
        httpGet(base() + QStringLiteral("/api/v1/export?") + query.toString(QUrl::FullyEncoded));
    long long rows = 0;
    for (const QByteArray& line : answer.body.split('\n')) {
        if (!line.trimmed().isEmpty()) {
            rows += QJsonDocument::fromJson(line)[QStringLiteral("values")].toArray().size();
        }
    }
    return rows;
}

}  // namespace cellwatch::nettest
