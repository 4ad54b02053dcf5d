// A listen-only charger of several channels for the session's tests. One
// text line per message:
//   "C,V,A,MAH[,CELL[,MOHM[,WORD]]]"  a charging reading of channel C: a
//                three-cell lithium pack, each cell at CELL volts (3.80 when
//                not given), when given each reported at MOHM milliohms, and
//                its state in the charger's own WORD ("+CHG+" when not given)
//   "idle,C"     an idle reading of channel C
//   "late,C"     a late message on channel C (0: the whole charger)
//   "n=N"        the charger tells it has N channels
// A polled one ("pair-polled") asks "?" after every message it takes.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/charger_driver.h"
#include "protocol/driver_registry.h"
#include "protocol/tick_clock.h"
#include "session/session_source.h"

namespace cellwatch::testing {

class PairDriver final : public ChargerDriver {
public:
    static constexpr std::string_view kId = "pair";
    static constexpr std::string_view kPolledId = "pair-polled";

    PairDriver(DriverContext& context, DriverSink& sink, bool polled = false)
        : context_(context), sink_(sink), polled_(polled) {}

    std::string_view id() const override { return polled_ ? kPolledId : kId; }
    std::string_view maker() const override { return "Tests"; }
    std::span<const std::string_view> models() const override { return {}; }
    LineSettings line() const override {
        LineSettings line;
        line.writes = polled_;
        return line;
    }
    std::vector<DriverRequest> due(std::uint32_t /*nowMs*/) override {
        std::vector<DriverRequest> out(asks_, DriverRequest{{'?', '\n'}, 1, {}});
        asks_ = 0;
        return out;
    }
    int channelCount() const override { return channels_; }
    DriverCounts counts() const override { return counts_; }

    void feed(std::span<const std::uint8_t> bytes, std::uint32_t timeMs) override {
        for (const std::uint8_t byte : bytes) {
            if (byte != '\n') {
                pending_ += static_cast<char>(byte);
                continue;
            }
            message(pending_, timeMs);
            pending_.clear();
        }
        counts_.bytesUnframed = pending_.size();
    }

private:
    static int number(std::string_view text) {
        int n = 0;
        for (const char c : text) {
            n = c >= '0' && c <= '9' ? n * 10 + (c - '0') : n;
        }
        return text.starts_with('-') ? -n : n;
    }

    void message(const std::string& line, std::uint32_t timeMs) {
        ++counts_.messages;
        asks_ += polled_ ? 1 : 0;
        const std::span<const std::uint8_t> bytes(
            reinterpret_cast<const std::uint8_t*>(line.data()), line.size());
        const std::string_view text(line);
        if (text.starts_with("n=")) {
            channels_ = number(text.substr(2));
            return;
        }
        if (text.starts_with("late,")) {
            sink_.event(DriverEvent::Late, number(text.substr(5)));
            return;
        }
        Reading r;
        r.charger = std::string(kId);
        r.elapsedMs = ticksBetween(context_.connectTicks(), timeMs);
        if (text.starts_with("idle,")) {
            r.channel = number(text.substr(5));
            sink_.reading(r, bytes);
            return;
        }
        std::array<std::string_view, 7> fields{};
        std::size_t at = 0;
        for (std::string_view& field : fields) {
            const std::size_t comma = std::min(text.find(',', at), text.size());
            field = text.substr(std::min(at, text.size()), comma - std::min(at, text.size()));
            at = comma + 1;
        }
        r.channel = number(fields[0]);
        r.state = ChargeState::Charging;
        // The first family's words, which the alarms read, unless told.
        r.stateText = fields[6].empty() ? std::string("+CHG+") : std::string(fields[6]);
        r.chemistry = Chemistry::LiPo;
        r.chemistryText = "LiIo/Po/Fe";
        r.voltage = Decimal::parse(fields[1]).value_or(Decimal());
        r.current = Decimal::parse(fields[2]).value_or(Decimal());
        r.capacity = Decimal::parse(fields[3]).value_or(Decimal());
        r.inputVoltage = Decimal::fromInt(12);
        r.cellCount = 3;
        for (int cell = 0; cell < 3; ++cell) {
            r.cells[static_cast<std::size_t>(cell)] =
                Decimal::parse(fields[4]).value_or(Decimal::fromHundredths(380));
            r.cellResistance[static_cast<std::size_t>(cell)] = Decimal::parse(fields[5]);
        }
        sink_.reading(r, bytes);
    }

    DriverContext& context_;
    DriverSink& sink_;
    bool polled_;
    std::size_t asks_ = 0;
    int channels_ = 2;
    std::string pending_;
    DriverCounts counts_;
};

inline const DriverEntry& pairDriverEntry() {
    static const DriverEntry entry{PairDriver::kId,
                                   "Tests",
                                   {},
                                   LineSettings{},
                                   [](DriverContext& context, DriverSink& sink,
                                      const DriverOptions&) -> std::unique_ptr<ChargerDriver> {
                                       return std::make_unique<PairDriver>(context, sink);
                                   }};
    return entry;
}

inline const DriverEntry& polledPairDriverEntry() {
    static const DriverEntry entry{PairDriver::kPolledId,
                                   "Tests",
                                   {},
                                   LineSettings{.writes = true},
                                   [](DriverContext& context, DriverSink& sink,
                                      const DriverOptions&) -> std::unique_ptr<ChargerDriver> {
                                       return std::make_unique<PairDriver>(context, sink, true);
                                   }};
    return entry;
}

// One receive event of `text` on a line, as a serial port gives it.
inline void deliver(const session::SourceEvents& line, std::string_view text) {
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text.data()),
                                              text.size());
    line.received(bytes);
    line.take(bytes);
    line.serviced();
}

}  // namespace cellwatch::testing
