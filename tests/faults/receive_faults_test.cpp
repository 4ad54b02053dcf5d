// The receive path on its own, fed the way a serial port hands bytes over:
// in pieces of any size. A message cut anywhere must frame and decode
// exactly as if it had arrived whole.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "protocol/sample_text.h"
#include "protocol/status_decoder.h"
#include "serial/byte_source.h"
#include "serial/receive_assembler.h"
#include "tools/emulator/emulator.h"

namespace cellwatch {
namespace {

namespace emu = emulator;

class CollectingHost final : public DecoderHost {
public:
    std::uint32_t connectTicks() const override { return 0; }
    Decimal capacityDataMax() const override { return capacityMax; }
    void showIdle() override { ++idleShown; }
    void acceptSample(StatusSample& s) override {
        if (s.capacity > capacityMax) {
            capacityMax = s.capacity;
        }
    }
    void sampleDecoded(const StatusSample& s, FrameLayout layout) override {
        lines.push_back(dumpLine(s, layout));
    }
    Decimal capacityMax;
    int idleShown = 0;
    std::vector<std::string> lines;
};

// The lines decoded when `chunks` arrive one after the other, each chunk
// announced as one receive event.
std::vector<std::string> receive(const std::vector<std::vector<std::uint8_t>>& chunks) {
    ManualTickClock clock{70'000};
    CollectingHost host;
    StatusDecoder decoder(clock, host);
    ReceiveAssembler assembler(clock, decoder);
    BufferByteSource port;
    for (const auto& chunk : chunks) {
        port.feed(chunk);
        assembler.serviceReceived(port);
    }
    EXPECT_EQ(host.idleShown, 0);
    return host.lines;
}

emu::ChargerReading reading(int k) {
    emu::ChargerReading r;
    r.mode = k % 2 == 0 ? emu::Mode::Charge : emu::Mode::Discharge;
    r.chemistry = emu::Chemistry::Lithium;
    r.extTemperature = Decimal::fromInt(20 + k);
    r.intTemperature = Decimal::fromInt(30 + k);
    r.inputVoltage = Decimal::fromHundredths(1195 + k);
    r.voltage = Decimal::fromHundredths(1640 + 7 * k);
    r.current = Decimal::fromHundredths(205 + 3 * k);
    r.capacity = Decimal::fromInt(1000 + 11 * k);
    for (std::size_t cell = 0; cell < 4; ++cell) {
        r.cells[cell] = Decimal::fromHundredths(410 + k + static_cast<int>(cell));
    }
    return r;
}

constexpr FrameLayout S = FrameLayout::Short76;
constexpr FrameLayout L = FrameLayout::Long112;

TEST(SplitMessages, EverySplitPointFramesAsTheWholeStream) {
    // A 76-byte message is framed only once 111 bytes follow its start byte,
    // so each run ends with a message that completes the ones before it.
    const std::vector<std::vector<FrameLayout>> runs = {
        {S, S, S}, {L, L}, {S, L, S}, {L, S, L}, {L, S, S}};
    for (const auto& layouts : runs) {
        std::vector<emu::Step> steps;
        for (std::size_t i = 0; i < layouts.size(); ++i) {
            emu::Step step;
            step.kind = emu::Step::Kind::Message;
            step.reading = reading(static_cast<int>(i) + 1);
            step.layout = layouts[i];
            steps.push_back(step);
        }
        const std::vector<std::uint8_t> stream = emu::encodeSteps(steps);
        const std::vector<std::string> whole = receive({stream});
        SCOPED_TRACE(::testing::Message() << stream.size() << "-byte stream");
        ASSERT_EQ(whole, emu::expectedDumpLines(steps));
        ASSERT_FALSE(whole.empty());

        for (std::size_t cut = 1; cut < stream.size(); ++cut) {
            const std::vector<std::uint8_t> head(stream.begin(),
                                                 stream.begin() + static_cast<long>(cut));
            const std::vector<std::uint8_t> tail(stream.begin() + static_cast<long>(cut),
                                                 stream.end());
            EXPECT_EQ(receive({head, tail}), whole) << "cut after byte " << cut;
        }
    }
}

TEST(SplitMessages, ByteByByteFramesAsTheWholeStream) {
    for (const FrameLayout layout : {S, L}) {
        std::vector<emu::Step> steps(4);
        for (std::size_t i = 0; i < steps.size(); ++i) {
            steps[i].reading = reading(static_cast<int>(i) + 5);
            steps[i].layout = layout;
        }
        const std::vector<std::uint8_t> stream = emu::encodeSteps(steps);
        std::vector<std::vector<std::uint8_t>> bytes;
        for (std::uint8_t b : stream) {
            bytes.push_back({b});
        }
        EXPECT_EQ(receive(bytes), emu::expectedDumpLines(steps));
    }
}

}  // namespace
}  // namespace cellwatch
