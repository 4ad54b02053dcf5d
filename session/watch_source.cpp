#include "session/watch_source.h"

#include <algorithm>

#include "serial/capture_replay.h"

namespace cellwatch::session {

qint64 WatchSource::Clocks::extra() const {
    if (!goOn) {
        return 0;
    }
    const qint64 quiet = ticksBetween(lastSet, local.tickCount());
    return quiet > kQuietMs ? quiet + behind : 0;
}

std::uint32_t WatchSource::Clocks::tickCount() const {
    return ticks.tickCount() + static_cast<std::uint32_t>(extra());
}

QDateTime WatchSource::Clocks::now() const {
    const QDateTime t = wall.now();
    return t.isValid() ? t.addMSecs(extra()) : t;
}

WatchSource::WatchSource(SourceEvents events, net::MqttOptions options, const TickClock& local)
    : events_(std::move(events)), clocks_(local), client_([&options] {
          options.reconnect = false;
          return std::move(options);
      }()) {
    feed_ = std::make_unique<net::RemoteFeed>(client_, events_.take, clocks_.ticks,
                                              [this](const QDateTime& t) { clocks_.setWall(t); });
    QObject::connect(feed_.get(), &net::RemoteFeed::started, feed_.get(),
                     [this](const CaptureStart& start) {
                         start_ = start;
                         begin();
                     });
    // The feed's notices as kinds with figures where the events take them,
    // else as their English lines.
    QObject::connect(feed_.get(), &net::RemoteFeed::noticed, feed_.get(),
                     [this](const net::WatchNotice& n) {
                         if (!n.endsWatch()) {
                             if (events_.watchNotice) {
                                 events_.watchNotice(n);
                             } else {
                                 events_.notice(net::watchNoticeLine(n));
                             }
                         } else if (open_) {
                             if (events_.watchLost) {
                                 events_.watchLost(n);
                             } else {
                                 events_.lost(net::watchNoticeLine(n));
                             }
                         }
                     });
    QObject::connect(&client_, &net::MqttClient::lost, feed_.get(), [this](const QString& why) {
        if (open_) {
            events_.lost(why);
        }
    });
    QObject::connect(&client_, &net::MqttClient::noticed, feed_.get(),
                     [this](const net::BrokerNotice& n) {
                         if (events_.brokerNotice) {
                             events_.brokerNotice(n);
                         } else {
                             events_.notice(net::brokerNoticeLine(n));
                         }
                     });
    absent_.setSingleShot(true);
    absent_.setInterval(kAbsentNoticeMs);
    QObject::connect(&absent_, &QTimer::timeout, feed_.get(), [this] {
        if (!started_) {
            const net::BrokerAddress& a = client_.options().address;
            events_.absent(a.name, a.brokerText());
        }
    });
}

WatchSource::~WatchSource() {
    open_ = false;
    client_.finish(std::nullopt, 0);
}

void WatchSource::startClient() {
    if (!clientStarted_) {
        clientStarted_ = true;
        client_.start();
    }
}

void WatchSource::open() {
    open_ = true;
    startClient();
    absent_.start();
    // A start that came while the client waited for its broker (before the
    // session opened this source) begins the recording now.
    if (feed_->running()) {
        QMetaObject::invokeMethod(
            feed_.get(), [this] { begin(); }, Qt::QueuedConnection);
    }
}

std::optional<SessionSource::Resume> WatchSource::resume() const {
    return toResume(feed_->resume());
}

std::optional<SessionSource::Resume> WatchSource::channelResume(int channel) const {
    return namedChannel() > 0 ? (channel == 1 ? resume() : std::nullopt)
                              : toResume(feed_->channelResume(channel));
}

std::optional<SessionSource::Resume> WatchSource::toResume(
    const std::optional<net::ResumeState>& state) const {
    if (!state) {
        return std::nullopt;
    }
    // A publisher that does not say when its last row came: from here on.
    return Resume{state->connectTicks,
                  captureTime(state->beganMs, state->utcOffsetSeconds),
                  state->beganTicks,
                  state->lastRow,
                  state->rowMs != 0 ? state->rowTicks : begunTicks_,
                  state->rowMs};
}

void WatchSource::begin() {
    if (!open_ || started_ || !start_) {
        return;
    }
    started_ = true;
    absent_.stop();
    // The recording begins at the publisher's start, whatever was played
    // since; then the clocks stand where the last record left them.
    std::uint32_t ticksNow = clocks_.ticks.tickCount();
    QDateTime wallNow = clocks_.wall.now();
    qint64 behind = 0;
    const std::optional<net::ResumeState> state = feed_->resume();
    const auto before = [&ticksNow](std::uint32_t t) {
        return static_cast<std::int32_t>(ticksNow - t) < 0;
    };
    if (state && before(state->beganTicks)) {
        // No record of the recording taken up has been played yet.
        ticksNow = state->beganTicks;
        wallNow = captureTime(state->beganMs, state->utcOffsetSeconds);
    }
    if (state && !state->lastRow.isEmpty() && state->rowMs != 0 && before(state->rowTicks)) {
        // Nor one since the publisher's last row: the clocks stand at that
        // row, and once no record comes for kQuietMs (the charger stalled)
        // they go on by the time since it on this computer's clock, as the
        // clocks of a watcher there from the start would.
        ticksNow = state->rowTicks;
        wallNow = captureTime(state->rowMs, state->utcOffsetSeconds);
        behind = std::clamp<qint64>(feed_->nowMs() - state->rowMs, 0, kMaxBehindMs);
    }
    begunTicks_ = ticksNow;
    clocks_.ticks.set(start_->ticks);
    clocks_.wall.set(captureTime(start_->wallMs, start_->utcOffsetSeconds));
    events_.started();
    clocks_.ticks.set(ticksNow);
    clocks_.wall.set(wallNow);
    clocks_.restart();
    clocks_.behind = behind;
    clocks_.goOn = true;
}

// Closing may happen inside the client's own callbacks (a message that
// ends the watch): the connection ends once they are over.
void WatchSource::close() {
    if (open_) {
        feed_->flushDropReport();  // said while the watch is open
        open_ = false;
        absent_.stop();
        QMetaObject::invokeMethod(
            &client_, [this] { client_.finish(std::nullopt, 0); }, Qt::QueuedConnection);
    }
}

}  // namespace cellwatch::session
