// A stand-in for a broker that misbehaves as no real one can be made to: a
// TCP server on 127.0.0.1 that accepts connections and then never answers,
// or answers the connect and never acknowledges a publish (reading and
// dropping whatever comes), or answers the connect and reads nothing more.
#pragma once

#include <QByteArray>
#include <QTcpServer>
#include <QTcpSocket>
#include <cstdint>
#include <vector>

namespace cellwatch::nettest {

class SilentBroker {
public:
    enum class Mode { NeverAnswer, AcceptButNeverAcknowledge, AcceptButNeverRead };

    // Listens at once; throws std::runtime_error when it cannot.
    explicit SilentBroker(Mode mode);
    ~SilentBroker();
    SilentBroker(const SilentBroker&) = delete;
    SilentBroker& operator=(const SilentBroker&) = delete;

    std::uint16_t port() const { return server_.serverPort(); }
    // "mqtt://127.0.0.1:PORT/name".
    QString address(const QString& name) const;
    // Connections accepted so far, and bytes received on them.
    int connections() const { return connections_; }
    qint64 bytesReceived() const { return received_; }

private:
    Mode mode_;
    QTcpServer server_;
    std::vector<QTcpSocket*> sockets_;
    int connections_ = 0;
    qint64 received_ = 0;
};

}  // namespace cellwatch::nettest
