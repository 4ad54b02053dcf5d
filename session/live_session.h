// A live session: the one engine under the window, cellwatch-log and a
// network watcher. It owns the chain from bytes to a kept, alarmed,
// published recording:
//
//   source -> charger driver -> alarms' tap -> recording
//                                                     -> journal, capture,
//                                                        publisher
//
// and says what happens through its signals, which each front end shows in
// its own way (a window's readouts and band, the log's lines). A source is a
// serial port, a capture replayed on its own clocks or a charger watched on
// a broker (session_source.h); the session records on the source's clocks
// when it has its own.
//
// Every alarm, `lost` included, goes to the journal as "# alarm KIND: TEXT"
// after the row that raised it, then to the publisher, then to alarmRaised.
// The time rules (finished, stalled) are looked at on every receive event
// and on one alarm clock in between, the same for every front end.
//
// Connection states:
//   Disconnected       nothing open
//   Connecting         a source is open, its recording has not begun (a
//                      watch waiting for the publisher's start)
//   Connected          recording from a serial port or a watched charger
//   Replaying          recording from a capture played on its clocks
//   Lost               the source went away; the recording is kept and its
//                      journal is still open for a reconnect to go on with
//   WaitingForAdapter  lost, and waiting for the same adapter to come back
//
// A charger of several channels talks over one connection; each channel has
// its own recording, table, alarms and journal (session/channel_recording.h),
// and each reading goes to the channel it names. Channel 1 is the one the
// signals without a channel tell of (a window's table and chart), and its
// table is the front end's; the session owns the others'. A source's start,
// its loss and its end are every channel's. Every channel is published
// under its own topics. A watch of one channel of such a charger (an
// address naming channel K) records only that channel, as its channel 1.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "alarms/recording_alarms.h"
#include "protocol/byte_source.h"
#include "protocol/charger_driver.h"
#include "protocol/driver_registry.h"
#include "protocol/status_decoder.h"
#include "readout/recording.h"
#include "serial/steppable_timer.h"
#include "session/channel_recording.h"
#include "session/channel_router.h"
#include "session/session_clocks.h"
#include "session/session_source.h"

namespace cellwatch {
class CaptureWriter;
class Journal;
class RowStore;
namespace net {
class Publisher;
}
}  // namespace cellwatch

namespace cellwatch::session {

enum class LinkState { Disconnected, Connecting, Connected, Replaying, Lost, WaitingForAdapter };

// "disconnected", "connecting", ... (for logs and tests).
const char* linkStateName(LinkState state);

// What a session records into; they stay the caller's. A window shows the
// recording by subscribing its views (readout/recording_views.h).
struct SessionParts {
    RowStore& rows;
    const TickClock& ticks;  // the program's own clocks (a test's)
    const WallClock& wall;
    // Flipped once per receive event (the window's receive lamp).
    std::function<void()> flipReceiveLamp = {};
};

class LiveSession final : public QObject {
    Q_OBJECT
public:
    // How often the time rules are looked at between receive events. They
    // count seconds; a faster clock would only wake the program more often.
    static constexpr int kAlarmClockMs = 1000;
    // A recording of one row that the pause rule ends this soon after the
    // source began (a charger idle at Connect, then charging: its first row
    // stands at 1 s, the next counts from Connect) is not kept: its file is
    // removed, and the next recording's journal says so in a line after its
    // header.
    static constexpr std::uint32_t kJunkWithinMs = ChannelRecording::kJunkWithinMs;

    explicit LiveSession(SessionParts parts, QObject* parent = nullptr);
    ~LiveSession() override;

    // --- what the session is made of -----------------------------------------
    // The driver of the charger the sources talk to (the first family's
    // until setCharger()).
    ChargerDriver& driver() { return *driver_; }
    // A new driver of charger `id`, for what comes next; false (and nothing
    // changes) when no driver has that id.
    bool setCharger(std::string_view id);
    // A new driver made by `entry` (one of the registry's, or a test's).
    void setCharger(const DriverEntry& entry);
    // The bytes of one receive event, on the clocks as they stand: to the
    // driver (the sources do it through their SourceEvents).
    void take(std::span<const std::uint8_t> bytes);
    // Everything waiting in `line`, as one receive event (a simulation's).
    void take(ByteSource& line);
    Recording& recording() { return channels_.front()->recording(); }
    const Recording& recording() const { return channels_.front()->recording(); }
    // Channel 1's; every other channel takes its settings as its recording
    // begins.
    alarms::AlarmMonitor& alarmMonitor() { return channels_.front()->alarms().monitor(); }
    // Every channel's alarm settings, now.
    void setAlarmSettings(const alarms::AlarmSettings& settings);

