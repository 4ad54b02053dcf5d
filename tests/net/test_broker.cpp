#include "test_broker.h"

#include <pwd.h>
#include <unistd.h>

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

// Run by root, the broker would become the user "mosquitto", who cannot
// read the test's files; it stays whoever runs the test.
QByteArray sameUser() {
    const passwd* self = ::getpwuid(::getuid());
    return self != nullptr ? "user " + QByteArray(self->pw_name) + '\n' : QByteArray();
}

}  // namespace

TestBroker::TestBroker() : port_(freePort()) {
    configure("allow_anonymous true\n");
}

TestBroker::TestBroker(const Tls& tls) : port_(freePort()) {
    configure(QStringLiteral("allow_anonymous true\ncertfile %1\nkeyfile %2\n")
                  .arg(tls.certFile, tls.keyFile)
                  .toUtf8() +
              sameUser());
}

TestBroker::TestBroker(const Access& access) : port_(freePort()) {
    const QString passwords = writeFile(QStringLiteral("passwords"), {});
    for (const auto& [user, password] : access.users) {
        QProcess add;
        add.start(QStringLiteral("mosquitto_passwd"),
                  {QStringLiteral("-b"), passwords, user, password});
        if (!add.waitForFinished(10000) || add.exitCode() != 0) {
            throw std::runtime_error("mosquitto_passwd cannot add " + user.toStdString());
        }
    }
    const QString acl = writeFile(QStringLiteral("acl"), access.acl.toUtf8());
    configure(QStringLiteral("allow_anonymous false\npassword_file %1\nacl_file %2\n")
                  .arg(passwords, acl)
                  .toUtf8() +
              sameUser());
}

QString TestBroker::writeFile(const QString& name, const QByteArray& text) const {
    const QString path = dir_.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) {
        throw std::runtime_error("cannot write " + path.toStdString());
    }
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

void TestBroker::configure(const QByteArray& extra) {
    writeFile(QStringLiteral("broker.conf"),
              QStringLiteral("listener %1 127.0.0.1\n").arg(port_).toUtf8() + extra);
    process_.setStandardErrorFile(QProcess::nullDevice());
    process_.setStandardOutputFile(QProcess::nullDevice());
    start();
}

TestBroker::~TestBroker() {
    stop();
}

QString TestBroker::address(const QString& name, const QString& user) const {
    const QString login = user.isEmpty() ? QString() : user + u'@';
    return QStringLiteral("mqtt://") + login +
           QStringLiteral("127.0.0.1:%1/%2").arg(port_).arg(name);
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
