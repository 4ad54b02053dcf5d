// Watching a charger that is published on a broker: its retained start and
// every raw record are played through the receive path on the publisher's
// clocks, as a capture is replayed, so that everything after the receive
// path sees what the publisher's own recording saw.
//
// The publisher's "lost" event (its own line gone while it stays online) is
// the link lost as well.
//
// The feed begins with a start that arrives while the charger is online
// (a start left over from an earlier run, with the status "offline", is
// not played). From then on "offline", a different start (a new
// connection to the charger) or the loss of the broker is the link lost.
//
// A charger of several channels: the address's channel (1 when none is
// named) is the one whose resume counts for the run; the byte stream is the
// charger's, every channel's readings in it. An address naming no channel
// also takes every other channel's resume (channelResume()) and events.
//
// With the charger's key (setKey), only messages signed with it count, and
// only newer ones than those taken before (see messages.h): a status, start
// or record that anyone else publishes, or one published again, is dropped
// and counted, in one line now and then (problem()).
#pragma once

#include <QHash>
#include <QObject>
#include <functional>
#include <optional>
#include <span>

#include "net/broker_address.h"
#include "net/drop_report.h"
#include "net/message_auth.h"
#include "net/messages.h"
#include "net/mqtt_client.h"
#include "net/watch_notice.h"
#include "protocol/tick_clock.h"

namespace cellwatch::net {

class RemoteFeed final : public QObject {
    Q_OBJECT
public:
    using WallSetter = std::function<void(const QDateTime&)>;
    // The bytes of one raw record, on the publisher's clocks of its arrival.
    using Receiver = std::function<void(std::span<const std::uint8_t>)>;

    // Subscribes to the charger `client.options().address` names; the
    // client stays the caller's.
    RemoteFeed(MqttClient& client, Receiver receiver, ManualTickClock& ticks, WallSetter setWall,
               QObject* parent = nullptr);

    // Takes only what is signed with `key` from now on. A watcher with a key
    // that has seen nothing yet takes up a run only once a resume of it
    // comes that the publisher sent within kFreshMs of this computer's clock
    // (a run published again after its publisher ended is old by then), and
    // then only records published after that resume.
    void setKey(const QByteArray& key);
    // The publisher's resume comes at least once a minute (its heartbeat);
    // clocks may differ by two minutes either way.
    static constexpr std::int64_t kSkewMs = 120'000;
    static constexpr std::int64_t kFreshMs = 60'000 + kSkewMs;
    // This computer's clock, ms since 1970 (tests set their own).
    void setClock(std::function<std::int64_t()> nowMs) { nowMs_ = std::move(nowMs); }
    std::int64_t nowMs() const;
    bool running() const { return running_; }
    // The publisher's last resume of the present connection (see
    // ResumeState): nothing before one came, or when it belongs to another
    // connection than the start played.
    std::optional<ResumeState> resume() const;
    // Channel `channel`'s last resume of the present connection, when the
    // address names no channel (channel 1's is resume()).
    std::optional<ResumeState> channelResume(int channel) const;
    std::uint64_t recordsPlayed() const { return played_; }
    // Records of requests the publisher sent to its charger (a polled
    // charger's, from a start that names its driver): seen, not decoded.
    std::uint64_t requestsSeen() const { return requests_; }
    // Messages dropped for not being signed with the key (or being old).
    std::uint64_t unverifiedDropped() const { return unverified_.total(); }
    // How often the dropped ones are said at most (problem()).
    void setDropReportInterval(int ms) { unverified_.setInterval(ms); }
    // Says the dropped ones not said yet.
    void flushDropReport() { unverified_.flush(); }
    // A charger's topics, in the order they are subscribed.
    static QStringList topics(const BrokerAddress& address);

signals:
    // A start was played: the clocks stand at it; a recording begins now.
    // With the publisher's resume of that connection when one came (a
    // watcher that joins late goes on with the recording from there).
    void started(const CaptureStart& start);
    // What is told, as its kind and figures (noticed), then as its English
    // line: the link lost (lost), or messages skipped (problem).
    void noticed(const cellwatch::net::WatchNotice& notice);
    void lost(const QString& why);
    void problem(const QString& why);

private:
    void take(const QString& topic, const QByteArray& wire);
    // A signed message's payload when it verifies and is newer than the
    // last one taken on its topic; `sequence` set to its number.
    std::optional<QByteArray> open(const QString& topic, const QString& leaf,
                                   const QByteArray& wire, std::uint64_t& sequence);
    void takeStatus(const QByteArray& payload, std::uint64_t sequence);
    void takeStart(const QByteArray& payload, std::uint64_t sequence);
    void takeRaw(const QByteArray& payload, std::uint64_t sequence);
    void takeResume(const QByteArray& payload, std::uint64_t sequence, int channel);
    // The channel level of a topic of the charger ("cellwatch/NAME/2/resume":
    // 2), 0 for none.
    int channelOf(const QString& topic) const;
    // Whether a channel level's messages are the watched channel's own.
    bool ownChannel(int channel) const;
    void begin(const CaptureStart& start, std::uint64_t sequence);
    // Whether a keyed watcher that has not begun may begin with `start`.
    bool liveRun(const CaptureStart& start) const;
    void tell(const WatchNotice& notice);
    void tellOnce(bool& told, const WatchNotice& notice);
    void takeEvent(const QByteArray& payload, std::uint64_t sequence);
    void loseOnce(const WatchNotice& why);

    MqttClient& client_;
    Receiver receiver_;
    ManualTickClock& ticks_;
    WallSetter setWall_;
    bool online_ = false;
    bool running_ = false;
    bool lost_ = false;
    bool connected_ = false;  // the client was connected to the broker
    std::optional<CaptureStart> start_;
    std::optional<ResumeState> resume_;
    QHash<int, ResumeState> otherResumes_;  // of channels but the watched one
    CaptureRecord record_;
    std::uint64_t played_ = 0;
    std::uint64_t requests_ = 0;

    // With a key.
    std::optional<MessageAuth> auth_;
    QHash<QString, std::uint64_t> lastSequence_;  // of each leaf
    std::uint64_t startSequence_ = 0;             // of the start played
    std::uint64_t offlineSequence_ = 0;           // of the last "offline"
    std::uint64_t floorSequence_ = 0;   // records at or below it are from before the run taken up
    std::uint64_t resumeSequence_ = 0;  // of the fresh resume taken
    bool freshResume_ = false;
    std::optional<std::pair<CaptureStart, std::uint64_t>> pendingStart_;
    std::function<std::int64_t()> nowMs_;
    bool toldStale_ = false;
    bool toldSigned_ = false;
    DropReport unverified_;
};

}  // namespace cellwatch::net
