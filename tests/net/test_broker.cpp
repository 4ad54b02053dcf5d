#include "test_broker.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QThread>
#include <stdexcept>

namespace cellwatch::nettest {
namespace {

sockaddr_in loopback(std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

std::uint16_t freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = loopback(0);
    socklen_t size = sizeof a;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size) != 0) {
        throw std::runtime_error("no free port on 127.0.0.1");
    }
    ::close(fd);
    return ntohs(a.sin_port);
}

bool accepts(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in a = loopback(port);
    const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

bool waitUntil(const std::function<bool()>& done, int ms) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

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
