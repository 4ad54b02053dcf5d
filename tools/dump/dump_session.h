// Decodes a captured serial byte stream into one text line per message, with
// the same driver as the program. The input counts as already waiting in
// full. While it goes on, a message is framed as on a live line (a 76-byte
// one once 111 bytes follow its start byte); at its end (finish) the last
// 76-byte message is framed as the next message's bytes would have framed
// it, and a message cut off is not decoded. There is no freshness check.
// The driver's rules decide what is printed: a message it finds implausible
// is only counted, and its capacity roll-over goes by the largest capacity
// of the earlier non-idle messages it delivered (as a recording's goes by
// the rows it took).
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "protocol/charger_driver.h"
#include "protocol/tkrx_driver.h"

namespace cellwatch {

struct DumpSummary {
    std::uint64_t messages76 = 0;
    std::uint64_t messages112 = 0;
    std::uint64_t readingsOther = 0;  // of another charger's driver
    std::uint64_t messagesOther = 0;  // the messages its driver framed
    bool firstFamily = true;
    std::uint64_t idleMessages = 0;
    std::uint64_t implausibleMessages = 0;  // decoded but not printed
    std::uint64_t bytesDropped = 0;         // dropped one by one while hunting
    std::uint64_t bytesUnframed = 0;  // left at the end: a started frame and what waits after it
};

std::string summaryText(const DumpSummary& summary);

class DumpSession final : private DriverContext, private DriverSink {
public:
    // Lines go to `out`, each ending in '\n'. Throws std::invalid_argument
    // for a charger no driver knows.
    explicit DumpSession(std::FILE* out, std::string_view charger = kFirstDriverId);

    // Adds bytes read from the input and decodes every message they complete.
    void feed(std::span<const std::uint8_t> bytes);
    // Bytes of one message received at `timeMs` (a frames file's line).
    void feedMessage(std::span<const std::uint8_t> bytes, std::uint32_t timeMs);
    // The input has ended: decodes the last message if it is whole.
    void finish();
    DumpSummary summary() const;

private:
    std::uint32_t connectTicks() const override { return 0; }
    Decimal capacityDataMax() const override { return capacityMax_; }
    void reading(const Reading& reading, std::span<const std::uint8_t> message) override;
    void event(DriverEvent /*event*/, int /*channel*/) override {}

    std::FILE* out_;
    std::unique_ptr<ChargerDriver> driver_;
    Decimal capacityMax_;  // over the earlier non-idle readings; 0 before the first
    DumpSummary counts_;
    std::uint32_t lastTime_ = 0;
    std::string line_;
};

}  // namespace cellwatch
