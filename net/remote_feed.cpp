#include "net/remote_feed.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <QTimeZone>

#include "protocol/reading_format.h"

namespace cellwatch::net {

QStringList RemoteFeed::topics(const BrokerAddress& address) {
    // The resume before the start: its retained copy is there when the
    // start's is played. A recording's resume and events come without a
    // channel level from a charger of one channel, with it from one of several.
    QStringList topics;
    if (address.channel <= 1) {
        topics << address.topic(QStringLiteral("resume"));
    }
    // No channel named: every channel's (the charger's as a whole shown).
    topics << (address.channel == 0 ? address.topic(QStringLiteral("+/resume"))
                                    : address.channelTopic(QStringLiteral("resume")));
    topics << address.topic(QStringLiteral("status")) << address.topic(QStringLiteral("start"))
           << address.topic(QStringLiteral("raw"));
    if (address.channel <= 1) {
        topics << address.topic(QStringLiteral("event"));
    }
    topics << (address.channel == 0 ? address.topic(QStringLiteral("+/event"))
                                    : address.channelTopic(QStringLiteral("event")));
    return topics;
}

RemoteFeed::RemoteFeed(MqttClient& client, Receiver receiver, ManualTickClock& ticks,
                       WallSetter setWall, QObject* parent)
    : QObject(parent),
      client_(client),
      receiver_(std::move(receiver)),
      ticks_(ticks),
      setWall_(std::move(setWall)),
      unverified_([this](std::uint64_t since, std::uint64_t total) {
          // Said as the report is made: its figures, then its line.
          WatchNotice n{WatchNotice::Kind::Unverified};
          n.topic = client_.options().address.topic(QStringLiteral(""));
          n.count = static_cast<std::int64_t>(since);
          n.total = total;
          emit noticed(n);
          return watchNoticeLine(n);
      }) {
    connect(&unverified_, &DropReport::report, this, &RemoteFeed::problem);
    connect(&client_, &MqttClient::message, this, &RemoteFeed::take);
    connect(&client_, &MqttClient::connected, this, [this] { connected_ = true; });
    connect(&client_, &MqttClient::disconnected, this, [this](const QString& why) {
        WatchNotice n{WatchNotice::Kind::BrokerGone, why};
        n.failure = client_.lastFailure();
        n.wasConnected = connected_;
        loseOnce(n);
    });
    client_.subscribe(topics(client_.options().address));
}

void RemoteFeed::setKey(const QByteArray& key) {
    auth_.emplace(key);
}

void RemoteFeed::loseOnce(const WatchNotice& why) {
    if (lost_) {
        return;
    }
    lost_ = true;
    running_ = false;
    emit noticed(why);
    emit lost(watchNoticeLine(why));
}

void RemoteFeed::tell(const WatchNotice& notice) {
    emit noticed(notice);
    emit problem(watchNoticeLine(notice));
}

std::optional<QByteArray> RemoteFeed::open(const QString& topic, const QString& leaf,
                                           const QByteArray& wire, std::uint64_t& sequence) {
    std::optional<MessageAuth::Verified> verified = auth_->verify(topic, wire);
    const auto last = lastSequence_.constFind(leaf);
    if (!verified || (last != lastSequence_.cend() && verified->sequence <= *last)) {
        if (!verified && MessageAuth::looksSigned(topic, wire) && lastSequence_.isEmpty()) {
            tellOnce(toldSigned_, {WatchNotice::Kind::OtherKey});
        }
        unverified_.count();
        return std::nullopt;
    }
    lastSequence_.insert(leaf, verified->sequence);
    sequence = verified->sequence;
    return std::move(verified->payload);
}

void RemoteFeed::take(const QString& topic, const QByteArray& wire) {
    if (lost_) {
        return;
    }
    const QString leaf = topic.section(u'/', -1);
    if (leaf != QLatin1String("status") && leaf != QLatin1String("start") &&
        leaf != QLatin1String("raw") && leaf != QLatin1String("resume") &&
        leaf != QLatin1String("event")) {
        return;
    }
    const int channel = channelOf(topic);
    if (channel < 0) {
        return;
    }
    std::uint64_t sequence = 0;
    std::optional<QByteArray> payload;
    if (auth_) {
        // Another channel's messages are numbered apart from the watched
        // one's: the broker hands their retained copies in any order.
        payload = open(topic, ownChannel(channel) ? leaf : QString::number(channel) + u'/' + leaf,
                       wire, sequence);
        if (!payload) {
            return;
        }
    } else {
        if (leaf == QLatin1String("status") && MessageAuth::looksSigned(topic, wire)) {
            tellOnce(toldSigned_, {WatchNotice::Kind::NeedsKey});
        }
        payload = wire;
    }
    if (leaf == QLatin1String("status")) {
        takeStatus(*payload, sequence);
    } else if (leaf == QLatin1String("start")) {
        takeStart(*payload, sequence);
    } else if (leaf == QLatin1String("resume")) {
        takeResume(*payload, sequence, channel);
    } else if (leaf == QLatin1String("event")) {
        takeEvent(*payload, sequence);
    } else {
        takeRaw(*payload, sequence);
    }
}

void RemoteFeed::takeStatus(const QByteArray& payload, std::uint64_t sequence) {
    if (payload == kOnline) {
        online_ = true;
    } else if (payload == kOffline) {
        online_ = false;
        offlineSequence_ = std::max(offlineSequence_, sequence);
        // Signed: an "offline" of an earlier connection (a will the broker
        // gives out late, or one published again) is not this start's end.
        if (running_ && (!auth_ || sequence > startSequence_)) {
            loseOnce({WatchNotice::Kind::Offline});
        }
    }
}

void RemoteFeed::takeStart(const QByteArray& payload, std::uint64_t sequence) {
    const std::optional<CaptureStart> start = parseStart(payload);
    if (!start) {
        tell({WatchNotice::Kind::NoStart});
        return;
    }
    // Signed, the numbers tell which came last: a start older than the last
    // "offline" is left over from an earlier run, whatever the status now.
    if (auth_ ? sequence < offlineSequence_ : !online_) {
        return;  // left over from an earlier run
    }
    if (running_) {
        if (start->wallMs != start_->wallMs || start->ticks != start_->ticks ||
            start->utcOffsetSeconds != start_->utcOffsetSeconds) {
            loseOnce({WatchNotice::Kind::BeganAnew});
        }
        startSequence_ = sequence;
        return;  // published again after the publisher reconnected
    }
    if (auth_ && !liveRun(*start)) {
        pendingStart_ = std::make_pair(*start, sequence);  // until a fresh resume of it
        return;
    }
    begin(*start, sequence);
}

bool RemoteFeed::liveRun(const CaptureStart& start) const {
    return freshResume_ && resume_ && resume_->connectionTicks == start.ticks;
}

void RemoteFeed::begin(const CaptureStart& start, std::uint64_t sequence) {
    pendingStart_.reset();
    start_ = start;
    startSequence_ = sequence;
    // Signed, a record counts only when published after the resume that
    // showed the run live: earlier ones of the run, published again, are
    // in the resume already.
    floorSequence_ = auth_ ? resumeSequence_ : 0;
    running_ = true;
    ticks_.set(start.ticks);
    setWall_(QDateTime::fromMSecsSinceEpoch(start.wallMs, QTimeZone(start.utcOffsetSeconds)));
    emit started(start);
}

void RemoteFeed::tellOnce(bool& told, const WatchNotice& notice) {
    if (!told) {
        told = true;
        tell(notice);
    }
}

void RemoteFeed::takeRaw(const QByteArray& payload, std::uint64_t sequence) {
    if (!running_) {
        return;
    }
    if (auth_ && (sequence < startSequence_ || sequence <= floorSequence_)) {
        unverified_.count();  // of an earlier connection or run, published again
        return;
    }
    if (!parseRecord(payload, record_, start_->driver != ReadingFormat::kDriverId)) {
        WatchNotice n{WatchNotice::Kind::NoRecord};
        n.count = payload.size();
        tell(n);
        return;
    }
    const QDateTime wall =
        QDateTime::fromMSecsSinceEpoch(record_.wallMs, QTimeZone(start_->utcOffsetSeconds));
    if (!wall.isValid()) {
        tell({WatchNotice::Kind::RecordNoDate});
        return;
    }
    if (record_.direction == CaptureDirection::Sent) {
        ++requests_;  // what the publisher asked the charger: nothing to decode
        return;
    }
    ticks_.set(record_.ticks);
    setWall_(wall);
    receiver_(record_.bytes);
    ++played_;
}

// The publisher's own line was lost (its adapter pulled) while the
// publisher goes on: that is this watch's link lost too. Signed, only one
// after this start counts.
void RemoteFeed::takeEvent(const QByteArray& payload, std::uint64_t sequence) {
    if (!running_ || (auth_ && sequence < startSequence_)) {
        return;
    }
    const QJsonObject o = QJsonDocument::fromJson(payload).object();
    if (o.value(QLatin1String("event")).toString() == QLatin1String("lost")) {
        loseOnce({WatchNotice::Kind::LineLost});
    }
}

int RemoteFeed::channelOf(const QString& topic) const {
    const QString prefix = client_.options().address.topic(QString());
    if (!topic.startsWith(prefix)) {
        return -1;
    }
    const QString rest = topic.mid(prefix.size());
    const qsizetype cut = rest.indexOf(u'/');
    if (cut < 0) {
        return 0;
    }
    bool ok = false;
    const int channel = rest.left(cut).toInt(&ok);
    return ok && channel >= 1 && channel <= kMostAddressChannels ? channel : -1;
}

bool RemoteFeed::ownChannel(int channel) const {
    return channel == 0 || channel == std::max(client_.options().address.channel, 1);
}

void RemoteFeed::takeResume(const QByteArray& payload, std::uint64_t sequence, int channel) {
    std::optional<ResumeState> state = parseResumeJson(payload);
    if (!state) {
        tell({WatchNotice::Kind::NoResume});
        return;
    }
    if (auth_ && !running_) {
        const std::int64_t age = nowMs() - state->sentMs;
        if (age > kFreshMs || age < -kSkewMs) {
            WatchNotice n{WatchNotice::Kind::StaleRun};
            if (state->sentMs != 0) {
                n.sent = QDateTime::fromMSecsSinceEpoch(state->sentMs);
            }
            n.count = age / 60'000;
            tellOnce(toldStale_, n);
            return;
        }
        if (ownChannel(channel)) {
            freshResume_ = true;
            resumeSequence_ = sequence;
        }
    }
    if (!ownChannel(channel)) {
        otherResumes_.insert(channel, std::move(*state));
        return;
    }
    resume_ = std::move(state);
    if (pendingStart_ && liveRun(pendingStart_->first)) {
        const auto [start, startSequence] = *pendingStart_;
        begin(start, startSequence);
    }
}

std::int64_t RemoteFeed::nowMs() const {
    return nowMs_ ? nowMs_() : QDateTime::currentMSecsSinceEpoch();
}

std::optional<ResumeState> RemoteFeed::channelResume(int channel) const {
    if (ownChannel(channel)) {
        return resume();
    }
    const auto found = otherResumes_.constFind(channel);
    if (found == otherResumes_.cend() || !start_ || found->connectionTicks != start_->ticks) {
        return std::nullopt;
    }
    return *found;
}

std::optional<ResumeState> RemoteFeed::resume() const {
    if (!resume_ || !start_ || resume_->connectionTicks != start_->ticks) {
        return std::nullopt;
    }
    return resume_;
}

}  // namespace cellwatch::net
