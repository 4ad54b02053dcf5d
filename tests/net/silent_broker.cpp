#include "silent_broker.h"

#include <stdexcept>

namespace cellwatch::nettest {

SilentBroker::SilentBroker(Mode mode) : mode_(mode) {
    if (!server_.listen(QHostAddress::LocalHost)) {
        throw std::runtime_error("no free port on 127.0.0.1");
    }
    QObject::connect(&server_, &QTcpServer::newConnection, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            ++connections_;
            sockets_.push_back(socket);
            QObject::connect(socket, &QTcpSocket::readyRead, [this, socket] {
                const QByteArray bytes = socket->readAll();
                received_ += bytes.size();
                if (mode_ != Mode::NeverAnswer && !socket->property("answered").toBool() &&
                    !bytes.isEmpty() && static_cast<std::uint8_t>(bytes[0]) == 0x10) {
                    socket->setProperty("answered", true);
                    // CONNACK: session not present, accepted.
                    socket->write(QByteArray::fromHex("20020000"));
                    if (mode_ == Mode::AcceptButNeverRead) {
                        // Nothing drains its buffer of one byte: the
                        // system's buffers fill, then the client's writes stop.
                        QObject::disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
                        socket->setReadBufferSize(1);
                    }
                }
            });
        }
    });
}

SilentBroker::~SilentBroker() {
    for (QTcpSocket* socket : sockets_) {
        socket->abort();
        delete socket;
    }
}

QString SilentBroker::address(const QString& name) const {
    return QStringLiteral("mqtt://127.0.0.1:%1/%2").arg(port()).arg(name);
}

}  // namespace cellwatch::nettest
