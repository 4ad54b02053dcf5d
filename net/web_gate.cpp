#include "net/web_gate.h"

#include <QElapsedTimer>
#include <QTcpSocket>
#include <algorithm>
#include <utility>

namespace cellwatch::net {

namespace {

// The whole answer to a request without the token: no body, no server name,
// nothing to learn from.
constexpr char kForbidden[] =
    "HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";

// Addresses remembered at most; past it, those neither shut out nor counting
// are forgotten.
constexpr int kAddressesKept = 4096;

void prune(std::vector<QPointer<QTcpSocket>>& sockets) {
    std::erase_if(sockets, [](const QPointer<QTcpSocket>& s) {
        return s.isNull() || s->state() == QAbstractSocket::UnconnectedState;
    });
}

QTimer* deadline(QTcpSocket* socket, int ms, std::function<void()> then) {
    auto* timer = new QTimer(socket);
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, socket, std::move(then));
    timer->start(ms);
    return timer;
}

}  // namespace

bool webBytesEqual(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size()) {
        return false;
    }
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i) {
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    }
    return diff == 0;
}

WebGate::WebGate(const WebLimits& limits, Admit admit, IsLive isLive, QObject* parent)
    : QTcpServer(parent), limits_(limits), admit_(std::move(admit)), isLive_(std::move(isLive)) {
    noticeTimer_.setSingleShot(true);
    connect(&noticeTimer_, &QTimer::timeout, this, &WebGate::tell);
}

std::int64_t WebGate::now() const {
    if (limits_.clock) {
        return limits_.clock();
    }
    static QElapsedTimer started = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return started.elapsed();
}

int WebGate::letInCount() {
    prune(letIn_);
    return static_cast<int>(letIn_.size());
}

int WebGate::waitingCount() {
    prune(waiting_);
    return static_cast<int>(waiting_.size());
}

void WebGate::closeAll() {
    for (auto* list : {&waiting_, &letIn_}) {
        const std::vector<QPointer<QTcpSocket>> all = *list;
        for (const QPointer<QTcpSocket>& s : all) {
            if (!s.isNull()) {
                s->abort();
            }
        }
    }
}

void WebGate::incomingConnection(qintptr fd) {
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(fd)) {
        socket->deleteLater();
        return;
    }
    const QString address = socket->peerAddress().toString();
    const auto known = addresses_.constFind(address);
    if (known != addresses_.cend() && now() < known->shutUntil) {
        ++shutSinceNotice_;
        if (!noticeTimer_.isActive()) {
            noticeTimer_.start(limits_.noticeMs);
        }
        socket->abort();
        socket->deleteLater();
        return;
    }
    // A full pool makes room by closing the connection that has waited
    // longest: a browser sends its head at once, so idle connections held
    // open on purpose are the ones that go.
    if (waitingCount() >= limits_.gateConnections && !waiting_.empty()) {
        ++fullSinceNotice_;
        if (!noticeTimer_.isActive()) {
            noticeTimer_.start(limits_.noticeMs);
        }
        QPointer<QTcpSocket> oldest = waiting_.front();
        waiting_.erase(waiting_.begin());
        oldest->abort();
    }
    socket->setProperty("cellwatchAddress", address);
    waiting_.emplace_back(socket);
    connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QIODevice::readyRead, this, [this, socket] { look(socket); });
    QTimer* head = deadline(socket, limits_.headMs, [this, socket] { refuse(socket, 0); });
    socket->setProperty("cellwatchHead", QVariant::fromValue<QObject*>(head));
}

// Looks at what has come of the request without taking it: the HTTP server
// reads it from the start. Nothing is decided before the head is whole.
void WebGate::look(QTcpSocket* socket) {
    const qint64 limit = limits_.requestBytes;
    const QByteArray head = socket->peek(limit + 1);
    const qsizetype end = head.indexOf("\r\n\r\n");
    if (end < 0 && head.size() <= limit) {
        return;  // more to come
    }
    disconnect(socket, &QIODevice::readyRead, this, nullptr);
    delete socket->property("cellwatchHead").value<QObject*>();
    const QByteArray lower = head.left(end + 4).toLower();
    // The page's requests carry no body: one announced is never waited for.
    const bool body =
        lower.contains("\r\ntransfer-encoding:") ||
        (lower.contains("\r\ncontent-length:") && !lower.contains("\r\ncontent-length: 0\r\n") &&
         !lower.contains("\r\ncontent-length:0\r\n"));
    if (end < 0 || end + 4 > limit || body || !admit_(head.left(end + 4))) {
        refuse(socket, limits_.refuseMs);
        return;
    }
    letIn(socket, lower.contains("\r\nupgrade:"));
}

