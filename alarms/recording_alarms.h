// The alarm monitor hooked onto a live recording: its rows, restarts and
// idle state, every decoded message and the link's loss. The recording's
// pipeline is not changed; the hooks only listen.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "alarms/alarm_monitor.h"
#include "protocol/status_decoder.h"
#include "protocol/tick_clock.h"

namespace cellwatch {
class RowStore;
class Recording;
class WallClock;
}  // namespace cellwatch

namespace cellwatch::alarms {

// The values of grid row `row` (1 = the first) of a data table.
RowValues rowValues(const RowStore& table, int row);
// The values of a row's 22 texts (fewer texts read as empty).
RowValues rowValues(const QStringList& texts);

// Stands between a decoder and its host: passes everything on unchanged and
// tells of every decoded message whether it is charging or discharging.
class DecoderTap final : public DecoderHost {
public:
    DecoderTap(DecoderHost& host, std::function<void(bool working)> decoded)
        : host_(host), decoded_(std::move(decoded)) {}
    std::uint32_t connectTicks() const override { return host_.connectTicks(); }
    Decimal capacityDataMax() const override { return host_.capacityDataMax(); }
    void showIdle() override { host_.showIdle(); }
    void acceptReading(Reading& reading) override { host_.acceptReading(reading); }
    void readingDecoded(const Reading& reading, FrameLayout layout) override;

private:
    DecoderHost& host_;
    std::function<void(bool)> decoded_;
};

// Feeds a monitor from a recording. Each raised alarm goes to `raised`
// after whatever the recording's own event handlers did (the row that
// raised it is written first), stamped with the moment `wall` tells. A first row after rows of a
// recording before (a new connection noticed late) starts the rules afresh, as a restart does.
class RecordingAlarms {
public:
    RecordingAlarms(DecoderHost& recording, const RowStore& table, const TickClock& ticks,
                    const WallClock& wall, std::function<void(const Alarm&)> raised);

    // Hooks onto the recording's events; call once its own handlers are set:
    // they are kept and called first.
    void listen(Recording& recording);

    AlarmMonitor& monitor() { return monitor_; }
    // A DecoderHost for the decoder, in front of the recording.
    DecoderTap& decoderHost() { return tap_; }

    void connected() { emitAll(monitor_.connected(ticks_.tickCount())); }
    void disconnected() { monitor_.disconnected(); }
    // The port is open: a recording without rows (Connect began a new one)
    // is watched afresh, one with rows goes on (see AlarmMonitor::linkOpened).
    void linkOpened();
    void linkLost(const QString& reason) {
        emitAll(monitor_.linkLost(reason.toStdString(), ticks_.tickCount()));
    }
    void tick() { emitAll(monitor_.tick(ticks_.tickCount())); }

private:
    void emitAll(const std::vector<Alarm>& alarms);

    const RowStore& table_;
    const TickClock& ticks_;
    const WallClock& wall_;
    std::function<void(const Alarm&)> raised_;
    AlarmMonitor monitor_;
    DecoderTap tap_;
};

}  // namespace cellwatch::alarms
