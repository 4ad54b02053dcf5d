#include "driver_harness.h"

#include <cstdlib>
#include <span>

namespace cellwatch {

void CheckingSink::reading(const Reading& r, std::span<const std::uint8_t> message) {
    if (message.empty() || r.channel < 1 || r.channel > channels || r.cellCount < 0 ||
        r.cellCount > kMostCells ||
        (r.state == ChargeState::Idle && r.current.raw() != 0 && r.charger == "isdt")) {
        std::abort();
    }
}

void CheckingSink::event(DriverEvent e, int channel) {
    if (e == DriverEvent::Late || channel != 0) {
        std::abort();
    }
}

void runDriverHarness(ChargerDriver& driver, const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);
    std::uint32_t t = 0;
    std::size_t pos = 0;
    std::uint64_t fed = 0;
    while (pos < input.size()) {
        const std::size_t n = std::min<std::size_t>(input[pos], input.size() - pos - 1);
        const std::span<const std::uint8_t> message = input.subspan(pos + 1, n);
        pos += 1 + n;
        driver.feed(message, t);
        fed += n;
        for (const DriverRequest& r : driver.due(t)) {
            if (r.bytes.empty()) {
                std::abort();
            }
        }
        if (const std::optional<std::uint32_t> next = driver.nextDueMs(); next && n % 3 == 0) {
            t = *next;  // now and then the time the driver asked for
        }
        t += 37U * static_cast<std::uint32_t>(n % 7);
    }
    driver.endOfInput(t);
    const DriverCounts c = driver.counts();
    if (c.bytesDropped > fed || c.bytesUnframed > fed) {
        std::abort();
    }
}

}  // namespace cellwatch
