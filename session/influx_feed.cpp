#include "session/influx_feed.h"

#include "readout/row_store.h"

namespace cellwatch::session {
namespace {

constexpr std::int64_t kNsPerMs = 1'000'000;

}  // namespace

InfluxFeed::InfluxFeed(LiveSession& session, net::InfluxWriter& writer, QString charger,
                       QString pack, QObject* parent)
    : QObject(parent),
      session_(session),
      writer_(writer),
      charger_(charger.toStdString()),
      pack_(pack.toStdString()) {
    connect(&session_, &LiveSession::channelRowAppended, this, &InfluxFeed::row);
    connect(&session_, &LiveSession::channelAlarmRaised, this, &InfluxFeed::alarm);
}

net::InfluxTags InfluxFeed::tags(int channel) const {
    net::InfluxTags tags;
    tags.charger = charger_.empty() ? std::string(session_.driver().id()) : charger_;
    tags.channel = channel;
    tags.pack = pack_;
    return tags;
}

void InfluxFeed::row(int channel, int row) {
    if (channel < 1 || channel > session_.channelCount()) {
        return;
    }
    // Its moment is when it was recorded, on the session's clocks (a
    // replay's, a watched publisher's): the elapsed time of a recording's
    // first row is a convention, and two rows may share it.
    const Reading reading = session_.rows(channel).reading(row);
    line_.clear();
    net::appendInfluxRow(line_, tags(channel), reading,
                         session_.clocks().now().toMSecsSinceEpoch() * kNsPerMs);
    writer_.add(line_);
    ++rows_;
}

void InfluxFeed::alarm(int channel, const alarms::Alarm& alarm) {
    std::optional<Decimal> limit;
    if (alarm.kind != alarms::Kind::Lost && channel >= 1 && channel <= session_.channelCount()) {
        limit = session_.alarmMonitor(channel).settings()[alarm.kind].limit;
    }
    line_.clear();
    net::appendInfluxAlarm(line_, tags(channel), alarm, alarm.raisedMs * kNsPerMs, limit);
    writer_.add(line_);
    ++alarms_;
}

}  // namespace cellwatch::session
