// The page's server: a few files and one live feed over WebSockets, on one
// port, for whoever holds the page's token.
//
// The one adapter over Qt HTTP Server and Qt WebSockets: nothing else in the
// program includes them (the HTTP server's API is a technology preview that
// changes between Qt releases).
//
// Everything is under /TOKEN/: the page at /TOKEN/, its files by name, and
// the live feed at /TOKEN/live (a WebSocket; "?points=N" tells how many
// points of the history the page can show, within 2 to 4000). Who may look:
//   - every connection's request head is read whole by the gate
//     (net/web_gate.h) before the HTTP server sees it: unless it begins with
//     exactly "GET /TOKEN/", it gets a bare 403 after a fixed wait; idle and
//     refused connections wait in a pool of their own, addresses refused too
//     often are shut out for a while, and each connection carries one request;
//   - at most WebLimits::connections let-in connections at once (page loads
//     and live feeds together); one more is closed unanswered;
//   - a live client may send nothing but pings (answered by the library):
//     a text or binary message, or a frame over WebLimits::messageBytes,
//     closes it;
//   - a live client whose unsent bytes pass WebLimits::queuedBytes is
//     dropped: the feed never waits for a client;
//   - a new token closes every connection made with the old one.
// The page is read-only: GET only, nothing a client sends changes anything.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

#include "net/web_gate.h"

namespace cellwatch::net {

// A token of 128 random bits, URL-safe (22 characters).
QString makeWebToken();

// Reads "[ADDRESS:]PORT": "8080" is 127.0.0.1:8080, "*:8080" or
// "0.0.0.0:8080" every interface, "[::1]:8080" an IPv6 address. PORT 0
// takes any free port. Returns an empty text, or what is wrong.
QString parseListenAddress(const QString& text, QHostAddress& host, quint16& port);

class WebServer final : public QObject {
    Q_OBJECT
public:
    explicit WebServer(WebLimits limits = {}, QObject* parent = nullptr);
    ~WebServer() override;

    // A file under /TOKEN/: "" is the page itself.
    void addFile(const QString& name, const QByteArray& contentType, const QByteArray& body);
    // A file under /TOKEN/ whose body is made anew for every request.
    using Body = std::function<QByteArray()>;
    void addMadeFile(const QString& name, const QByteArray& contentType, Body body);
    // Every file under the resource folder `folder` (":/web"), by its name;
    // "index.html" is also the page itself.
    void addResourceFolder(const QString& folder);

    // Listens on `address` and `port` (0: any free port). Returns an empty
    // text, or why it cannot ("127.0.0.1:80: permission denied").
    QString listen(const QHostAddress& address, quint16 port);
    void close();
    // Writes out what the live clients are owed, as far as they take it now,
    // and closes them (the program ends): a last message is not lost.
    void finish();
    bool listening() const;
    QHostAddress address() const;
    quint16 port() const;

    // Without a token (before listen()): the files are at /NAME, for
    // everyone who reaches the port, and there is no live feed. For what
    // is meant to be read by anyone who can connect (a metrics endpoint on
    // the loopback address).
    void openWithoutToken() { open_ = true; }
    QString token() const { return token_; }
    // A new random token; connections made with the old one are closed.
    void renewToken();
    // The page's address as a browser opens it, with `host` in it
    // ("http://192.168.1.20:8080/TOKEN/"); the listening address by default.
    QString pageUrl(const QString& host = {}) const;

    // Let-in connections (page requests and live feeds), and those the gate
    // still holds (heads being read, refusals waiting).
    int connectionCount() const;
    int waitingCount() const;
    int liveClientCount() const { return static_cast<int>(clients_.size()); }

    // A text message to every live client, or to one; a client whose unsent
    // bytes would pass the limit is dropped instead.
    void broadcast(const QByteArray& text);
    void send(std::uint64_t client, const QByteArray& text);

signals:
    // A live client joined; `points` is what it asked for, 2 to 4000 at most
    // (1000 where it asked for nothing readable, or for fewer than 2).
    void clientJoined(std::uint64_t client, int points);
    void clientLeft(std::uint64_t client);
    // One line worth telling (a client dropped, a connection refused).
    void notice(const QString& text);

private:
    class Files;
    struct Live;
    void takeWebSockets();
    void drop(std::uint64_t client, const QString& why);
    void sendText(std::uint64_t client, const QString& text, qint64 bytes);
    // "/TOKEN/", or "/" without a token.
    QString prefix() const;

    WebLimits limits_;
    QString token_;
    std::unique_ptr<WebGate> gate_;
    bool bound_ = false;  // the HTTP server takes the gate's connections
    bool open_ = false;   // no token
    std::unique_ptr<Files> files_;
    QHash<std::uint64_t, Live*> clients_;
    std::uint64_t nextClient_ = 1;
};

}  // namespace cellwatch::net
