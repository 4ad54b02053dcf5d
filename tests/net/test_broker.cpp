#include "test_broker.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <stdexcept>

namespace cellwatch::nettest {
namespace {

std::uint16_t freePort() {
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost)) {
        throw std::runtime_error("no free port on 127.0.0.1");
    }
    return server.serverPort();
}

bool accepts(std::uint16_t port) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    return socket.waitForConnected(1000);
}

}  // namespace

TestBroker::TestBroker() : port_(freePort()) {
    QFile config(dir_.filePath(QStringLiteral("broker.conf")));
    if (!config.open(QIODevice::WriteOnly)) {
        throw std::runtime_error("cannot write the broker's configuration");
    }
    config.write(
        QStringLiteral("listener %1 127.0.0.1\nallow_anonymous true\n").arg(port_).toUtf8());
    config.close();
    process_.setStandardErrorFile(QProcess::nullDevice());
    process_.setStandardOutputFile(QProcess::nullDevice());
    start();
}

TestBroker::~TestBroker() {
    stop();
}

QString TestBroker::address(const QString& name) const {
    return QStringLiteral("mqtt://127.0.0.1:%1/%2").arg(port_).arg(name);
}

void TestBroker::start() {
    process_.start(QStringLiteral("mosquitto"),
                   {QStringLiteral("-c"), dir_.filePath(QStringLiteral("broker.conf"))});
    if (!process_.waitForStarted(5000)) {
        throw std::runtime_error("cannot start mosquitto: " + process_.errorString().toStdString());
    }
    QDeadlineTimer deadline(10000);
    while (!accepts(port_)) {
        if (deadline.hasExpired() || process_.state() != QProcess::Running) {
            throw std::runtime_error("mosquitto takes no connections on port " +
                                     std::to_string(port_));
        }
        QThread::msleep(10);
    }
}

void TestBroker::kill() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

void TestBroker::stop() {
    if (process_.state() == QProcess::NotRunning) {
        return;
    }
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

}  // namespace cellwatch::nettest
