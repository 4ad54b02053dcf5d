// Time-series databases of the tests' own: a server started on free ports
// of 127.0.0.1 with its data in a temporary folder, stopped (and the folder
// removed) when it goes. Each throws std::runtime_error when it cannot
// start; a test skips when the program is not installed (installed()).
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>

namespace cellwatch::nettest {

class TestDatabase {
public:
    virtual ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    std::uint16_t port() const { return port_; }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(port_); }
    // The write address rows go to.
    virtual QString writeAddress() const = 0;
    // Rows stored (the cellwatch measurement) for `channel` (0: every
    // channel) of `charger` (empty: every charger).
    virtual long long rowsStored(int channel, const QString& charger = {}) = 0;

    // Stops it; start() brings it back on the same port with the same data.
    void stop();
    void start();
    bool running() const { return process_.state() == QProcess::Running; }

protected:
    TestDatabase();
    void launch(const QString& program, const QStringList& arguments);
    // The path answered once the server takes requests.
    virtual QString readyPath() const = 0;

    QTemporaryDir dir_;
    std::uint16_t port_ = 0;
    QString program_;
    QStringList arguments_;
    QProcess process_;
};

// The 1.x server (`influxd`) with the database "club"; with `auth`, only
// the user "club" (password "secret") may write.
class TestInfluxd final : public TestDatabase {
public:
    static bool installed();
    explicit TestInfluxd(bool auth = false);
    QString writeAddress() const override { return base() + QStringLiteral("/write?db=club"); }
    long long rowsStored(int channel, const QString& charger = {}) override;
    // An InfluxQL query's answer (JSON), as the admin when signing in.
    QByteArray query(const QString& q);

private:
    QString readyPath() const override { return QStringLiteral("/ping"); }
    bool auth_;
};

// The `victoria-metrics` server.
class TestVictoria final : public TestDatabase {
public:
    static bool installed();
    TestVictoria();
    QString writeAddress() const override { return base() + QStringLiteral("/write?db=club"); }
    long long rowsStored(int channel, const QString& charger = {}) override;

private:
    QString readyPath() const override { return QStringLiteral("/health"); }
};

}  // namespace cellwatch::nettest
