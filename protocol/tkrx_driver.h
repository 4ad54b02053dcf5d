// The first charger family's driver: 76- and 112-byte status messages,
// listen-only, 9600 8N1. It frames with ReceiveAssembler and decodes with
// StatusDecoder, with their rules unchanged: the freshness check (a message
// that took more than 3 s from its start byte to its completion is dropped
// and told as Late), the elapsed time since the recording's start ticks, and
// the capacity roll-over against the recording's capacity maximum (both
// asked of the DriverContext). A charging or discharging reading beyond the
// family's plausibility limits is counted but not delivered (isPlausible).
#pragma once

#include <memory>

#include "protocol/byte_source.h"
#include "protocol/charger_driver.h"
#include "protocol/receive_assembler.h"
#include "protocol/status_decoder.h"
#include "protocol/tick_clock.h"

namespace cellwatch {

// The id of the first charger family's driver.
inline constexpr std::string_view kFirstDriverId = "tkrx";
inline constexpr std::string_view kFirstDriverMaker = "Dorire";

class TkrxDriver final : public ChargerDriver, private DecoderHost {
public:
    TkrxDriver(DriverContext& context, DriverSink& sink, const DriverOptions& options = {});

    std::string_view id() const override;
    std::string_view maker() const override { return kFirstDriverMaker; }
    std::span<const std::string_view> models() const override;
    LineSettings line() const override { return {}; }  // 9600 8N1, listen-only
    int channelCount() const override { return 1; }

    void feed(std::span<const std::uint8_t> bytes, std::uint32_t timeMs) override;
    void endOfInput(std::uint32_t timeMs) override;
    std::size_t bytesWanted() const override { return assembler_.bytesBeforeWork(input_); }
    DriverCounts counts() const override;

    static std::span<const std::string_view> modelList();

private:
    // The decoder's host: the context's time base and capacity maximum, and
    // every decoded sample to the sink as a Reading.
    std::uint32_t connectTicks() const override { return context_.connectTicks(); }
    Decimal capacityDataMax() const override { return context_.capacityDataMax(); }
    void showIdle() override { sink_.event(DriverEvent::Late, 1); }
    void readingDecoded(const Reading& reading, FrameLayout layout) override;

    DriverContext& context_;
    DriverSink& sink_;
    ManualTickClock clock_;
    StatusDecoder decoder_;
    ReceiveAssembler assembler_;
    BufferByteSource input_;
    std::uint64_t messages_ = 0;
    std::uint64_t implausible_ = 0;
};

// Whether a reading of the first family is one a charger of it can measure:
// idle readings always are; others have the battery above 0 V and at most
// 50 V, the input at most 50 V and both temperatures at most 100 degrees C.
// (The cells' limit is the recording's.)
bool isPlausible(const Reading& reading);

// The layout of a message of the first family, by its size.
FrameLayout layoutOfMessage(std::span<const std::uint8_t> message);

}  // namespace cellwatch