void WebGate::letIn(QTcpSocket* socket, bool upgrade) {
    std::erase(waiting_, socket);
    if (letInCount() >= limits_.connections) {
        ++fullSinceNotice_;
        if (!noticeTimer_.isActive()) {
            noticeTimer_.start(limits_.noticeMs);
        }
        socket->abort();
        return;
    }
    letIn_.emplace_back(socket);
    // What the HTTP server may buffer of this connection.
    socket->setReadBufferSize(limits_.requestBytes);
    if (!upgrade) {
        // One request a connection: it is closed once its answer is out, so
        // no kept-alive connection holds a place, and nothing after the head
        // (a body) is waited for.
        connect(socket, &QIODevice::bytesWritten, socket, [socket] {
            if (socket->bytesToWrite() == 0) {
                socket->disconnectFromHost();
            }
        });
    }
    // A page request not answered in time, or an upgrade that did not become
    // a live feed, gives its place back.
    deadline(socket, limits_.responseMs, [this, socket] {
        if (!isLive_(*socket)) {
            socket->abort();
        }
    });
    addPendingConnection(socket);
    emit newConnection();
    emit socket->readyRead();  // what came before the HTTP server listened to it
}

void WebGate::refuse(QTcpSocket* socket, int afterMs) {
    disconnect(socket, &QIODevice::readyRead, this, nullptr);
    count(socket->property("cellwatchAddress").toString());
    deadline(socket, afterMs, [socket] {
        socket->write(kForbidden, sizeof(kForbidden) - 1);
        socket->disconnectFromHost();
    });
}

void WebGate::count(const QString& address) {
    const std::int64_t t = now();
    if (addresses_.size() >= kAddressesKept) {
        erase_if(addresses_, [&](const auto& entry) {
            return entry.value().shutUntil <= t &&
                   t - entry.value().windowStart > limits_.refusalWindowMs;
        });
    }
    if (addresses_.size() < kAddressesKept || addresses_.contains(address)) {
        Address& a = addresses_[address];
        if (t - a.windowStart > limits_.refusalWindowMs) {
            a.windowStart = t;
            a.refusals = 0;
        }
        if (a.shutMs != 0 && t - a.shutUntil > limits_.refusalWindowMs) {
            a.shutMs = 0;  // quiet for a whole window since the last shut-out
        }
        if (++a.refusals > limits_.refusalsPerAddress) {
            a.shutMs =
                a.shutMs == 0 ? limits_.shutOutMs : std::min(a.shutMs * 2, limits_.maxShutOutMs);
            a.shutUntil = t + a.shutMs;
            a.refusals = 0;
            a.windowStart = t;
        }
    }
    ++refusedSinceNotice_[address];
    if (!noticeTimer_.isActive()) {
        noticeTimer_.start(limits_.noticeMs);
    }
}

void WebGate::tell() {
    int refused = 0;
    QString most;
    int mostCount = 0;
    for (auto it = refusedSinceNotice_.cbegin(); it != refusedSinceNotice_.cend(); ++it) {
        refused += it.value();
        if (it.value() > mostCount) {
            mostCount = it.value();
            most = it.key();
        }
    }
    QStringList parts;
    if (refused > 0) {
        parts << QStringLiteral(
                     "refused %1 request(s) without the page's address from %2 "
                     "address(es), %3 from %4")
                     .arg(refused)
                     .arg(refusedSinceNotice_.size())
                     .arg(mostCount)
                     .arg(most.isEmpty() ? QStringLiteral("an unknown address") : most);
    }
    if (shutSinceNotice_ > 0) {
        parts << QStringLiteral("closed %1 connection(s) from addresses refused too often")
                     .arg(shutSinceNotice_);
    }
    if (fullSinceNotice_ > 0) {
        parts << QStringLiteral("closed %1 connection(s) past the limit").arg(fullSinceNotice_);
    }
    refusedSinceNotice_.clear();
    shutSinceNotice_ = 0;
    fullSinceNotice_ = 0;
    if (!parts.isEmpty()) {
        emit notice(QStringLiteral("page: %1 in the last %2 s")
                        .arg(parts.join(QStringLiteral("; ")))
                        .arg(limits_.noticeMs / 1000));
    }
}

}  // namespace cellwatch::net
