// Decoding of the charger's two status layouts into a StatusSample.
//
// Both decoders share the same steps: a freshness check (a message that took
// more than 3000 ms from its start byte to its completion is dropped and the
// display goes idle), the elapsed time since the recording started, the
// fields of the layout, the capacity roll-over correction, the power text,
// and the hand-off of every non-idle sample.
#pragma once

#include <cstdint>

#include "protocol/decimal.h"
#include "protocol/reading.h"
#include "protocol/status_frame.h"
#include "protocol/status_sample.h"
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
    // A charging or discharging sample, to be checked, shown and recorded.
    virtual void acceptSample(StatusSample& sample) = 0;
    // Every decoded sample, idle ones included, just before the hand-off.
    virtual void sampleDecoded(const StatusSample& /*sample*/, FrameLayout /*layout*/) {}
    // The same two steps for a driver's reading: every reading decoded, then
    // each one that is not idle.
    virtual void readingDecoded(const Reading& /*reading*/, FrameLayout /*layout*/) {}
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
                  Freshness freshness = Freshness::Checked)
        : clock_(clock), host_(host), freshness_(freshness) {}

    void decodeStatus76(const StatusFrame& frame, std::uint32_t startTick) override;
    void decodeStatus112(const StatusFrame& frame, std::uint32_t startTick) override;

    // The power of the last sample decoded, before its formatting.
    Decimal lastPower() const { return lastPower_; }
    // Whether the sample's power text is written (on by default); a host
    // that takes lastPower() instead leaves it empty and saves the time.
    void setPowerText(bool on) { powerText_ = on; }

private:
    bool isStale(std::uint32_t startTick) const;
    void finish(StatusSample& sample, FrameLayout layout, std::string_view powerFormat);

    const TickClock& clock_;
    DecoderHost& host_;
    Freshness freshness_;
    Decimal lastPower_;
    bool powerText_ = true;
};

// Battery type texts of each layout's code (the value after removing the bias).
std::string_view batteryType76(int code);
std::string_view batteryType112(int code);

// The capacity roll-over correction: while the chart's capacity maximum is at
// least 12791 and the capacity lies below it, add 12798. The maximum is asked
// afresh before every comparison.
Decimal correctCapacityRollOver(Decimal capacity, const DecoderHost& host);

}  // namespace cellwatch
