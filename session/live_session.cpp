#include "session/live_session.h"

#include <algorithm>

#include "net/publisher.h"
#include "protocol/driver_registry.h"
#include "protocol/tkrx_driver.h"
#include "readout/journal.h"
#include "readout/row_store.h"
#include "serial/capture.h"
#include "session/watch_source.h"

namespace cellwatch::session {

const char* linkStateName(LinkState state) {
    switch (state) {
        case LinkState::Disconnected:
            return "disconnected";
        case LinkState::Connecting:
            return "connecting";
        case LinkState::Connected:
            return "connected";
        case LinkState::Replaying:
            return "replaying";
        case LinkState::Lost:
            return "lost";
        case LinkState::WaitingForAdapter:
            return "waiting for the same adapter";
    }
    return "";
}

LiveSession::LiveSession(SessionParts parts, QObject* parent)
    : QObject(parent),
      parts_(std::move(parts)),
      clocks_(parts_.ticks, parts_.wall),
      router_(channels_,
              {[this] { return recordingNow(); }, [this] { return wantedChannels(); },
               [this] {
                   syncChannels();
                   emit channelsChanged(channelCount());
               },
               [this] { return driverId(); }, [this](const QString& text) { emit notice(text); },
               [this] { onLost(QStringLiteral("the charger stopped answering")); },
               [this] { return watched_; }}) {
    channels_.push_back(makeChannel(1));
    driver_ = makeDriver(kFirstDriverId, router_, router_);
    alarmClock_.setInterval(kAlarmClockMs);
    journalRetry_.setInterval(static_cast<int>(Journal::kRetryMs));
    connect(this, &LiveSession::channelsChanged, this, [this](int count) {
        if (publisher_ != nullptr) {
            publisher_->setChannels(count);
        }
    });
}

LiveSession::~LiveSession() {
    closeSource();
    retired_.clear();
    for (const std::unique_ptr<ChannelRecording>& channel : channels_) {
        channel->endJournal();  // whatever it owes, while the table is there
    }
}

SourceEvents LiveSession::sourceEvents() {
    SourceEvents e;
    e.received = [this](std::span<const std::uint8_t> bytes) { received(bytes); };
    e.take = [this](std::span<const std::uint8_t> bytes) { take(bytes); };
    e.wanted = [this] { return driver_->bytesWanted(); };
    e.serviced = [this] { clocks_.release(); };
    e.started = [this] {
        clocks_.release();
        // The bytes are decoded by a driver of the charger the source names,
        // fresh at its start (one made before, for a log's header, has not
        // yet seen the source's clocks).
        const std::string id = source_ ? source_->chargerDriver() : std::string();
        const DriverEntry* named = id.empty() ? nullptr : findDriver(id);
        if (named != nullptr) {
            setCharger(*named);
        } else if (!id.empty() && id != driver_->id()) {
            stop();
            emit failed(
                QStringLiteral("no driver for the charger %1 (the chargers are: %2)")
                    .arg(QString::fromStdString(id), QString::fromStdString(driverIdsText())));
            return;
        }
        beginRecording();
        setState(source_ && source_->isReplay() ? LinkState::Replaying : LinkState::Connected);
    };
    e.lost = [this](const QString& why) { onLost(why); };
    e.ended = [this] {
        stop();
        emit ended();
    };
    e.failed = [this](const QString& why) {
        stop();
        emit failed(why);
    };
    e.notice = [this](const QString& text) { emit notice(text); };
    e.brokerNotice = [this](const net::BrokerNotice& n) {
        emit brokerNoticed(n);
        emit notice(net::brokerNoticeLine(n));
    };
    e.watchNotice = [this](const net::WatchNotice& n) {
        emit watchNoticed(n);
        emit notice(net::watchNoticeLine(n));
    };
    e.watchLost = [this](const net::WatchNotice& n) { onLost(net::watchNoticeLine(n), n); };
    e.absent = [this](const QString& name, const QString& broker) {
        emit chargerAbsent(name, broker);
    };
    return e;
}

void LiveSession::open(std::unique_ptr<SessionSource> source, bool continuing) {
    const LinkState before = state_;
    const bool interrupted = state_ == LinkState::Lost || state_ == LinkState::WaitingForAdapter;
    if (source_) {
        closeSource();
    }
    clocks_.follow(source->ticks(), source->wall());
    source_ = std::move(source);
    driver_->setAsking(source_->carriesRequests());
    loss_ = LinkLoss::None;
    watchLoss_.reset();
    // A watch of one channel (an address naming it) records that one only.
    const auto* watch = dynamic_cast<const WatchSource*>(source_.get());
    watched_ = watch != nullptr && watch->namedChannel() > 0 ? watch->channel() : 0;
    if (wantedChannels() != channelCount()) {
        syncChannels();
        emit channelsChanged(channelCount());
    }
    if (!source_->beginsAtOpen()) {
        for (const std::unique_ptr<ChannelRecording>& channel : channels_) {
            channel->endJournal();
        }
        // The recording begins at the source's start, which may be told
        // while it opens (a start that came before).
        setState(LinkState::Connecting);
    }
    try {
        source_->open();
    } catch (...) {
        source_.reset();
        clocks_.follow(nullptr, nullptr);
        setState(interrupted ? before : LinkState::Disconnected);
        throw;
    }
    if (driver_->line().writes) {
        sendDue();  // its handshake
    }
    if (!source_->beginsAtOpen()) {
        return;
    }
    if (continuing && interrupted) {
        for (const std::unique_ptr<ChannelRecording>& channel : channels_) {
            channel->resumeAfterLoss();
        }
        alarmClock_.start();
        setState(LinkState::Connected);
        publishMidway();  // a publisher given while the link was lost
        return;
    }
    beginRecording();
    setState(source_->isReplay() ? LinkState::Replaying : LinkState::Connected);
}

void LiveSession::beginRecording() {
    for (const std::unique_ptr<ChannelRecording>& channel : channels_) {
        channel->startRecording();
    }
    ChannelRecording& first = *channels_.front();
    std::vector<std::optional<SessionSource::Resume>> resumes;
    for (const std::unique_ptr<ChannelRecording>& channel : channels_) {
        resumes.push_back(continueChannel(*channel));
    }
    for (const std::unique_ptr<ChannelRecording>& channel : channels_) {
        if (channel.get() != &first) {
            channel->alarms().monitor().setSettings(first.alarms().monitor().settings());
        }
        channel->alarms().connected();
    }
    for (std::size_t i = 0; i < channels_.size(); ++i) {
        resumeRules(*channels_[i], resumes[i]);
    }
    alarmClock_.start();
    nameJournals();
    const bool journaled = source_ && (journalReplays_ || !source_->isReplay());
    const QString watched = source_ ? source_->chargerName() : QString();
    for (const std::unique_ptr<ChannelRecording>& channel : channels_) {
        channel->beginJournaling(journaled, sourceName(), watched);
    }
    const QDateTime begun = recording().recordingStart();
    const CaptureStart start{begun.toMSecsSinceEpoch(), begun.offsetFromUtc(),
                             recording().connectTicks(), std::string(driver_->id())};
    if (capture_ != nullptr) {
        try {
            capture_->writeStart(start);
        } catch (const CaptureError& e) {
            capture_ = nullptr;
            emit captureFailed(QString::fromLocal8Bit(e.what()));
        }
    }
    if (publisher_ != nullptr) {
        connectionTicks_ = start.ticks;
        startPublished_ = true;
        publisher_->setStart(start);
        for (int channel = 1; channel <= channelCount(); ++channel) {
            publishResume(channel, 0);
        }
    }
    emit recordingBegun();
}

void LiveSession::received(std::span<const std::uint8_t> bytes) {
    clocks_.hold();
    if (!recordingNow()) {
        return;
    }
    for (const std::unique_ptr<ChannelRecording>& channel : channels_) {
        channel->alarms().tick();  // what came due before these bytes
    }
    const std::int64_t wallMs = clocks_.now().toMSecsSinceEpoch();
    if (publisher_ != nullptr) {
        publisher_->raw(wallMs, clocks_.tickCount(), bytes);
    }
    if (capture_ != nullptr) {
        try {
            capture_->writeRecord(wallMs, clocks_.tickCount(), bytes);
        } catch (const CaptureError& e) {
            capture_ = nullptr;
            emit captureFailed(QString::fromLocal8Bit(e.what()));
        }
    }
}

bool LiveSession::setCharger(std::string_view id) {
    if (id == driver_->id()) {
        return true;  // the same driver goes on, with what it holds
    }
    const DriverEntry* entry = findDriver(id);
    if (entry == nullptr) {
        return false;
    }
    setCharger(*entry);
    return true;
}

void LiveSession::setCharger(const DriverEntry& entry) {
    driver_ = entry.make(router_, router_, {});
    driver_->setAsking(source_ && source_->carriesRequests());
    router_.resetDropped();
    syncChannels();
    emit channelsChanged(channelCount());
}

void LiveSession::take(std::span<const std::uint8_t> bytes) {
    // One receive event: the lamp flips once, however many messages it brings.
    if (parts_.flipReceiveLamp) {
        parts_.flipReceiveLamp();
    }
    driver_->feed(bytes, clocks_.tickCount());
    if (wantedChannels() != channelCount()) {
        syncChannels();  // the driver learnt how many it has
        emit channelsChanged(channelCount());
    }
    if (driver_->line().writes) {
        sendDue();
    }
}

void LiveSession::take(ByteSource& line) {
    std::vector<std::uint8_t> bytes(line.bytesWaiting());
    bytes.resize(line.read(bytes));
    take(bytes);
}

void LiveSession::sendDue() {
    if (!source_ || !source_->isOpen()) {
        return;
    }
    const std::uint32_t now = clocks_.tickCount();
    for (const DriverRequest& request : driver_->due(now)) {
        source_->send(request.bytes, request.target);
        if (!recordingNow()) {
            continue;
        }
        const std::int64_t wallMs = clocks_.now().toMSecsSinceEpoch();
        if (publisher_ != nullptr) {
            publisher_->raw(wallMs, now, request.bytes, CaptureDirection::Sent);
        }
        if (capture_ != nullptr) {
            try {
                capture_->writeRecord(wallMs, now, request.bytes, CaptureDirection::Sent);
            } catch (const CaptureError& e) {
                capture_ = nullptr;
                emit captureFailed(QString::fromLocal8Bit(e.what()));
            }
        }
    }
    if (const std::optional<std::uint32_t> next = driver_->nextDueMs()) {
        // A time already past (the driver asks at once) waits for nothing.
        const auto wait = static_cast<std::int32_t>(ticksBetween(now, *next));
        pollClock_.start(std::max(0, wait));
    }
}

void LiveSession::setAlarmSettings(const alarms::AlarmSettings& settings) {
    for (const std::unique_ptr<ChannelRecording>& channel : channels_) {
        channel->alarms().monitor().setSettings(settings);
    }
}

void LiveSession::tickAlarms() {
    if (recordingNow()) {
        for (const std::unique_ptr<ChannelRecording>& channel : channels_) {
            channel->alarms().tick();
        }
    }
}

void LiveSession::onLost(const QString& why, const std::optional<net::WatchNotice>& watch) {
    if (state_ == LinkState::Disconnected || state_ == LinkState::Lost ||
        state_ == LinkState::WaitingForAdapter) {
        return;
    }
    watchLoss_ = watch;
    clocks_.release();
    loss_ = source_ ? source_->loss() : LinkLoss::None;
    // The alarm first, while the recording and its journal are open: it is
    // the journal's last line.
    for (const std::unique_ptr<ChannelRecording>& channel : channels_) {
        channel->alarms().linkLost(why);
    }
    alarmClock_.stop();
    for (int channel = 1; channel <= channelCount(); ++channel) {
        publishEvent(channel, QStringLiteral("lost"));
    }
    if (source_) {
        source_->close();
    }
    clocks_.follow(nullptr, nullptr);
    for (const std::unique_ptr<ChannelRecording>& channel : channels_) {
        channel->interrupt();
    }
    setState(LinkState::Lost);
    emit lost(why);
}

void LiveSession::awaitSameAdapter() {
    if (state_ == LinkState::Lost) {
        setState(LinkState::WaitingForAdapter);
    }
}

void LiveSession::giveUp() {
    for (const std::unique_ptr<ChannelRecording>& channel : channels_) {
        channel->stopJournaling();
    }
    if (state_ == LinkState::Lost || state_ == LinkState::WaitingForAdapter) {
        setState(LinkState::Disconnected);
    }
}

void LiveSession::stop() {
    const bool wasOpen = state_ != LinkState::Disconnected && state_ != LinkState::Lost &&
                         state_ != LinkState::WaitingForAdapter;
    closeSource();
    alarmClock_.stop();
    for (const std::unique_ptr<ChannelRecording>& channel : channels_) {
        if (wasOpen) {
            channel->alarms().disconnected();
            channel->recording().end();
        }
        channel->stopJournaling();
    }
    setState(LinkState::Disconnected);
}

void LiveSession::closeSource() {
    pollClock_.stop();
    if (source_) {
        source_->close();
        retired_.push_back(std::move(source_));
        QMetaObject::invokeMethod(
            this, [this] { retired_.clear(); }, Qt::QueuedConnection);
    }
    clocks_.release();
    clocks_.follow(nullptr, nullptr);
}

void LiveSession::setJournal(Journal* journal) {
    if (journal_ != nullptr && journal_ != journal) {
        journal_->end();
    }
    journal_ = journal;
    for (const std::unique_ptr<ChannelRecording>& channel : channels_) {
        if (channel->channel() == 1) {
            channel->setJournal(journal);
        } else {
            channel->ownJournal(journal != nullptr ? journal->alike() : nullptr);
        }
    }
    nameJournals();
}

void LiveSession::setPublisher(net::Publisher* publisher) {
    if (publisher != publisher_) {
        startPublished_ = false;
    }
    publisher_ = publisher;
    if (publisher_ != nullptr) {
        publisher_->setChannels(channelCount());
    }
    publishMidway();
}

// A publisher given while a recording goes on (or one that came back after
// a lost link) publishes a start of now, and where the recording stands
// first, so that a watcher takes it up with its own elapsed times.
void LiveSession::publishMidway() {
    if (publisher_ == nullptr || startPublished_ || !recordingNow()) {
        return;
    }
    startPublished_ = true;
    const QDateTime now = clocks_.now();
    const CaptureStart start{now.toMSecsSinceEpoch(), now.offsetFromUtc(), clocks_.tickCount(),
                             std::string(driver_->id())};
    connectionTicks_ = start.ticks;
    for (int channel = 1; channel <= channelCount(); ++channel) {
        publishResume(channel, at(channel).rows().gridRowCount() - 1);
    }
    publisher_->setStart(start);
}

void LiveSession::followJournal() {
    const bool owed = std::any_of(channels_.begin(), channels_.end(),
                                  [](const auto& channel) { return channel->journalOwes(); });
    if (owed && !journalRetry_.isActive()) {
        journalRetry_.start();
    } else if (!owed) {
        journalRetry_.stop();
    }
}

void LiveSession::retryJournal() {
    for (const std::unique_ptr<ChannelRecording>& channel : channels_) {
        channel->retryJournal();
    }
    followJournal();
}

void LiveSession::setState(LinkState state) {
    if (state != state_) {
        state_ = state;
        emit stateChanged(state);
    }
}

// The channel's journal has its line already.
void LiveSession::onAlarm(int channel, const alarms::Alarm& alarm) {
    publishEvent(channel, QStringLiteral("alarm"), QString::fromUtf8(alarms::kindName(alarm.kind)),
                 QString::fromStdString(alarm.text));
    if (channel == 1) {
        emit alarmRaised(alarm);
    }
    emit channelAlarmRaised(channel, alarm);
}

void LiveSession::publishRow(int channel, int row) {
    if (publisher_ != nullptr) {
        publisher_->row(at(channel).publishedRow(row), channel);
    }
}

void LiveSession::publishResume(int channel, int row) {
    if (publisher_ != nullptr) {
        net::ResumeState state = at(channel).resumeState(row);
        state.connectionTicks = connectionTicks_;
        publisher_->resume(state, channel);
    }
}

void LiveSession::publishEvent(int channel, const QString& name, const QString& kind,
                               const QString& text) {
    if (publisher_ != nullptr) {
        publisher_->event(clocks_.now(), name, kind, text, channel);
    }
}

}  // namespace cellwatch::session
