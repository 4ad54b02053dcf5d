#include "net/web_server.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QPointer>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrlQuery>
#include <QWebSocket>
#include <array>
#include <vector>

namespace cellwatch::net {

namespace {

// Points of the history a joining page gets: what it asks for within these,
// and the default where it asks for nothing readable.
constexpr int kMaxPoints = 4000;
constexpr int kDefaultPoints = 1000;

bool webTokensEqual(const QString& a, const QString& b) {
    return webBytesEqual(a.toLatin1(), b.toLatin1());
}

QByteArray webContentType(const QString& name) {
    static const std::array<std::pair<const char*, const char*>, 7> kTypes{{
        {".html", "text/html; charset=utf-8"},
        {".js", "text/javascript; charset=utf-8"},
        {".css", "text/css; charset=utf-8"},
        {".json", "application/json"},
        {".svg", "image/svg+xml"},
        {".png", "image/png"},
        {".ico", "image/x-icon"},
    }};
    for (const auto& [suffix, type] : kTypes) {
        if (name.endsWith(QLatin1String(suffix))) {
            return type;
        }
    }
    return "application/octet-stream";
}

}  // namespace

QString makeWebToken() {
    std::array<quint32, 4> words{};
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    const QByteArray bytes(reinterpret_cast<const char*>(words.data()),
                           static_cast<qsizetype>(sizeof(words)));
    return QString::fromLatin1(
        bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

QString parseListenAddress(const QString& text, QHostAddress& host, quint16& port) {
    QString address;
    QString number = text;
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon >= 0) {
        address = text.left(colon);
        number = text.mid(colon + 1);
    }
    bool ok = false;
    const uint value = number.toUInt(&ok);
    if (!ok || value > 65535 || number.isEmpty() || !number.front().isDigit()) {
        return QStringLiteral("'%1' is no port (0 to 65535)").arg(number);
    }
    if (address.startsWith(QLatin1Char('[')) && address.endsWith(QLatin1Char(']'))) {
        address = address.mid(1, address.size() - 2);
    }
    if (colon < 0) {
        host = QHostAddress(QHostAddress::LocalHost);
    } else if (address == QLatin1String("*")) {
        host = QHostAddress(QHostAddress::Any);
    } else if (!host.setAddress(address)) {
        return QStringLiteral("'%1' is no IP address").arg(address);
    }
    port = static_cast<quint16>(value);
    return {};
}

// --- the files, served by the HTTP server
// ---------------------------------------------------------

class WebServer::Files final {
public:
    struct File {
        QByteArray type;
        QByteArray body;
        Body made;  // the body, when it is made for each request
    };

    explicit Files(WebServer& owner) : owner_(owner) {
        // The live feed: the HTTP server hands an upgrade to its WebSocket
        // server only when a route takes it (the token is looked at once the
        // WebSocket is there). Anything else on this path is not found.
        http.route(QStringLiteral("/<arg>/live"), [this](const QString& token,
                                                         const QHttpServerRequest& request,
                                                         QHttpServerResponder&& responder) {
            if (request.value("upgrade").compare("websocket", Qt::CaseInsensitive) != 0) {
                responder.write(webTokensEqual(token, owner_.token_)
                                    ? QHttpServerResponder::StatusCode::NotFound
                                    : QHttpServerResponder::StatusCode::Forbidden);
            }
        });
        http.setMissingHandler(
            [this](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
                answer(request, std::move(responder));
            });
    }

    void answer(const QHttpServerRequest& request, QHttpServerResponder&& responder) {
        const QString path = request.url().path();
        const QString prefix = owner_.prefix();
        if (request.method() != QHttpServerRequest::Method::Get ||
            !webTokensEqual(path.left(prefix.size()), prefix)) {
            responder.write(QHttpServerResponder::StatusCode::Forbidden);
            return;
        }
        const auto found = files.constFind(path.mid(prefix.size()));
        if (found == files.cend()) {
            responder.write(QHttpServerResponder::StatusCode::NotFound);
            return;
        }
        // The token is in the page's address: no referrer carries it away.
        responder.write(found->made ? found->made() : found->body,
                        {{"Content-Type", found->type},
                         {"Cache-Control", "no-store"},
                         {"Referrer-Policy", "no-referrer"},
                         {"X-Content-Type-Options", "nosniff"},
                         {"Connection", "close"},
                         {"Content-Security-Policy",
                          "default-src 'self'; connect-src 'self'; img-src 'self' data:"}},
                        QHttpServerResponder::StatusCode::Ok);
    }

    QHttpServer http;
    QHash<QString, File> files;

private:
    WebServer& owner_;
};

// --- live clients --------------------------------------------------------------------------------

struct WebServer::Live {
    std::unique_ptr<QWebSocket> socket;
};

WebServer::WebServer(WebLimits limits, QObject* parent)
    : QObject(parent), limits_(limits), token_(makeWebToken()) {
    files_ = std::make_unique<Files>(*this);
    connect(&files_->http, &QAbstractHttpServer::newWebSocketConnection, this,
            &WebServer::takeWebSockets);
}

WebServer::~WebServer() {
    const auto ids = clients_.keys();
    for (std::uint64_t id : ids) {
        delete clients_.take(id);
    }
}

void WebServer::addFile(const QString& name, const QByteArray& contentType,
                        const QByteArray& body) {
    files_->files.insert(name, Files::File{contentType, body, {}});
}

void WebServer::addMadeFile(const QString& name, const QByteArray& contentType, Body body) {
    files_->files.insert(name, Files::File{contentType, {}, std::move(body)});
}

QString WebServer::prefix() const {
    return open_ ? QStringLiteral("/") : QLatin1Char('/') + token_ + QLatin1Char('/');
}

void WebServer::addResourceFolder(const QString& folder) {
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QString name = QDir(folder).relativeFilePath(path);
        const QByteArray body = file.readAll();
        addFile(name, webContentType(name), body);
        if (name == QLatin1String("index.html")) {
            addFile(QString(), webContentType(name), body);
        }
    }
}

QString WebServer::listen(const QHostAddress& address, quint16 port) {
    if (gate_ == nullptr) {
        gate_ = std::make_unique<WebGate>(
            limits_,
            [this](const QByteArray& head) {
                const QByteArray wanted = "GET " + prefix().toLatin1();
                return webBytesEqual(head.left(wanted.size()), wanted);
            },
            [this](const QTcpSocket& socket) {
                return std::any_of(clients_.cbegin(), clients_.cend(), [&](const Live* live) {
                    return live->socket->peerPort() == socket.peerPort() &&
                           live->socket->peerAddress() == socket.peerAddress();
                });
            });
        connect(gate_.get(), &WebGate::notice, this, &WebServer::notice);
    }
    if (gate_->isListening()) {
        gate_->close();
    }
    if (!gate_->listen(address, port)) {
        return QStringLiteral("%1:%2: %3")
            .arg(address.toString())
            .arg(port)
            .arg(gate_->errorString());
    }
    // The HTTP server takes every connection the gate lets through.
    if (!bound_) {
        files_->http.bind(gate_.get());
        gate_->setParent(nullptr);  // stays this object's
        bound_ = true;
    }
    return {};
}

void WebServer::close() {
    if (gate_ != nullptr) {
        gate_->close();
        gate_->closeAll();
    }
}

void WebServer::finish() {
    const auto ids = clients_.keys();
    for (std::uint64_t id : ids) {
        QWebSocket& ws = *clients_.value(id)->socket;
        ws.flush();
        ws.close(QWebSocketProtocol::CloseCodeGoingAway);
        ws.flush();
    }
    close();
}

bool WebServer::listening() const {
    return gate_ != nullptr && gate_->isListening();
}
QHostAddress WebServer::address() const {
    return gate_ != nullptr ? gate_->serverAddress() : QHostAddress();
}
quint16 WebServer::port() const {
    return gate_ != nullptr ? gate_->serverPort() : 0;
}
int WebServer::connectionCount() const {
    return gate_ != nullptr ? gate_->letInCount() : 0;
}
int WebServer::waitingCount() const {
    return gate_ != nullptr ? gate_->waitingCount() : 0;
}

void WebServer::renewToken() {
    token_ = makeWebToken();
    const auto ids = clients_.keys();
    for (std::uint64_t id : ids) {
        drop(id, QStringLiteral("the page's address changed"));
    }
    if (gate_ != nullptr) {
        gate_->closeAll();
    }
}

QString WebServer::pageUrl(const QString& host) const {
    QString name = host;
    if (name.isEmpty()) {
        const QHostAddress a = address();
        name = a == QHostAddress::Any || a == QHostAddress::AnyIPv4 || a.isNull()
                   ? QStringLiteral("127.0.0.1")
                   : a.toString();
    }
    if (name.contains(QLatin1Char(':')) && !name.startsWith(QLatin1Char('['))) {
        name = QLatin1Char('[') + name + QLatin1Char(']');
    }
    return QStringLiteral("http://%1:%2%3").arg(name).arg(port()).arg(prefix());
}

void WebServer::takeWebSockets() {
    while (files_->http.hasPendingWebSocketConnections()) {
        std::unique_ptr<QWebSocket> socket = files_->http.nextPendingWebSocketConnection();
        if (!socket) {
            continue;
        }
        const QUrl url = socket->requestUrl();
        if (open_ || !webTokensEqual(url.path(), prefix() + QStringLiteral("live"))) {
            socket->abort();
            socket.release()->deleteLater();
            continue;
        }
        socket->setMaxAllowedIncomingFrameSize(static_cast<quint64>(limits_.messageBytes));
        socket->setMaxAllowedIncomingMessageSize(static_cast<quint64>(limits_.messageBytes));
        const std::uint64_t id = nextClient_++;
        auto* live = new Live{std::move(socket)};
        QWebSocket* ws = live->socket.get();
        clients_.insert(id, live);
        // Pings are answered by the library; anything else is a client
        // that does not keep to the page.
        connect(ws, &QWebSocket::textMessageReceived, this,
                [this, id] { drop(id, QStringLiteral("it sent a message")); });
        connect(ws, &QWebSocket::binaryMessageReceived, this,
                [this, id] { drop(id, QStringLiteral("it sent a message")); });
        connect(ws, &QWebSocket::disconnected, this, [this, id] { drop(id, {}); });
        bool ok = false;
        const int points = QUrlQuery(url).queryItemValue(QStringLiteral("points")).toInt(&ok);
        // What a screen can show, whatever is asked: a history's cost is bounded.
        emit clientJoined(id, ok && points >= 2 ? std::min(points, kMaxPoints) : kDefaultPoints);
    }
}

void WebServer::drop(std::uint64_t client, const QString& why) {
    Live* live = clients_.take(client);
    if (live == nullptr) {
        return;
    }
    QWebSocket* ws = live->socket.release();
    delete live;
    ws->disconnect(this);
    if (!why.isEmpty()) {
        emit notice(QStringLiteral("page: dropped a viewer at %1: %2")
                        .arg(ws->peerAddress().toString(), why));
    }
    ws->abort();
    ws->deleteLater();
    emit clientLeft(client);
}

void WebServer::send(std::uint64_t client, const QByteArray& text) {
    sendText(client, QString::fromUtf8(text), text.size());
}

void WebServer::sendText(std::uint64_t client, const QString& text, qint64 bytes) {
    Live* live = clients_.value(client);
    if (live == nullptr) {
        return;
    }
    QWebSocket& ws = *live->socket;
    if (ws.bytesToWrite() + bytes > limits_.queuedBytes) {
        drop(client, QStringLiteral("it does not keep up"));
        return;
    }
    ws.sendTextMessage(text);
}

void WebServer::broadcast(const QByteArray& text) {
    if (clients_.isEmpty()) {
        return;
    }
    const QString message = QString::fromUtf8(text);
    const auto ids = clients_.keys();
    for (std::uint64_t id : ids) {
        sendText(id, message, text.size());
    }
}

}  // namespace cellwatch::net
