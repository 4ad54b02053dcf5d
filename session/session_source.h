// Where a live session's bytes come from: a serial port, a capture replayed
// on its own clocks, or a charger watched on a broker. Each hands what it
// receives to the session's driver (through `take`) and tells the session
// what happens to it through the SourceEvents it was made with.
#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "net/broker_notice.h"
#include "net/watch_notice.h"

#include "protocol/tick_clock.h"
#include "readout/recording.h"
#include "serial/serial_link.h"

namespace cellwatch::session {

// What a source tells its session. Set by the session before open().
struct SourceEvents {
    // Bytes of one receive event, before the driver takes them, on the
    // clocks as they stand at their arrival (to be kept and published).
    std::function<void(std::span<const std::uint8_t>)> received;
    // The bytes of one receive event (of any source), for the driver.
    std::function<void(std::span<const std::uint8_t>)> take;
    // How many more bytes the driver needs before it can do anything.
    std::function<std::size_t()> wanted;
    // The driver has taken them.
    std::function<void()> serviced;
    // The source's own recording begins at this moment of its clocks (a
    // capture's or a publisher's start; a serial port begins at open()).
    std::function<void()> started;
    // The source is gone for good (a pulled adapter, a lost publisher, a
    // failed read); `why` in words.
    std::function<void(const QString& why)> lost;
    // A capture was played to its end.
    std::function<void()> ended;
    // A capture could not be read on; `why` in words.
    std::function<void(const QString& why)> failed;
    // Something worth a line that ends nothing.
    std::function<void(const QString& text)> notice;
    // A watch's notices as kinds with figures (unset: told as `notice`
    // lines); a watch's link lost as one (unset: told as `lost`).
    std::function<void(const net::BrokerNotice&)> brokerNotice;
    std::function<void(const net::WatchNotice&)> watchNotice;
    std::function<void(const net::WatchNotice&)> watchLost;
    // A watched charger the broker has not heard of (yet): its name and the
    // broker ("bench1", "127.0.0.1:1883"); the watch goes on waiting.
    std::function<void(const QString& name, const QString& broker)> absent;
};

class SessionSource {
public:
    virtual ~SessionSource() = default;

    // What the source is, for titles and the journal ("/dev/ttyUSB0",
    // "mqtt://host/bench1", "charge.cwcap").
    virtual QString name() const = 0;
    // Starts taking bytes; throws std::runtime_error with a one-line reason.
    virtual void open() = 0;
    // Stops; nothing more is told after this.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Whether the bytes arrive on clocks of their own (a capture's or a
    // publisher's), which the session then records on.
    virtual bool ownClocks() const { return false; }
    virtual const TickClock* ticks() const { return nullptr; }
    virtual const WallClock* wall() const { return nullptr; }
    // Whether a recording begins when the source opens (a serial port), or
    // when it tells started() (a replay, a watch).
    virtual bool beginsAtOpen() const { return true; }
    // Whether it plays a recording made before (a capture), rather than one
    // going on now.
    virtual bool isReplay() const { return false; }
    // Where a recording begun elsewhere stands, for a source whose recording
    // began before it was opened (a publisher's, watched late): the session
    // takes it up from there rather than beginning anew.
    struct Resume {
        std::uint32_t connectTicks = 0;
        QDateTime began;
        std::uint32_t beganTicks = 0;
        QString lastRow;  // its 22 table texts, tab-joined; "" for none
        // When the last row came, on the source's clocks: the alarms' time
        // rules (stalled) go on from then.
        std::uint32_t lastRowTicks = 0;
        std::int64_t lastRowMs = 0;  // ms since 1970; 0: not known
    };
    virtual std::optional<Resume> resume() const { return std::nullopt; }
    // The same for each channel of a charger of several (1: resume()).
    virtual std::optional<Resume> channelResume(int channel) const {
        return channel == 1 ? resume() : std::nullopt;
    }
    // The charger watched on a broker, whose publisher's recordings this
    // source copies; "" for any other source.
    virtual QString chargerName() const { return {}; }
    // Why a serial port was lost (a pulled adapter, a failing one).
    virtual LinkLoss loss() const { return LinkLoss::None; }
    // The charger's driver its bytes are for, when it says ("tkrx" for a
    // capture of format 1); "" when it does not (a serial port: the
    // session's own choice).
    virtual std::string chargerDriver() const { return {}; }
    // Writes to the charger (a driver's requests), to `target` where the
    // link has several ways in (DriverRequest::target); false when the
    // source cannot (a replay, a watch, a port opened read-only).
    virtual bool send(std::span<const std::uint8_t> /*bytes*/, std::string_view /*target*/ = {}) {
        return false;
    }
    // Whether what it receives answers what it sends (a live line), rather
    // than another run's requests (a replay, a watch).
    virtual bool carriesRequests() const { return false; }
};

}  // namespace cellwatch::session
