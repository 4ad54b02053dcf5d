// A Mosquitto broker of the tests' own on a free port of 127.0.0.1, with
// anonymous access or with users and an access control list; stopped (and
// its folder removed) when it goes.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdint>
#include <functional>
#include <vector>

#include <utility>
#include <vector>
#include "protocol/receive_assembler.h"

#include "tests/support/event_wait.h"

namespace cellwatch::nettest {

class TestBroker {
public:
    // Who may log in, and what they may do: the text of an ACL file
    // ("user NAME" then "topic read|write|readwrite PATTERN" lines).
    struct Access {
        std::vector<std::pair<QString, QString>> users;  // name, password
        QString acl;
    };

    // The server's certificate and key of a broker that speaks TLS only.
    struct Tls {
        QString certFile;
        QString keyFile;
    };

    // Starts the broker; throws std::runtime_error when it cannot.
    TestBroker();
    // One that speaks TLS with `tls`'s certificate, to anyone.
    explicit TestBroker(const Tls& tls);
    // One that takes only `access.users`, each allowed what the ACL says.
    explicit TestBroker(const Access& access);
    ~TestBroker();
    TestBroker(const TestBroker&) = delete;
    TestBroker& operator=(const TestBroker&) = delete;

    std::uint16_t port() const { return port_; }
    // "mqtt://127.0.0.1:PORT/name", or "mqtt://USER@127.0.0.1:PORT/name".
    QString address(const QString& name, const QString& user = {}) const;
    // A file in the broker's folder holding `text` (mode 0600).
    QString writeFile(const QString& name, const QByteArray& text) const;

    // Stops it (the port stays reserved for start()).
    void stop();
    // Kills it: it ends without a word to its clients (no last wills).
    void kill();
    // Starts it again on the same port and waits until it takes connections.
    void start();
    bool running() const { return process_.state() == QProcess::Running; }

private:
    void configure(const QByteArray& extra);

    QTemporaryDir dir_;
    QProcess process_;
    std::uint16_t port_ = 0;
};

using testing::waitUntil;

// Frames handed over by the receive path, with their start ticks.
struct Frames final : StatusFrameSink {
    void decodeStatus76(const StatusFrame&, std::uint32_t tick) override { ticks.push_back(tick); }
    void decodeStatus112(const StatusFrame&, std::uint32_t tick) override { ticks.push_back(tick); }
    std::vector<std::uint32_t> ticks;
};

}  // namespace cellwatch::nettest
