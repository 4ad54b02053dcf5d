// The page's server as a viewer, a stranger and a misbehaving client meet
// it: real sockets on the loopback, the server in the same event loop.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTcpSocket>
#include <QWebSocket>
#include <algorithm>
#include <memory>
#include <string_view>
#include <vector>

#include "net/web_server.h"
#include "tests/support/event_wait.h"

namespace cellwatch::net {
namespace {

using testing::waitUntil;

const QByteArray kForbiddenAnswer =
    "HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";

QByteArray upgradeRequest(const QByteArray& path) {
    return "GET " + path +
           " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: Upgrade\r\nUpgrade: websocket\r\n"
           "Sec-WebSocket-Version: 13\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n\r\n";
}

class WebServerTest : public ::testing::Test {
protected:
    void SetUp() override { start(quick()); }

    // The default limits with short waits, and a clock the test moves.
    WebLimits quick() {
        WebLimits limits;
        limits.headMs = 300;
        limits.refuseMs = 20;
        limits.noticeMs = 50;
        limits.clock = [this] { return clockMs; };
        return limits;
    }

    void start(WebLimits limits) {
        server = std::make_unique<WebServer>(limits);
        server->addFile(QString(), "text/html; charset=utf-8", "<p>page</p>");
        server->addFile(QStringLiteral("page.js"), "text/javascript", "1;");
        QObject::connect(server.get(), &WebServer::clientJoined,
                         [this](std::uint64_t id, int points) {
                             joined.push_back(id);
                             lastPoints = points;
                         });
        QObject::connect(server.get(), &WebServer::clientLeft,
                         [this](std::uint64_t id) { left.push_back(id); });
        ASSERT_EQ(server->listen(QHostAddress::LocalHost, 0), QString());
    }

    QByteArray prefix() const { return "/" + server->token().toLatin1() + "/"; }

    // The whole answer to one request sent on a connection of its own.
    QByteArray answer(const QByteArray& request) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, server->port());
        // A connection from an address shut out is closed at once.
        EXPECT_TRUE(waitUntil([&] {
            return socket.state() == QAbstractSocket::ConnectedState ||
                   socket.state() == QAbstractSocket::UnconnectedState;
        }));
        socket.write(request);
        QByteArray got;
        EXPECT_TRUE(waitUntil([&] {
            got += socket.readAll();
            return socket.state() == QAbstractSocket::UnconnectedState || got.contains("\r\n\r\n");
        }));
        // A refusal closes the connection after it.
        waitUntil(
            [&] {
                got += socket.readAll();
                return socket.state() == QAbstractSocket::UnconnectedState;
            },
            got.startsWith("HTTP/1.1 403") ? 10000 : 0);
        return got + socket.readAll();
    }

    // A live client on `path` (the token's by default), connected.
    std::unique_ptr<QWebSocket> viewer(const QString& query = {}) {
        auto ws = std::make_unique<QWebSocket>();
        QObject::connect(ws.get(), &QWebSocket::textMessageReceived,
                         [this](const QString& text) { received << text; });
        const std::size_t before = joined.size();
        ws->open(QUrl(QStringLiteral("ws://127.0.0.1:%1/%2/live%3")
                          .arg(server->port())
                          .arg(server->token(), query)));
        EXPECT_TRUE(waitUntil([&] { return joined.size() > before; }));
        EXPECT_TRUE(waitUntil([&] { return ws->state() == QAbstractSocket::ConnectedState; }));
        return ws;
    }

    std::unique_ptr<WebServer> server;
    std::vector<std::uint64_t> joined;
    std::vector<std::uint64_t> left;
    int lastPoints = -1;
    QStringList received;
    std::int64_t clockMs = 0;
};