    // --- channels (1-based) ---------------------------------------------------------
    // The driver's channels (1 until a driver of several is set).
    int channelCount() const { return static_cast<int>(channels_.size()); }
    Recording& recording(int channel) { return at(channel).recording(); }
    RowStore& rows(int channel) { return at(channel).rows(); }
    alarms::AlarmMonitor& alarmMonitor(int channel) { return at(channel).alarms().monitor(); }
    // The journal of a channel's recordings (nullptr for none).
    Journal* journal(int channel) { return at(channel).journal(); }
    // Whether a channel's present recording goes to its journal.
    bool journaling(int channel) { return at(channel).journaling(); }
    // Each cell's resistance (mΩ) the channel's charger reported with its
    // last reading; none where it reported none (a row keeps the pack's only).
    const CellResistances& reportedCells(int channel) { return at(channel).reportedCells(); }
    // Readings for a channel the driver does not have: dropped, told once.
    std::uint64_t readingsDropped() const { return router_.dropped(); }
    // The program's own clock (a test's), whatever the source.
    const TickClock& ownTicks() const { return parts_.ticks; }
    // The clocks the recording reads (held during a receive event).
    const SessionClocks& clocks() const { return clocks_; }
    // What a source made for this session tells it.
    SourceEvents sourceEvents();

    // --- sources ----------------------------------------------------------------
    // Opens `source` (throws what its open() throws; nothing changes then).
    // A source that begins at open starts a new recording now, or, with
    // `continuing`, goes on with the one a lost source interrupted, on its
    // time base. Whatever was open before is stopped first.
    void open(std::unique_ptr<SessionSource> source, bool continuing = false);
    // Closes the source and ends the recording and its journal (Disconnect);
    // table and chart stay.
    void stop();
    // After a loss: waits for the same adapter; the journal stays open.
    void awaitSameAdapter();
    // No longer waiting (or never to wait): the journal ends.
    void giveUp();

    LinkState state() const { return state_; }
    SessionSource* source() const { return source_.get(); }
    QString sourceName() const { return source_ ? source_->name() : QString(); }
    // Why a serial source was lost; None otherwise.
    LinkLoss lossReason() const { return loss_; }
    // Why a watch was lost, as a kind with figures; none for other sources.
    const std::optional<net::WatchNotice>& watchLoss() const { return watchLoss_; }

    // --- what the recording goes to ---------------------------------------------
    // Each recording's rows and alarms; nullptr for none (a replay). It is
    // channel 1's; each other channel gets one alike (the same folder and
    // program version, its notices told to the same handler).
    void setJournal(Journal* journal);
    Journal* journal() const { return journal_; }
    // Whether the present recording goes to the journal (a replay does not).
    bool journaling() const { return channels_.front()->journaling(); }
    // A replay goes to the journal too, from the recording that begins
    // next: a capture kept among the recordings as the live run's would be.
    void setJournalReplays(bool on) { journalReplays_ = on; }
    // Every received byte with its arrival, from the next recording on; a
    // failed write stops the capture and is told by captureFailed().
    void setCapture(CaptureWriter* capture) { capture_ = capture; }
    CaptureWriter* capture() const { return capture_; }
    // The start, every receive event, row and event. Given while a
    // recording goes on, it publishes a start of now and where the
    // recording stands, so that watchers take it up from there.
    void setPublisher(net::Publisher* publisher);
    net::Publisher* publisher() const { return publisher_; }

