// A Mosquitto broker of the tests' own on a free port of 127.0.0.1, with
// anonymous access; stopped (and its folder removed) when it goes.
#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <functional>

#include "tests/support/event_wait.h"

namespace cellwatch::nettest {

class TestBroker {
public:
    // Starts the broker; throws std::runtime_error when it cannot.
    TestBroker();
    ~TestBroker();
    TestBroker(const TestBroker&) = delete;
    TestBroker& operator=(const TestBroker&) = delete;

    std::uint16_t port() const { return port_; }
    // "mqtt://127.0.0.1:PORT/name".
    QString address(const QString& name) const;

    // Stops it (the port stays reserved for start()).
    void stop();
    // Kills it: it ends without a word to its clients (no last wills).
    void kill();
    // Starts it again on the same port and waits until it takes connections.
    void start();
    bool running() const { return process_.state() == QProcess::Running; }

private:
    QTemporaryDir dir_;
    QProcess process_;
    std::uint16_t port_ = 0;
};

using testing::waitUntil;

}  // namespace cellwatch::nettest
