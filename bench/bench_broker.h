// A mosquitto broker of a benchmark's own on 127.0.0.1, and free ports.
#pragma once

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <cstdint>

namespace cellwatch::bench {

inline std::uint16_t freePort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}

// Starts mosquitto on `port` with its configuration in `dir`, anonymous and
// with a deep queue; returns once it takes connections (false: it did not
// start or takes none after 10 s).
inline bool startBroker(QProcess& broker, const QTemporaryDir& dir, std::uint16_t port) {
    QFile config(dir.filePath(QStringLiteral("broker.conf")));
    if (!config.open(QIODevice::WriteOnly)) {
        return false;
    }
    config.write(QStringLiteral("listener %1 127.0.0.1\nallow_anonymous true\n"
                                "max_queued_messages 100000\n")
                     .arg(port)
                     .toUtf8());
    config.close();
    broker.setStandardErrorFile(QProcess::nullDevice());
    broker.start(QStringLiteral("mosquitto"), {QStringLiteral("-c"), config.fileName()});
    if (!broker.waitForStarted()) {
        return false;
    }
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port);
        if (probe.waitForConnected(500)) {
            return true;
        }
        broker.waitForFinished(50);
    }
    return false;
}

}  // namespace cellwatch::bench