TEST_F(WebServerTest, EveryRequestWithoutTheTokenGetsA403AndNothingElse) {
    const QByteArray token = server->token().toLatin1();
    QByteArray wrong = token;
    wrong[0] = wrong[0] == 'A' ? 'B' : 'A';
    const QByteArray bigHead =
        "GET " + prefix() + " HTTP/1.1\r\nX-Pad: " + QByteArray(9000, 'x') + "\r\n\r\n";
    const std::vector<std::pair<const char*, QByteArray>> cases = {
        {"the root", "GET / HTTP/1.1\r\nHost: x\r\n\r\n"},
        {"a file without the token", "GET /page.js HTTP/1.1\r\nHost: x\r\n\r\n"},
        {"a wrong token", "GET /" + wrong + "/ HTTP/1.1\r\nHost: x\r\n\r\n"},
        {"the token cut short", "GET /" + token.left(21) + "/ HTTP/1.1\r\nHost: x\r\n\r\n"},
        {"the token without its slash", "GET /" + token + " HTTP/1.1\r\nHost: x\r\n\r\n"},
        {"the token in the query", "GET /?t=" + token + " HTTP/1.1\r\nHost: x\r\n\r\n"},
        {"a POST with the token", "POST " + prefix() + " HTTP/1.1\r\nContent-Length: 0\r\n\r\n"},
        {"a lower-case method", "get " + prefix() + " HTTP/1.1\r\nHost: x\r\n\r\n"},
        {"the live feed without the token", upgradeRequest("/live")},
        {"the live feed under a wrong token", upgradeRequest("/" + wrong + "/live")},
        {"a head over the size limit", bigHead},
        {"a body with the token (it would hold its connection)",
         "GET " + prefix() + " HTTP/1.1\r\nContent-Length: 300000000\r\n\r\n" +
             QByteArray(9000, 'x')},
        {"a chunked body with the token",
         "GET " + prefix() + " HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n"},
        {"garbage", QByteArray("\x16\x03\x01\x02\x00", 5)},
    };
    for (const auto& [name, request] : cases) {
        EXPECT_EQ(answer(request), kForbiddenAnswer) << name;
    }
    EXPECT_TRUE(joined.empty());
}

TEST_F(WebServerTest, AViewerGetsWhatIsBroadcastAndSaysHowManyPoints) {
    const std::vector<std::pair<const char*, int>> asked = {{"?points=-5", 1000},
                                                            {"?points=abc", 1000},
                                                            {"?points=999999999999", 1000},
                                                            {"?points=99999", 4000},
                                                            {"", 1000},
                                                            {"?points=390", 390}};
    std::unique_ptr<QWebSocket> ws;
    for (const auto& [query, points] : asked) {
        ws = viewer(QString::fromLatin1(query));
        EXPECT_EQ(lastPoints, points) << query;
    }
    // Pings are answered and the viewer stays.
    bool pong = false;
    QObject::connect(ws.get(), &QWebSocket::pong, [&] { pong = true; });
    ws->ping("are you there");
    ASSERT_TRUE(waitUntil([&] { return pong; }));
    server->send(joined.back(), R"({"t":"hello"})");
    server->broadcast(R"({"t":"row"})");
    ASSERT_TRUE(waitUntil([&] { return received.size() == 2; }));
    EXPECT_EQ(received, (QStringList{R"({"t":"hello"})", R"({"t":"row"})"}));
    EXPECT_EQ(std::count(left.begin(), left.end(), joined.back()), 0) << "it stays";
}

TEST_F(WebServerTest, AViewerThatSendsAnythingButPingsIsClosed) {
    const std::vector<std::pair<const char*, std::function<void(QWebSocket&)>>> cases = {
        {"a text message", [](QWebSocket& ws) { ws.sendTextMessage(QStringLiteral("hi")); }},
        {"a binary message", [](QWebSocket& ws) { ws.sendBinaryMessage("\x01\x02"); }},
        {"a message over the frame limit",
         [](QWebSocket& ws) { ws.sendBinaryMessage(QByteArray(4096, 'x')); }},
    };
    for (const auto& [name, send] : cases) {
        auto ws = viewer();
        const std::size_t before = left.size();
        send(*ws);
        EXPECT_TRUE(waitUntil([&] { return left.size() > before; })) << name;
        EXPECT_TRUE(waitUntil([&] { return ws->state() == QAbstractSocket::UnconnectedState; }))
            << name;
    }
    EXPECT_EQ(server->liveClientCount(), 0);
}

