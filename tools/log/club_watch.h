// Every charger on a broker into one time-series database and/or one
// metrics endpoint: what a club runs as one writer (cellwatch-log --port
// mqtt://HOST/# --influx URL --metrics PORT).
//
// A client of its own listens to every charger's status
// (cellwatch/+/status); each charger that says it is online gets a live
// session of its own, watching it (session/watch_source.h) as a watch of
// that one charger would, and its rows and alarms go to the shared writer
// (session/influx_feed.h), tagged with the charger's name, and to the
// metrics feeds that follow the club. A charger that was lost keeps its
// session (its link down) and is watched again when it comes back online.
// Nothing is journaled.
#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "alarms/alarm_rules.h"
#include "net/influx_writer.h"
#include "net/mqtt_client.h"
#include "session/metrics_feed.h"

class QCoreApplication;

namespace cellwatch::logger {

struct LogOptions;

class ClubWatch final : public QObject {
    Q_OBJECT
public:
    // How many chargers are watched at most; more are told once, and left.
    static constexpr int kMostChargers = 1000;
    // A watch lost while its charger is still online is begun again this
    // much later (a publisher that began anew).
    static constexpr int kWatchAgainMs = 1000;

    // `broker` names no charger; with a `key` (empty: none) only signed
    // messages count; rows go to `writer` (null: no database). Throws
    // net::MqttError when the client cannot be set up.
    ClubWatch(net::MqttOptions broker, QByteArray key, net::InfluxWriter* writer,
              const alarms::AlarmSettings& alarms, QObject* parent = nullptr);
    ~ClubWatch() override;

    net::MqttClient& client() { return client_; }
    // `metrics` follows every charger watched so far and from now on,
    // labelled with its published name. It outlives the watch.
    void followIn(session::MetricsFeed& metrics);
    // Connects and listens for chargers.
    void start();
    // Stops every watch.
    void stop();

    int chargers() const { return static_cast<int>(chargers_.size()); }
    std::uint64_t rowsSent() const;

signals:
    void notice(const QString& text);
    // A row went to the writer: recorded at `rowMs` (ms since 1970 UTC, on
    // the publisher's clock).
    void rowSent(qint64 rowMs);

private:
    struct Charger;
    void heard(const QString& topic, const QByteArray& payload);
    void watch(const QString& name);
    void lost(const QString& name);

    net::MqttOptions broker_;
    QByteArray key_;
    net::InfluxWriter* writer_;
    std::vector<session::MetricsFeed*> metrics_;
    alarms::AlarmSettings alarms_;
    net::MqttClient client_;
    std::map<QString, std::unique_ptr<Charger>> chargers_;
    bool toldMost_ = false;
    bool stopped_ = false;
};

// cellwatch-log with every charger of a broker (LogOptions::everyCharger):
// runs until Ctrl-C or SIGTERM, then sends what is owed and says how it
// went. `say` writes one line on standard error. The exit status.
int runClubLog(QCoreApplication& app, const LogOptions& options,
               const std::function<void(const QString&)>& say);

}  // namespace cellwatch::logger
