#include "modbus_harness.h"

#include <cstdlib>

#include "protocol/icharger_driver.h"
#include "protocol/modbus_hid.h"
#include "protocol/modbus_rtu.h"

namespace {

using namespace cellwatch;

class FuzzSink final : public DriverContext, public DriverSink {
public:
    std::uint32_t connectTicks() const override { return 0; }
    Decimal capacityDataMax() const override { return {}; }
    void reading(const Reading& r, std::span<const std::uint8_t> message) override {
        if (r.channel < 1 || r.channel > 2 || r.cellCount < 0 || r.cellCount > kMostCells ||
            message.size() < 5 || (r.power && *r.power < Decimal())) {
            std::abort();
        }
    }
    void event(DriverEvent e, int /*channel*/) override {
        // Silent and Answering alternate, Silent first.
        const bool silent = e == DriverEvent::Silent;
        if (e == DriverEvent::Late || silent == wasSilent) {
            std::abort();
        }
        wasSilent = silent;
    }
    bool wasSilent = false;
};

}  // namespace

void cellwatch::runModbusHarness(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return;
    }
    // The first byte steers how the answers are cut into receive events, how
    // much time passes between them (so time-outs and silences are reached),
    // and whether they are a file's, taken without requests.
    const std::uint8_t steer = data[0];
    ++data;
    --size;
    FuzzSink sink;
    IchargerDriver driver(sink, sink, DriverOptions{.checkTimes = (steer & 0x40) == 0});
    std::uint32_t now = 0xFFFFF000u;  // close to the counter's wrap
    driver.due(now);
    const std::size_t chunk = 1 + (steer & 0x3F);
    for (std::size_t pos = 0; pos < size; pos += chunk) {
        const std::size_t n = size - pos < chunk ? size - pos : chunk;
        driver.feed({data + pos, n}, now);
        if (driver.counts().bytesDropped + driver.counts().bytesUnframed > pos + n) {
            std::abort();  // every byte is counted once
        }
        if (driver.counts().bytesUnframed > 5 + 2 * modbus::kMostRegistersPerRead) {
            std::abort();  // the assembler keeps no more than an answer
        }
        for (const DriverRequest& r : driver.due(now)) {
            if (!modbus::parseRead(r.bytes) || r.bytes[1] != modbus::kReadInput) {
                std::abort();  // it only ever reads
            }
        }
        now += (steer & 0x80) ? 600u : 5u;
        // The emulator's request parser on the same bytes, and the USB
        // link's report reader: an answer it makes is a whole RTU frame.
        (void)modbus::parseRead({data + pos, size - pos});
        if (const auto frame = modbus::rtuOfHidReport({data + pos, n}, 1)) {
            if (!modbus::crcMatches(*frame) || frame->size() > n + 1) {
                std::abort();
            }
        }
    }
}
