#include "receive_harness.h"

#include <cstdlib>

#include "protocol/reading_format.h"
#include "protocol/receive_assembler.h"
#include "protocol/status_decoder.h"

namespace {

using namespace cellwatch;

class FuzzHost final : public DecoderHost {
public:
    std::uint32_t connectTicks() const override { return connect; }
    Decimal capacityDataMax() const override { return capacityMax; }
    void showIdle() override { ++idle; }
    void acceptReading(Reading& s) override {
        if (s.capacity > capacityMax) {
            capacityMax = s.capacity;
        }
        // Exercise every text form the table would show.
        std::string line = ReadingFormat::dumpLine(s, layoutName(FrameLayout::Short76));
        if (line.empty() || !s.power || s.power->format(kFormat2) == "-0.00") {
            std::abort();
        }
    }
    std::uint32_t connect = 0;
    Decimal capacityMax;
    int idle = 0;
};

}  // namespace

void cellwatch::runReceiveHarness(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return;
    }
    // The first byte steers how the stream is cut into receive events and how
    // much time passes between them, so stale frames are reached too.
    const std::uint8_t steer = data[0];
    ++data;
    --size;
    ManualTickClock clock(0xFFFFF000u);  // close to the counter's wrap
    FuzzHost host;
    host.connect = clock.tickCount();
    StatusDecoder decoder(clock, host);
    ReceiveAssembler assembler(clock, decoder);
    BufferByteSource port;
    const std::size_t chunk = 1 + (steer & 0x3F);
    for (std::size_t pos = 0; pos < size; pos += chunk) {
        std::size_t n = size - pos < chunk ? size - pos : chunk;
        port.feed({data + pos, n});
        assembler.serviceReceived(port);
        clock.advance((steer & 0x80) ? 1500u : 20u);
        if (assembler.hasWork(port)) {
            std::abort();  // the driver must leave nothing it could still frame
        }
    }
    return;
}
