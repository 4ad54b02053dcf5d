// The emulator's messages, read back the way the receiver reads them.
#include "tools/emulator/status_encoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "protocol/reading_format.h"
#include "protocol/status_decoder.h"
#include "tests/emulator/wire_bytes.h"
#include "tests/protocol/decimal_text.h"
#include "tests/protocol/decoder_test_support.h"

namespace cellwatch::emulator {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::pairAt;

using cellwatch::testing::d;

// The line the receiver's decoder gives for one encoded message.
std::string decodedLine(const Bytes& bytes, FrameLayout layout) {
    ManualTickClock clock;
    cellwatch::testing::RecordingHost host;
    StatusDecoder decoder(clock, host);
    if (layout == FrameLayout::Short76) {
        decoder.decodeStatus76(StatusFrame(bytes), 0);
    } else {
        decoder.decodeStatus112(StatusFrame(bytes), 0);
    }
    return host.decoded.empty() ? std::string() : host.lines().back();
}

// Readings whose fields all differ, so that a field at the wrong offset
// cannot go unnoticed, in every mode and with every battery type; both
// layouts decode to the line written here, and the dump line the emulator
// expects is that line too.
TEST(StatusEncoder, EveryFieldDecodesAsTheEmulatorExpects) {
    ChargerReading charge;
    charge.mode = Mode::Charge;
    charge.chemistry = Chemistry::Lithium;
    charge.current = d("2");
    charge.voltage = d("16.8");
    charge.extTemperature = d("25");
    charge.intTemperature = d("37");
    charge.inputVoltage = d("15.02");
    charge.capacity = d("1234");
    charge.cells[0] = d("4.19");
    charge.cells[8] = d("3.05");
    charge.cells[11] = d("4.2");
    ChargerReading discharge = charge;
    discharge.mode = Mode::Discharge;
    discharge.chemistry = Chemistry::NiMH;
    ChargerReading idle = charge;
    idle.mode = Mode::Idle;
    idle.chemistry = Chemistry::NiCd;
    ChargerReading noVoltage = charge;  // the short layout calls this idle
    noVoltage.voltage = Decimal();
    noVoltage.chemistry = Chemistry::Lead;
    ChargerReading unknown = charge;
    unknown.chemistry = Chemistry::Unknown;

    const std::string cells = "4.19\t0\t0\t0\t0\t0\t0\t0\t3.05\t0\t0\t4.2";
    const struct {
        const ChargerReading& reading;
        FrameLayout layout;
        std::string line;
    } cases[] = {
        {charge, FrameLayout::Short76,
         "76\tLiIo/Po/Fe\t+CHG+\t25\t37\t15.02\t16.80\t2.00\t1234\t33.60\t"},
        {charge, FrameLayout::Long112,
         "112\tLiIo/Po/Fe\t+CHG+\t0\t0\t15.02\t16.80\t2.00\t1234\t33.60\t"},
        {discharge, FrameLayout::Short76,
         "76\tNi-MH\t-DSC-\t25\t37\t15.02\t16.80\t-2.00\t1234\t33.60\t"},
        {discharge, FrameLayout::Long112,
         "112\tNi-MH\t-DSC-\t0\t0\t15.02\t16.80\t-2.00\t1234\t33.60\t"},
        {idle, FrameLayout::Short76, "76\tNi-Cd\tIdle\t25\t37\t15.02\t0.00\t0.00\t1234\t0.00\t"},
        {idle, FrameLayout::Long112, "112\tNi-Cd\tIdle\t0\t0\t15.02\t16.80\t0.00\t1234\t0.00\t"},
        {noVoltage, FrameLayout::Short76, "76\tPb\tIdle\t25\t37\t15.02\t0.00\t2.00\t1234\t0.00\t"},
        {noVoltage, FrameLayout::Long112, "112\tPb\t+CHG+\t0\t0\t15.02\t0.00\t2.00\t1234\t0.00\t"},
        {unknown, FrameLayout::Short76,
         "76\tUnknown\t+CHG+\t25\t37\t15.02\t16.80\t2.00\t1234\t33.60\t"},
        {unknown, FrameLayout::Long112,
         "112\tUnknown\t+CHG+\t0\t0\t15.02\t16.80\t2.00\t1234\t33.60\t"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const Bytes bytes = encodeStatus(c.reading, c.layout);
        const bool short76 = c.layout == FrameLayout::Short76;
        ASSERT_EQ(bytes.size(), short76 ? 76u : 112u);
        EXPECT_EQ(bytes[0], kStartByte);
        // The receiver tells the layouts apart by offset 75 alone.
        EXPECT_EQ(bytes[kEndByteOffset] == kEndByte, short76);
        EXPECT_EQ(decodedLine(bytes, c.layout), c.line + cells);
        EXPECT_EQ(expectedDumpLine(c.reading, c.layout), c.line + cells);
    }
}

// Every value a pair can carry must read back as itself, with 0x7B nowhere;
// beyond the wire's range a value is clamped, and it is rounded half away
// from zero to hundredths.
TEST(StatusEncoder, EveryPairValueReadsBackAndNeverLooksLikeAStartByte) {
    for (std::int64_t h = -12799; h <= 12799; ++h) {
        ChargerReading r;
        r.mode = Mode::Charge;
        r.voltage = Decimal::fromHundredths(h);
        r.extTemperature = Decimal::fromInt(h);
        const Bytes s = encodeStatus(r, FrameLayout::Short76);
        ASSERT_EQ(pairAt(s, 35), h);
        ASSERT_EQ(pairAt(s, 37), h);
        ASSERT_EQ(std::count(s.begin() + 1, s.end(), kStartByte), 0) << "value " << h;
    }
    const std::pair<const char*, std::int64_t> edges[] = {
        {"127.99", 12799}, {"200", 12799}, {"-127.99", -12799}, {"0.004", 0}, {"0.005", 1},
    };
    for (const auto& [value, hundredths] : edges) {
        ChargerReading r;
        r.cells[0] = d(value);
        EXPECT_EQ(pairAt(encodeStatus(r, FrameLayout::Short76), 45), hundredths) << value;
    }
}

// The receiver adds 12798 to a count below the largest seen; the scenario
// tests follow a growing count across the roll-over.
TEST(StatusEncoder, CapacityBeyondTheWireRangeRollsOverByTheReceiversStep) {
    const std::pair<std::int64_t, std::int64_t> cases[] = {
        {0, 0},         {12790, 12790}, {12799, 12799}, {12800, 2},
        {25597, 12799}, {25598, 2},     {40000, 1606},  {-5, 0}};
    for (const auto& [mah, wire] : cases) {
        EXPECT_EQ(wireCapacity(mah), wire) << mah;
        ChargerReading r;
        r.capacity = Decimal::fromInt(mah);
        EXPECT_EQ(pairAt(encodeStatus(r, FrameLayout::Short76), 43), wire) << mah;
        EXPECT_EQ(pairAt(encodeStatus(r, FrameLayout::Long112), 7), wire) << mah;
    }
}

}  // namespace
}  // namespace cellwatch::emulator
