// The page server's gate: every connection's request head is read whole
// before anyone decides, and whoever does not hold the page's token learns
// nothing from how or when the answer comes.
//
//   - A connection waits in a small pool of its own until its request head
//     has come whole (WebLimits::headMs at most, WebLimits::requestBytes at
//     most). When the pool is full, the connection that has waited longest
//     is closed: idle connections held open never keep a viewer out.
//   - A whole head is shown to `admit`, which compares the token in constant
//     time; a head that announces a body is refused (the page's requests
//     carry none). A refusal is the same bare 403 for every reason, sent
//     WebLimits::refuseMs after the head was read (at the head's deadline for
//     one that never came whole).
//   - An address refused more than WebLimits::refusalsPerAddress times within
//     WebLimits::refusalWindowMs is shut out for a while (doubled each time,
//     up to WebLimits::maxShutOutMs): its connections are closed unanswered.
//     Refusals are told in one line per WebLimits::noticeMs, never one each.
//   - A let-in connection carries one request: a page request is closed once
//     its answer is written (or after WebLimits::responseMs without one), a
//     live feed stays while `isLive` says so.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTcpServer>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <vector>

class QTcpSocket;

namespace cellwatch::net {

struct WebLimits {
    // Let in at once: page requests and live feeds together. A browser's page
    // holds its live feed and, while it loads, a few requests.
    int connections = 64;
    // Not yet let in: heads being read and refusals waiting to be sent.
    int gateConnections = 32;
    qint64 requestBytes = 8 * 1024;  // one request's head, the request line included
    qint64 messageBytes = 125;       // one frame from a client: a ping's payload at most
    qint64 queuedBytes = 1024 * 1024;
    int headMs = 5'000;       // for a connection's request head to come whole
    int refuseMs = 500;       // from a whole head to its refusal
    int responseMs = 10'000;  // for a let-in page request to be answered
    int refusalsPerAddress = 20;
    int refusalWindowMs = 10'000;
    int shutOutMs = 2'000;  // the first shut-out; doubled for each following one
    int maxShutOutMs = 120'000;
    int noticeMs = 10'000;
    // Milliseconds on a steady clock; a monotonic clock of the system's when empty.
    std::function<std::int64_t()> clock;
};

class WebGate final : public QTcpServer {
    Q_OBJECT
public:
    using Admit = std::function<bool(const QByteArray& head)>;
    using IsLive = std::function<bool(const QTcpSocket& socket)>;
    WebGate(const WebLimits& limits, Admit admit, IsLive isLive, QObject* parent = nullptr);

    int letInCount();
    int waitingCount();
    // Closes every connection (a new token).
    void closeAll();

signals:
    void notice(const QString& text);

protected:
    void incomingConnection(qintptr fd) override;

private:
    struct Address {
        std::int64_t windowStart = 0;
        int refusals = 0;
        std::int64_t shutUntil = 0;
        int shutMs = 0;
    };
    std::int64_t now() const;
    void look(QTcpSocket* socket);
    void letIn(QTcpSocket* socket, bool upgrade);
    void refuse(QTcpSocket* socket, int afterMs);
    void count(const QString& address);
    void tell();

    const WebLimits& limits_;
    Admit admit_;
    IsLive isLive_;
    std::vector<QPointer<QTcpSocket>> waiting_;
    std::vector<QPointer<QTcpSocket>> letIn_;
    QHash<QString, Address> addresses_;
    QHash<QString, int> refusedSinceNotice_;
    int shutSinceNotice_ = 0;
    int fullSinceNotice_ = 0;
    QTimer noticeTimer_;
};

// Whether `a` and `b` are equal, in a time that does not depend on where they differ.
bool webBytesEqual(const QByteArray& a, const QByteArray& b);

}  // namespace cellwatch::net
