// Every row and alarm of a live session's channels, as lines for a
// time-series database (net/influx_line.h) handed to a writer
// (net/influx_writer.h). The feed observes the session, so the window,
// cellwatch-log and a network watcher send alike; it never waits: the
// writer queues.
#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <string>

#include "net/influx_line.h"
#include "net/influx_writer.h"
#include "session/live_session.h"

namespace cellwatch::session {

class InfluxFeed final : public QObject {
    Q_OBJECT
public:
    // `charger` names the charger in every line (empty: the session's
    // driver id); `pack` the pack (empty: none).
    InfluxFeed(LiveSession& session, net::InfluxWriter& writer, QString charger = {},
               QString pack = {}, QObject* parent = nullptr);

    void setCharger(const QString& name) { charger_ = name.toStdString(); }
    void setPack(const QString& name) { pack_ = name.toStdString(); }
    std::uint64_t rowsSent() const { return rows_; }
    std::uint64_t alarmsSent() const { return alarms_; }

private:
    net::InfluxTags tags(int channel) const;
    void row(int channel, int row);
    void alarm(int channel, const alarms::Alarm& alarm);

    LiveSession& session_;
    net::InfluxWriter& writer_;
    std::string charger_;
    std::string pack_;
    std::string line_;  // kept for its room
    std::uint64_t rows_ = 0;
    std::uint64_t alarms_ = 0;
};

}  // namespace cellwatch::session