// The token opens the page and its files; a new one closes the old viewers
// and refuses the old address.
TEST_F(WebServerTest, ANewTokenClosesTheOldViewersAndRefusesTheOldAddress) {
    const QByteArray page = answer("GET " + prefix() + " HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_TRUE(page.startsWith("HTTP/1.1 200")) << page.constData();
    EXPECT_TRUE(page.contains("Referrer-Policy: no-referrer")) << page.constData();
    const QByteArray missing = answer("GET " + prefix() + "nothing HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_TRUE(missing.startsWith("HTTP/1.1 404")) << missing.constData();
    auto ws = viewer();
    const QByteArray oldPrefix = prefix();
    server->renewToken();
    EXPECT_TRUE(waitUntil([&] { return ws->state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_EQ(answer("GET " + oldPrefix + " HTTP/1.1\r\nHost: x\r\n\r\n"), kForbiddenAnswer);
    EXPECT_TRUE(
        answer("GET " + prefix() + " HTTP/1.1\r\nHost: x\r\n\r\n").startsWith("HTTP/1.1 200"));
    EXPECT_TRUE(server->pageUrl().contains(server->token()));
}

TEST_F(WebServerTest, IdleConnectionsNeverKeepAViewerOut) {
    // Slowloris: 40 connections that send a part of a head and wait.
    std::vector<std::unique_ptr<QTcpSocket>> idle;
    for (int i = 0; i < 40; ++i) {
        idle.push_back(std::make_unique<QTcpSocket>());
        idle.back()->connectToHost(QHostAddress::LocalHost, server->port());
        ASSERT_TRUE(
            waitUntil([&] { return idle.back()->state() == QAbstractSocket::ConnectedState; }));
        idle.back()->write("GET /");
    }
    ASSERT_TRUE(waitUntil([&] { return server->waitingCount() == WebLimits{}.gateConnections; }));
    for (int i = 0; i < 10; ++i) {
        const QByteArray page = answer("GET " + prefix() + " HTTP/1.1\r\nHost: x\r\n\r\n");
        EXPECT_TRUE(page.startsWith("HTTP/1.1 200")) << "page load " << i;
    }
    auto ws = viewer();
    EXPECT_EQ(server->liveClientCount(), 1);
}

// The attack that read a token one character at a time: the answer to a
// right first character was to wait, to a wrong one a 403 at once.
TEST_F(WebServerTest, TheTokenCannotBeReadOneCharacterAtATime) {
    WebLimits limits = quick();
    limits.refusalsPerAddress = 1000;
    limits.headMs = 30;
    start(limits);
    const QByteArray token = server->token().toLatin1();
    const QByteArray alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    for (int known : {0, 21}) {
        for (const char c : alphabet) {
            const QByteArray guess = token.left(known) + c;
            // A part of a head, and a whole head with the rest wrong.
            EXPECT_EQ(answer("GET /" + guess), kForbiddenAnswer) << guess.constData();
            EXPECT_EQ(answer("GET /" + guess + QByteArray(21 - known, '.') +
                             "/ HTTP/1.1\r\nHost: x\r\n\r\n"),
                      guess == token ? answer("GET " + prefix() + " HTTP/1.1\r\nHost: x\r\n\r\n")
                                     : kForbiddenAnswer)
                << guess.constData();
        }
    }
}

TEST_F(WebServerTest, AnAddressRefusedTooOftenIsShutOutForAWhileAndToldInOneLine) {
    WebLimits limits = quick();
    limits.refusalsPerAddress = 3;
    limits.shutOutMs = 1000;
    limits.noticeMs = 200;
    start(limits);
    QStringList notices;
    QObject::connect(server.get(), &WebServer::notice,
                     [&](const QString& text) { notices << text; });
    const QByteArray wrong = "GET /nothing/ HTTP/1.1\r\nHost: x\r\n\r\n";
    const QByteArray right = "GET " + prefix() + " HTTP/1.1\r\nHost: x\r\n\r\n";
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(answer(wrong), kForbiddenAnswer) << i;
    }
    // Shut out: even the token gets no answer, until the time has passed.
    EXPECT_EQ(answer(right), QByteArray());
    clockMs += 1001;
    EXPECT_TRUE(answer(right).startsWith("HTTP/1.1 200"));
    // Again: twice as long.
    for (int i = 0; i < 4; ++i) {
        answer(wrong);
    }
    clockMs += 1001;
    EXPECT_EQ(answer(right), QByteArray());
    clockMs += 1000;
    EXPECT_TRUE(answer(right).startsWith("HTTP/1.1 200"));
    // Told in a line now and then, never a line each.
    const auto told = [&] {
        int refused = 0;
        for (const QString& line : notices) {
            const QRegularExpressionMatch m =
                QRegularExpression(QStringLiteral("refused (\\d+) request")).match(line);
            refused += m.hasMatch() ? m.captured(1).toInt() : 0;
        }
        return refused;
    };
    ASSERT_TRUE(waitUntil([&] { return told() == 8; })) << notices.join('\n').toStdString();
    EXPECT_TRUE(notices.front().contains("127.0.0.1")) << notices.front().toStdString();
}

TEST_F(WebServerTest, ViewersThatLeaveMakeRoomForOthers) {
    WebLimits limits;
    limits.connections = 2;
    start(limits);
    for (int i = 0; i < 5; ++i) {
        auto ws = viewer();
        ASSERT_EQ(server->liveClientCount(), 1) << "viewer " << i;
        const std::size_t before = left.size();
        ws->close();
        ASSERT_TRUE(waitUntil([&] { return left.size() > before; })) << "viewer " << i;
        ASSERT_TRUE(waitUntil([&] { return server->connectionCount() == 0; })) << "viewer " << i;
    }
}

TEST_F(WebServerTest, AViewerThatDoesNotReadIsDroppedAndTheOthersGoOn) {
    WebLimits limits;
    limits.queuedBytes = 256 * 1024;
    start(limits);
    auto reader = viewer();
    // A client that takes the WebSocket and then reads nothing more.
    QTcpSocket stuck;
    stuck.connectToHost(QHostAddress::LocalHost, server->port());
    ASSERT_TRUE(waitUntil([&] { return stuck.state() == QAbstractSocket::ConnectedState; }));
    const std::size_t before = joined.size();
    stuck.write(upgradeRequest(prefix() + "live"));
    ASSERT_TRUE(waitUntil([&] { return joined.size() > before; }));
    stuck.setReadBufferSize(1);
    const std::uint64_t stuckId = joined.back();

    const QByteArray message(64 * 1024, 'x');
    int sent = 0;
    // However large the system's socket buffers are, they fill well before this.
    while (std::find(left.begin(), left.end(), stuckId) == left.end() && sent < 2000) {
        server->broadcast(message);
        ++sent;
        waitUntil([&] { return received.size() >= sent; }, 1000);
    }
    EXPECT_NE(std::find(left.begin(), left.end(), stuckId), left.end()) << sent << " sent";
    EXPECT_EQ(reader->state(), QAbstractSocket::ConnectedState);
    EXPECT_TRUE(waitUntil([&] { return received.size() == sent; }));
}

TEST_F(WebServerTest, AServerWithoutATokenServesItsMadeFilesAndNoLiveFeed) {
    server = std::make_unique<WebServer>(quick());
    server->openWithoutToken();
    int made = 0;
    server->addMadeFile(QStringLiteral("metrics"), "text/plain",
                        [&] { return QByteArray::number(++made); });
    ASSERT_EQ(server->listen(QHostAddress::LocalHost, 0), QString());
    const QByteArray get = "GET /metrics HTTP/1.1\r\nHost: x\r\n\r\n";
    const struct {
        const char* name;
        QByteArray request;
        QByteArray status;
        QByteArray bodyEnd;
    } cases[] = {
        {"made for the request", get, "HTTP/1.1 200", "\r\n\r\n1"},
        {"made anew", get, "HTTP/1.1 200", "\r\n\r\n2"},
        {"not there", "GET /page.js HTTP/1.1\r\nHost: x\r\n\r\n", "HTTP/1.1 404", ""},
        {"not a GET", "POST /metrics HTTP/1.1\r\nContent-Length: 0\r\n\r\n", "HTTP/1.1 403", ""},
        {"no live feed", upgradeRequest("/x/live"), "", ""},
    };
    for (const auto& c : cases) {
        const QByteArray got = answer(c.request);
        EXPECT_TRUE(got.startsWith(c.status)) << c.name << ": " << got.constData();
        EXPECT_TRUE(got.endsWith(c.bodyEnd)) << c.name << ": " << got.constData();
    }
    EXPECT_TRUE(joined.empty());
    EXPECT_EQ(server->pageUrl(), QStringLiteral("http://127.0.0.1:%1/").arg(server->port()));
}

TEST(ListenAddress, TakesAPortAndAnAddress) {
    struct Case {
        const char* text;
        const char* host;  // nullptr: refused
        quint16 port;
    };
    const std::vector<Case> cases = {
        {"8080", "127.0.0.1", 8080},
        {"0", "127.0.0.1", 0},
        {"*:8080", "*", 8080},
        {"0.0.0.0:80", "0.0.0.0", 80},
        {"192.168.1.20:8080", "192.168.1.20", 8080},
        {"[::1]:9000", "::1", 9000},
        {"65536", nullptr, 0},
        {"-1", nullptr, 0},
        {"+80", nullptr, 0},
        {"", nullptr, 0},
        {"host.example:80", nullptr, 0},
        {"127.0.0.1:", nullptr, 0},
    };
    for (const Case& c : cases) {
        QHostAddress host;
        quint16 port = 1;
        const QString error = parseListenAddress(QString::fromLatin1(c.text), host, port);
        if (c.host == nullptr) {
            EXPECT_FALSE(error.isEmpty()) << c.text;
        } else {
            EXPECT_EQ(error, QString()) << c.text;
            const QHostAddress want = c.host == std::string_view("*")
                                          ? QHostAddress(QHostAddress::Any)
                                          : QHostAddress(QString::fromLatin1(c.host));
            EXPECT_EQ(host, want) << c.text;
            EXPECT_EQ(port, c.port) << c.text;
        }
    }
}

TEST(WebToken, IsLongRandomAndUrlSafe) {
    const QString a = makeWebToken();
    const QString b = makeWebToken();
    EXPECT_EQ(a.size(), 22);
    EXPECT_NE(a, b);
    for (QChar c : a) {
        EXPECT_TRUE(c.isLetterOrNumber() || c == u'-' || c == u'_') << a.toStdString();
    }
}

}  // namespace
}  // namespace cellwatch::net
