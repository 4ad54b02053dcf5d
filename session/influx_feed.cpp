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
    const Reading reading = session_.rows(channel).reading(row);
    const std::int64_t began = session_.recording(channel).recordingStart().toMSecsSinceEpoch();
    line_.clear();
    net::appendInfluxRow(line_, tags(channel), reading,
                         (began + static_cast<std::int64_t>(reading.elapsedMs)) * kNsPerMs);
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
