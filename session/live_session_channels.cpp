// The session's set of channels: made as the charger tells how many it has,
// each wired to the session's signals and publisher, and named in its
// journal.
#include <algorithm>

#include "protocol/tkrx_driver.h"
#include "readout/journal.h"
#include "session/live_session.h"

namespace cellwatch::session {

std::unique_ptr<ChannelRecording> LiveSession::makeChannel(int n) {
    // Channel 1 is what the signals without a channel tell of; every
    // channel is published.
    const bool first = n == 1;
    ChannelRecording::Hooks hooks;
    hooks.rowAppended = [this, first, n](int row) {
        publishRow(n, row);
        publishResume(n, row);
        if (first) {
            emit rowAppended(row);
        }
        emit channelRowAppended(n, row);
    };
    hooks.idleShown = [this, first, n] {
        publishEvent(n, QStringLiteral("idle"));
        if (first) {
            emit idleShown();
        }
        emit channelIdleShown(n);
    };
    hooks.restarting = [this, first] {
        if (first) {
            emit restarting();
        }
    };
    hooks.restarted = [this, first, n] {
        publishEvent(n, QStringLiteral("restart"));
        publishResume(n, 0);
        if (first) {
            emit restarted();
        }
        emit channelRestarted(n);
    };
    hooks.alarm = [this, n](const alarms::Alarm& alarm) { onAlarm(n, alarm); };
    hooks.journalChanged = [this] { followJournal(); };
    auto channel = std::make_unique<ChannelRecording>(n, first ? &parts_.rows : nullptr, clocks_,
                                                      std::move(hooks));
    if (!first && journal_ != nullptr) {
        channel->ownJournal(journal_->alike());
    }
    return channel;
}

ChannelRecording& LiveSession::at(int channel) {
    Q_ASSERT(channel >= 1 && channel <= channelCount());
    return *channels_[static_cast<std::size_t>(channel - 1)];
}

int LiveSession::wantedChannels() const {
    return watched_ > 0 ? 1 : std::max(1, driver_->channelCount());
}

void LiveSession::syncChannels() {
    const int count = wantedChannels();
    while (channelCount() > count) {
        channels_.back()->stopJournaling();
        channels_.pop_back();
    }
    while (channelCount() < count) {
        channels_.push_back(makeChannel(channelCount() + 1));
        if (recordingNow()) {
            beginChannel(*channels_.back());
        }
    }
    nameJournals();
}

// A charger other than the first family's, or of several channels, is
// named in each journal with the channel.
QString LiveSession::driverId() const {
    return QString::fromUtf8(driver_->id().data(), static_cast<qsizetype>(driver_->id().size()));
}

void LiveSession::nameJournals() {
    const QString driver = driverId();
    const bool named = driver_->id() != kFirstDriverId || channelCount() > 1 || watched_ > 0;
    for (const std::unique_ptr<ChannelRecording>& channel : channels_) {
        if (channel->journal() != nullptr) {
            const int shown = watched_ > 0 ? watched_ : channel->channel();
            channel->journal()->setCharger(driver, named ? shown : 0);
        }
    }
}

// A channel that comes while a recording goes on joins it now.
void LiveSession::beginChannel(ChannelRecording& channel) {
    channel.startRecording();
    const std::optional<SessionSource::Resume> resume = continueChannel(channel);
    channel.alarms().monitor().setSettings(alarmMonitor().settings());
    channel.alarms().connected();
    resumeRules(channel, resume);
    channel.beginJournaling(journaling(), sourceName(),
                            source_ ? source_->chargerName() : QString());
}

}  // namespace cellwatch::session

namespace cellwatch::session {

// A recording begun elsewhere (a publisher's, watched late) goes on from
// where the channel's own resume says it stands.
std::optional<SessionSource::Resume> LiveSession::continueChannel(ChannelRecording& channel) {
    std::optional<SessionSource::Resume> resume =
        source_ ? source_->channelResume(channel.channel()) : std::nullopt;
    if (resume) {
        channel.recording().continueFrom(resume->connectTicks, resume->began, resume->beganTicks,
                                         resume->lastRow);
    }
    return resume;
}

// The rules go on from the last row as if it had come here: what it raised
// was raised where it came (not again), and stalled is measured from when
// it came.
void LiveSession::resumeRules(ChannelRecording& channel,
                              const std::optional<SessionSource::Resume>& resume) {
    if (resume && !resume->lastRow.isEmpty()) {
        channel.alarms().monitor().row(alarms::rowValues(resume->lastRow.split(u'\t')),
                                       resume->lastRowTicks);
        channel.setLastRow(resume->lastRowTicks, resume->lastRowMs);
    }
}

}  // namespace cellwatch::session
