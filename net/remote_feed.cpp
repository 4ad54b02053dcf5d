#include "net/remote_feed.h"

#include <QTimeZone>

namespace cellwatch::net {

QStringList RemoteFeed::topics(const BrokerAddress& address) {
    return {address.topic(QStringLiteral("status")), address.topic(QStringLiteral("start")),
            address.topic(QStringLiteral("raw"))};
}

RemoteFeed::RemoteFeed(MqttClient& client, ReceiveAssembler& assembler, ManualTickClock& ticks,
                       WallSetter setWall, QObject* parent)
    : QObject(parent),
      client_(client),
      assembler_(assembler),
      ticks_(ticks),
      setWall_(std::move(setWall)) {
    connect(&client_, &MqttClient::message, this, &RemoteFeed::take);
    connect(&client_, &MqttClient::disconnected, this, [this](const QString& why) {
        loseOnce(QStringLiteral("the broker went away: ") + why);
    });
    client_.subscribe(topics(client_.options().address));
}

void RemoteFeed::loseOnce(const QString& why) {
    if (lost_) {
        return;
    }
    lost_ = true;
    running_ = false;
    emit lost(why);
}

void RemoteFeed::take(const QString& topic, const QByteArray& payload) {
    if (lost_) {
        return;
    }
    const QString leaf = topic.section(u'/', -1);
    if (leaf == QLatin1String("status")) {
        if (payload == kOnline) {
            online_ = true;
        } else if (payload == kOffline) {
            online_ = false;
            if (running_) {
                loseOnce(QStringLiteral("the charger went offline"));
            }
        }
        return;
    }
    if (leaf == QLatin1String("start")) {
        const std::optional<CaptureStart> start = parseStart(payload);
        if (!start) {
            emit problem(QStringLiteral("skipped a start message that is no capture header"));
            return;
        }
        if (!online_) {
            return;  // left over from an earlier run
        }
        if (running_) {
            if (start->wallMs != start_->wallMs || start->ticks != start_->ticks ||
                start->utcOffsetSeconds != start_->utcOffsetSeconds) {
                loseOnce(QStringLiteral("the charger's connection began anew"));
            }
            return;  // published again after the publisher reconnected
        }
        start_ = start;
        running_ = true;
        ticks_.set(start->ticks);
        setWall_(QDateTime::fromMSecsSinceEpoch(start->wallMs, QTimeZone(start->utcOffsetSeconds)));
        emit started(*start);
        return;
    }
    if (leaf == QLatin1String("raw")) {
        if (!running_) {
            return;
        }
        if (!parseRecord(payload, record_)) {
            emit problem(
                QStringLiteral("skipped a raw record of %1 bytes that is no capture record")
                    .arg(payload.size()));
            return;
        }
        const QDateTime wall =
            QDateTime::fromMSecsSinceEpoch(record_.wallMs, QTimeZone(start_->utcOffsetSeconds));
        if (!wall.isValid()) {
            emit problem(QStringLiteral("skipped a raw record whose time is no date"));
            return;
        }
        ticks_.set(record_.ticks);
        setWall_(wall);
        port_.feed(record_.bytes);
        assembler_.serviceReceived(port_);
        ++played_;
    }
}

}  // namespace cellwatch::net