    // Looks at the time rules now (the alarm clock does it on its own).
    void tickAlarms();
    // Runs while recording; a test may hold and step it.
    SteppableTimer& alarmClock() { return alarmClock_; }
    // Runs while a driver that polls has something due later (it sends it
    // then); a test may hold and step it.
    SteppableTimer& pollClock() { return pollClock_; }
    // Runs while the journal owes rows (a full disk): every
    // Journal::kRetryMs it tries again, so what is owed is written once
    // there is room, also when no row comes.
    SteppableTimer& journalRetry() { return journalRetry_; }

signals:
    void stateChanged(cellwatch::session::LinkState state);
    // After setCharger(), or when the driver learns how many it has.
    void channelsChanged(int count);
    // Every channel's rows, idle states, restarts and alarms (channel 1's
    // too, after the signals below).
    void channelRowAppended(int channel, int row);
    void channelIdleShown(int channel);
    void channelRestarted(int channel);
    void channelAlarmRaised(int channel, const cellwatch::alarms::Alarm& alarm);
    // A row entered the table (grid row, 1 = the first).
    void rowAppended(int row);
    void idleShown();
    // The pause rule is about to clear the table, and has cleared it.
    void restarting();
    void restarted();
    // A recording began (a new Connect, a capture's or a publisher's start).
    void recordingBegun();
    // After its journal line and its publication.
    void alarmRaised(const cellwatch::alarms::Alarm& alarm);
    // The source is gone; the `lost` alarm was raised before this.
    void lost(const QString& why);
    // A replayed capture was played to its end; the session is disconnected.
    void ended();
    // A replayed capture could not be read on; the session is disconnected.
    void failed(const QString& why);
    void captureFailed(const QString& why);
    void notice(const QString& text);
    // A watch's notice as a kind with figures, told just before its
    // English line (notice).
    void brokerNoticed(const cellwatch::net::BrokerNotice& notice);
    void watchNoticed(const cellwatch::net::WatchNotice& notice);
    // A watched charger the broker has not heard of: its name and the
    // broker; the watch goes on waiting.
    void chargerAbsent(const QString& name, const QString& broker);

private:
    void beginRecording();
    ChannelRecording& at(int channel);
    std::unique_ptr<ChannelRecording> makeChannel(int channel);
    // As many channels as the driver has; new ones begin at once while
    // recording.
    void syncChannels();
    QString driverId() const;
    void nameJournals();
    void beginChannel(ChannelRecording& channel);
    std::optional<SessionSource::Resume> continueChannel(ChannelRecording& channel);
    static void resumeRules(ChannelRecording& channel,
                            const std::optional<SessionSource::Resume>& resume);
    void setState(LinkState state);
    void received(std::span<const std::uint8_t> bytes);
    void onLost(const QString& why, const std::optional<net::WatchNotice>& watch = {});
    void onAlarm(int channel, const alarms::Alarm& alarm);
    void publishRow(int channel, int row);
    // Where channel `channel`'s recording stands, after grid row `row` (0:
    // before any).
    void publishResume(int channel, int row);
    void publishMidway();
    void publishEvent(int channel, const QString& name, const QString& kind = {},
                      const QString& text = {});
    // How many channels the session records: the driver's, or 1 for a
    // watch of one channel.
    int wantedChannels() const;
    void closeSource();

    // Sends what the driver has due; looks again when it says.
    void sendDue();
    bool recordingNow() const {
        return state_ == LinkState::Connected || state_ == LinkState::Replaying;
    }

    SessionParts parts_;
    SessionClocks clocks_;
    std::vector<std::unique_ptr<ChannelRecording>> channels_;
    ChannelRouter router_;
    std::unique_ptr<ChargerDriver> driver_;
    SteppableTimer pollClock_{[this] { sendDue(); }, true};
    std::unique_ptr<SessionSource> source_;
    // Sources closed from inside their own signals go when the event loop
    // next runs.
    std::vector<std::unique_ptr<SessionSource>> retired_;
    LinkState state_ = LinkState::Disconnected;
    LinkLoss loss_ = LinkLoss::None;
    std::optional<net::WatchNotice> watchLoss_;
    std::uint32_t connectionTicks_ = 0;  // of the present connection's start
    bool startPublished_ = false;        // to the present publisher
    bool journalReplays_ = false;
    // The charger's channel a watch of one channel records as channel 1
    // (0: every channel as itself).
    int watched_ = 0;

    Journal* journal_ = nullptr;
    CaptureWriter* capture_ = nullptr;
    net::Publisher* publisher_ = nullptr;
    SteppableTimer alarmClock_{[this] { tickAlarms(); }, false};
    void retryJournal();
    void followJournal();
    SteppableTimer journalRetry_{[this] { retryJournal(); }, false};
};

}  // namespace cellwatch::session
