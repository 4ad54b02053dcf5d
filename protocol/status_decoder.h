// Decoding of the charger's two status layouts into a Reading.
//
// Both decoders share the same steps: a freshness check (a message that took
// more than 3000 ms from its start byte to its completion is dropped and the
// display goes idle), the elapsed time since the recording started, the
// fields of the layout, the capacity roll-over correction, the power (to 2
// places, as the table shows it), and the hand-off of every non-idle reading.
#pragma once

#include <cstdint>

#include "protocol/decimal.h"
#include "protocol/reading.h"
#include "protocol/status_frame.h"
#include "protocol/table_fields.h"
#include "protocol/tick_clock.h"

namespace cellwatch {

// What the decoders need from the rest of the program. The main window
// implements it; so do the command-line tools and the tests.
class DecoderHost {
public:
    virtual ~DecoderHost() = default;
    // Tick count at the start of the current recording (0 when disconnected).
    virtual std::uint32_t connectTicks() const = 0;
    // Largest capacity plotted so far in this recording; an empty recording
    // reports 0, which leaves the roll-over correction off.
    virtual Decimal capacityDataMax() const = 0;
    // A message arrived too late to be trusted: show the idle state.
    virtual void showIdle() = 0;
    // Every decoded reading, idle ones included, just before the hand-off.
    virtual void readingDecoded(const Reading& /*reading*/, FrameLayout /*layout*/) {}
    // A charging or discharging reading, to be shown and recorded.
    virtual void acceptReading(Reading& /*reading*/) {}
};

// Receives finished frames from the receive path.
class StatusFrameSink {
public:
    virtual ~StatusFrameSink() = default;
    virtual void decodeStatus76(const StatusFrame& frame, std::uint32_t startTick) = 0;
    virtual void decodeStatus112(const StatusFrame& frame, std::uint32_t startTick) = 0;
};

inline constexpr std::uint32_t kFreshnessLimitMs = 3000;
inline constexpr std::int64_t kCapacityRollOverThreshold = 12791;
inline constexpr std::int64_t kCapacityRollOverStep = 12798;

class StatusDecoder final : public StatusFrameSink {
public:
    enum class Freshness { Checked, Ignored };

    StatusDecoder(const TickClock& clock, DecoderHost& host,
                  Freshness freshness = Freshness::Checked);

    void decodeStatus76(const StatusFrame& frame, std::uint32_t startTick) override;
    void decodeStatus112(const StatusFrame& frame, std::uint32_t startTick) override;

private:
    bool isStale(std::uint32_t startTick) const;
    void finish(FrameLayout layout);

    const TickClock& clock_;
    DecoderHost& host_;
    Freshness freshness_;
    Reading reading_;  // filled afresh by every message, its texts' storage kept
};

// Battery type texts of each layout's code (the value after removing the bias).
std::string_view batteryType76(int code);
std::string_view batteryType112(int code);

// The capacity roll-over correction: while the chart's capacity maximum is at
// least 12791 and the capacity lies below it, add 12798. The maximum is asked
// afresh before every comparison.
Decimal correctCapacityRollOver(Decimal capacity, const DecoderHost& host);

}  // namespace cellwatch
