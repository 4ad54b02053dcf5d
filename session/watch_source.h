// A charger published on a broker, watched: its start and raw records are
// played through the session's receive path on the publisher's clocks (see
// net/remote_feed.h), so the session records what the publisher's own
// recording saw. Between records the clocks go on with local time, so the
// time rules (stalled, finished) run in the watcher as at the publisher.
#pragma once

#include <QTimer>
#include <algorithm>
#include <memory>
#include <optional>

#include "net/mqtt_client.h"
#include "net/remote_feed.h"
#include "session/session_source.h"

namespace cellwatch::session {

class WatchSource final : public SessionSource {
public:
    // How long a watch waits for the charger's start before it says that
    // the broker has no such charger (and goes on waiting).
    static constexpr int kAbsentNoticeMs = 5000;
    // After this long without a record the clocks go on with local time.
    static constexpr qint64 kQuietMs = 1000;
    // A last row older than this (on this computer's clock) counts as this
    // old: clocks that disagree by days do not stall a charge by days.
    static constexpr qint64 kMaxBehindMs = 24LL * 3600 * 1000;

    // Throws net::MqttError when the connection cannot be set up. `local`
    // is the watcher's own clock, which the publisher's go on with between
    // records (the session's own: LiveSession::ownTicks()).
    WatchSource(SourceEvents events, net::MqttOptions options, const TickClock& local);
    ~WatchSource() override;

    QString name() const override { return client_.options().address.text(); }
    QString chargerName() const override { return client_.options().address.name; }
    void open() override;
    void close() override;
    bool isOpen() const override { return open_; }
    bool ownClocks() const override { return true; }
    const TickClock* ticks() const override { return &clocks_; }
    const WallClock* wall() const override { return &clocks_; }
    bool beginsAtOpen() const override { return false; }
    std::optional<Resume> resume() const override;
    // Watching the whole charger, each channel's from its own resume.
    std::optional<Resume> channelResume(int channel) const override;
    std::string chargerDriver() const override { return start_ ? start_->driver : std::string(); }
    // The channel watched (its address's; 1 when it names none).
    int channel() const { return std::max(client_.options().address.channel, 1); }
    // The channel the address names (0: none, the charger as a whole).
    int namedChannel() const { return client_.options().address.channel; }

    net::MqttClient& client() { return client_; }
    // Starts connecting to the broker (open() does it if not done before).
    void startClient();
    net::RemoteFeed& feed() { return *feed_; }
    QTimer& absentTimer() { return absent_; }

private:
    // The publisher's clocks as its last record set them, going on with
    // local time once no record came for kQuietMs.
    class Clocks final : public TickClock, public WallClock {
    public:
        explicit Clocks(const TickClock& localClock) : local(localClock) {}
        std::uint32_t tickCount() const override;
        QDateTime now() const override;
        void setWall(const QDateTime& t) {
            wall.set(t);
            restart();
        }
        void restart() {
            lastSet = local.tickCount();
            behind = 0;
        }
        const TickClock& local;
        ManualTickClock ticks;
        ManualWallClock wall{QDateTime()};
        std::uint32_t lastSet = 0;  // the local clock when a record last set them
        // How long before lastSet the moment they were set to was (a row the
        // publisher had before this watch joined): counted once quiet.
        qint64 behind = 0;
        // From the recording's start on (its time base is the publisher's
        // own start, to the millisecond).
        bool goOn = false;

    private:
        qint64 extra() const;
    };

    void begin();
    std::optional<Resume> toResume(const std::optional<net::ResumeState>& state) const;

    SourceEvents events_;
    Clocks clocks_;
    net::MqttClient client_;
    std::unique_ptr<net::RemoteFeed> feed_;
    QTimer absent_;
    std::optional<CaptureStart> start_;  // the publisher's, once played
    std::uint32_t begunTicks_ = 0;       // where begin() set the clocks
    bool open_ = false;
    bool started_ = false;
    bool clientStarted_ = false;
};

}  // namespace cellwatch::session
