#include "tools/log/page_serve.h"

#include <QNetworkInterface>

namespace cellwatch::logger {

PageServe::PageServe(session::LiveSession& session, const QString& address)
    : address_(address), feed_(session, server_) {
    server_.addResourceFolder(QStringLiteral(":/web"));
}

QString PageServe::start() {
    QHostAddress host;
    quint16 port = 0;
    const QString error = net::parseListenAddress(address_, host, port);
    if (!error.isEmpty()) {
        return error;
    }
    return server_.listen(host, port);
}

QStringList PageServe::addresses() const {
    const QHostAddress bound = server_.address();
    if (bound != QHostAddress::Any && bound != QHostAddress::AnyIPv4 &&
        bound != QHostAddress::AnyIPv6) {
        return {server_.pageUrl()};
    }
    QStringList lines{server_.pageUrl(QStringLiteral("127.0.0.1"))};
    for (const QHostAddress& a : QNetworkInterface::allAddresses()) {
        if (!a.isLoopback() && a.protocol() == QAbstractSocket::IPv4Protocol) {
            lines << server_.pageUrl(a.toString());
        }
    }
    return lines;
}

}  // namespace cellwatch::logger
