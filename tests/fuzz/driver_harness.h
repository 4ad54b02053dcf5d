// What the requesting drivers' harnesses share: a sink that checks every
// reading and event, and the loop that feeds a driver its messages.
#pragma once

#include <cstddef>
#include <cstdint>

#include "protocol/charger_driver.h"

namespace cellwatch {

// Cuts the input into messages (a length byte, then that many bytes), feeds
// each at a moving time and asks for requests in between. Aborts when a
// reading or a count breaks what a driver promises.
void runDriverHarness(ChargerDriver& driver, const std::uint8_t* data, std::size_t size);

struct CheckingSink final : DriverContext, DriverSink {
    std::uint32_t connectTicks() const override { return 0; }
    Decimal capacityDataMax() const override { return {}; }
    void reading(const Reading& r, std::span<const std::uint8_t> message) override;
    void event(DriverEvent e, int channel) override;
    int channels = 1;
};

}  // namespace cellwatch
