#include "protocol/status_decoder.h"

#include <gtest/gtest.h>

#include "decoder_test_support.h"
#include "protocol/pair_value.h"
#include "protocol/reading_format.h"
#include "tests/protocol/decimal_text.h"

namespace cellwatch {
namespace {

using testing::makeFrame;
using testing::RecordingHost;

using testing::d;

TEST(PairValue, DecodesBiasedPairs) {
    struct Case {
        std::uint8_t whole, hundredths;
        const char* value;
        const char* times100;
    };
    const Case cases[] = {
        {0x80, 0x80, "0", "0"},          {0x81, 0x7F, "0.99", "99"},
        {0x7F, 0x80, "-1", "-100"},      {0x8C, 0xA2, "12.34", "1234"},
        {0xFF, 0xFF, "128.27", "12827"}, {0x00, 0x00, "-129.28", "-12928"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PairValue(c.whole, c.hundredths), d(c.value))
            << int(c.whole) << "," << int(c.hundredths);
        EXPECT_EQ(PairValueTimes100(c.whole, c.hundredths), d(c.times100));
    }
}

class DecoderTest : public ::testing::Test {
protected:
    using Bytes = std::initializer_list<std::pair<std::size_t, std::uint8_t>>;
    // Decodes one message of either layout, its start byte taken at `start`.
    void decode(bool long112, Bytes short76Bytes, Bytes long112Bytes, std::uint32_t start) {
        if (long112) {
            decoder.decodeStatus112(makeFrame(112, long112Bytes), start);
        } else {
            decoder.decodeStatus76(makeFrame(76, short76Bytes), start);
        }
    }

    ManualTickClock clock{10'000};
    RecordingHost host;
    StatusDecoder decoder{clock, host};
};

// --- the 76-byte layout -------------------------------------------------

TEST_F(DecoderTest, Short76StateAndCurrentFollowModeAndVoltage) {
    struct Case {
        std::uint8_t mode;
        std::uint8_t voltWhole;
        const char* state;
        const char* current;
        bool handedOn;
        bool noCurrent = false;
    };
    const Case cases[] = {
        {0x81, 0x80, "Idle", "2.5", false},      // charge side but no voltage
        {0x81, 0x8C, "+CHG+", "2.5", true},      // any mode of 1 or more
        {0x80, 0x8C, "-DSC-", "-2.5", true},     // 0 or less is the discharge side
        {0x80, 0x80, "-DSC-", "-2.5", true},     // a discharge sample keeps its state at 0 V
        {0x80, 0x8C, "-DSC-", "0", true, true},  // "0.00", never "-0.00"
    };
    for (const auto& c : cases) {
        host = RecordingHost{};
        decoder.decodeStatus76(makeFrame(76, {{8, c.mode},
                                              {33, std::uint8_t(c.noCurrent ? 0x80 : 0x82)},
                                              {34, std::uint8_t(c.noCurrent ? 0x80 : 0xB2)},
                                              {35, c.voltWhole}}),
                               clock.tickCount());
        ASSERT_EQ(host.decoded.size(), 1u);
        EXPECT_EQ(host.decoded[0].stateText, c.state) << int(c.mode);
        EXPECT_EQ(host.decoded[0].current, d(c.current)) << int(c.mode);
        EXPECT_EQ(ReadingFormat::fieldText(host.decoded[0], kFieldCurrent),
                  d(c.current).format(kFormat2));
        EXPECT_EQ(host.accepted.size(), c.handedOn ? 1u : 0u) << int(c.mode);
    }
}

TEST_F(DecoderTest, BatteryTypeCodesOfBothLayouts) {
    const struct {
        std::uint8_t short76, long112;  // the codes in each layout
        std::string_view text;
    } cases[] = {{0x81, 0x80, "LiIo/Po/Fe"}, {0x82, 0x84, "Ni-MH"},   {0x83, 0x85, "Ni-Cd"},
                 {0x84, 0x86, "Pb"},         {0x80, 0x81, "Unknown"}, {0x85, 0x87, "Unknown"}};
    for (const auto& c : cases) {
        for (bool long112 : {false, true}) {
            host = RecordingHost{};
            decode(long112, {{23, c.short76}}, {{2, c.long112}}, clock.tickCount());
            ASSERT_EQ(host.decoded.size(), 1u);
            EXPECT_EQ(host.decoded[0].chemistryText, c.text)
                << int(long112 ? c.long112 : c.short76);
        }
    }
}

TEST_F(DecoderTest, Short76FieldOffsets) {
    // Every field set to a distinct value at its own offset.
    StatusFrame f = makeFrame(76, {{8, 0x81},  {23, 0x81},    // charge, lithium
                                   {33, 0x82}, {34, 0x80},    // current 2.00
                                   {35, 0x8C}, {36, 0xA2},    // voltage 12.34
                                   {37, 0x80}, {38, 0x99},    // ext 25
                                   {39, 0x80}, {40, 0xA8},    // int 40
                                   {41, 0x8F}, {42, 0x8A},    // input 15.10
                                   {43, 0x8C}, {44, 0xA2},    // capacity 1234
                                   {45, 0x83}, {46, 0xDA},    // cell 1: 3.90
                                   {61, 0x84}, {62, 0x81},    // cell 9: 4.01
                                   {67, 0x83}, {68, 0x7F}});  // cell 12: 2.99
    decoder.decodeStatus76(f, clock.tickCount());
    ASSERT_EQ(host.accepted.size(), 1u);
    EXPECT_EQ(ReadingFormat::dumpLine(host.accepted[0], layoutName(FrameLayout::Short76)),
              "76\tLiIo/Po/Fe\t+CHG+\t25\t40\t15.10\t12.34\t2.00\t1234\t24.68\t"
              "3.9\t0\t0\t0\t0\t0\t0\t0\t4.01\t0\t0\t2.99");
}

TEST_F(DecoderTest, PowerTextOfBothLayouts) {
    struct Case {
        std::uint8_t vw, vh, cw, ch;
        bool discharge;
        const char* power;
    };
    const Case cases[] = {
        {0x8C, 0xA2, 0x82, 0x80, true, "24.68"},     // 12.34 V x -2.00 A
        {0x80, 0xB2, 0x80, 0xB2, false, "0.25"},     // 0.50 V x 0.50 A
        {0xB2, 0x80, 0x9E, 0x80, false, "1500.00"},  // 50 V x 30 A: no thousands separator
        {0x80, 0x81, 0x80, 0x81, false, "0.00"},     // 0.0001 W rounds to 0.00
        {0x80, 0x87, 0x80, 0xC8, false, "0.05"},     // 0.07 x 0.72 = 0.0504
    };
    for (const auto& c : cases) {
        host = RecordingHost{};
        decoder.decodeStatus76(makeFrame(76, {{8, std::uint8_t(c.discharge ? 0x80 : 0x81)},
                                              {33, c.cw},
                                              {34, c.ch},
                                              {35, c.vw},
                                              {36, c.vh}}),
                               clock.tickCount());
        decoder.decodeStatus112(makeFrame(112, {{1, std::uint8_t(c.discharge ? 0x81 : 0x82)},
                                                {11, c.cw},
                                                {12, c.ch},
                                                {15, c.vw},
                                                {16, c.vh}}),
                                clock.tickCount());
        ASSERT_EQ(host.decoded.size(), 2u);
        EXPECT_EQ(ReadingFormat::fieldText(host.decoded[0], kFieldPower), c.power);
        EXPECT_EQ(ReadingFormat::fieldText(host.decoded[1], kFieldPower), c.power);
        // The value itself is rounded as its text, for the table and the alarms.
        EXPECT_EQ(host.decoded[0].power, d(c.power));
        EXPECT_EQ(host.decoded[1].power, d(c.power));
    }
}

// --- the 112-byte layout ------------------------------------------------

// The state follows the mode alone: charging at 0 V is still charging.
TEST_F(DecoderTest, Long112ModeTable) {
    struct Case {
        std::uint8_t mode;
        const char* state;
        const char* current;
    };
    const Case cases[] = {
        {0x82, "+CHG+", "3.5"}, {0x81, "-DSC-", "-3.5"}, {0x80, "Idle", "0"}, {0x83, "Idle", "0"}};
    for (const auto& c : cases) {
        for (const std::uint8_t volts : {std::uint8_t{0x8C}, std::uint8_t{0x80}}) {
            host = RecordingHost{};
            decoder.decodeStatus112(
                makeFrame(112, {{1, c.mode}, {11, 0x83}, {12, 0xB2}, {15, volts}}),
                clock.tickCount());
            ASSERT_EQ(host.decoded.size(), 1u);
            EXPECT_EQ(host.decoded[0].stateText, c.state) << int(c.mode) << " at " << int(volts);
            EXPECT_EQ(host.decoded[0].current, d(c.current)) << int(c.mode);
            EXPECT_EQ(host.accepted.size(), std::string_view(c.state) == "Idle" ? 0u : 1u);
        }
    }
}

TEST_F(DecoderTest, Long112FieldOffsetsAndIgnoredTail) {
    std::initializer_list<std::pair<std::size_t, std::uint8_t>> fields = {
        {1, 0x82},  {2, 0x84},    // charge, NiMH
        {4, 0x8C},  {5, 0x80},    // input 12.00
        {7, 0x8C},  {8, 0xA2},    // capacity 1234
        {11, 0x81}, {12, 0x80},   // current 1.00
        {15, 0x88}, {16, 0x9C},   // voltage 8.28
        {19, 0x81}, {20, 0xC5},   // cell 1: 1.69
        {41, 0x81}, {42, 0xB0}};  // cell 12: 1.48
    decoder.decodeStatus112(makeFrame(112, fields), clock.tickCount());
    // Offsets the layout leaves uninterpreted, including 37..40 where the other
    // layout keeps its temperatures, and everything from 43 on.
    StatusFrame noisy = makeFrame(112, fields);
    std::vector<std::uint8_t> raw(noisy.bytes().begin(), noisy.bytes().end());
    for (std::size_t off : {3u, 6u, 9u, 10u, 13u, 14u, 17u, 18u}) {
        raw[off] = 0x99;
    }
    for (std::size_t off = 43; off < 112; ++off) {
        raw[off] = static_cast<std::uint8_t>(off * 7);
    }
    raw[75] = 0x00;
    decoder.decodeStatus112(StatusFrame(raw), clock.tickCount());
    ASSERT_EQ(host.accepted.size(), 2u);
    const std::string expected =
        "112\tNi-MH\t+CHG+\t0\t0\t12.00\t8.28\t1.00\t1234\t8.28\t"
        "1.69\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t1.48";
    EXPECT_EQ(ReadingFormat::dumpLine(host.accepted[0], layoutName(FrameLayout::Long112)),
              expected);
    EXPECT_EQ(ReadingFormat::dumpLine(host.accepted[1], layoutName(FrameLayout::Long112)),
              expected);
}

// --- shared steps ---------------------------------------------------------

TEST_F(DecoderTest, FreshnessLimitIsInclusiveAndWrapsModulo32Bits) {
    struct Case {
        std::uint32_t start;
        std::uint32_t now;
        bool decoded;
    };
    const Case cases[] = {
        {10'000, 13'000, true},       // exactly 3000 ms: still decoded
        {10'000, 13'001, false},      // 3001 ms: stale
        {0xFFFFFF00u, 2'000, true},   // across the wrap: 2256 ms
        {0xFFFFFF00u, 3'000, false},  // across the wrap: 3256 ms
    };
    for (const auto& c : cases) {
        for (bool long112 : {false, true}) {
            host = RecordingHost{};
            clock.set(c.now);
            decode(long112, {{8, 0x81}, {35, 0x8C}}, {{1, 0x82}, {15, 0x8C}}, c.start);
            EXPECT_EQ(host.accepted.size(), c.decoded ? 1u : 0u) << c.start << "->" << c.now;
            EXPECT_EQ(host.decoded.size(), c.decoded ? 1u : 0u);
            EXPECT_EQ(host.idleCalls, c.decoded ? 0 : 1);
        }
    }
}

TEST_F(DecoderTest, ElapsedCountsFromConnectTicksAcrossTheWrap) {
    host.connect = 0xFFFFFC18u;  // 1000 ms before the wrap
    clock.set(64'000);
    decoder.decodeStatus76(makeFrame(76, {{8, 0x81}, {35, 0x8C}}), 63'000);
    ASSERT_EQ(host.accepted.size(), 1u);
    EXPECT_EQ(host.accepted[0].elapsedMs, 65'000u);
    EXPECT_DOUBLE_EQ(host.accepted[0].elapsedDays(), 65.0 / 86400.0);
}

TEST_F(DecoderTest, CapacityRollOver) {
    struct Case {
        std::uint8_t whole, hundredths;
        const char* dataMax;
        const char* expected;
    };
    const Case cases[] = {
        {0x80, 0x8A, "12795", "12808"},  // 10 mAh after a count past the wire's limit
        {0x80, 0x8A, "0", "10"},         // empty chart
        {0x80, 0x8A, "12790", "10"},     // just below the threshold
        {0x80, 0x8A, "12791", "12808"},  // at the threshold
        {0xFF, 0xE3, "12791", "12799"},  // not below the maximum: unchanged
        {0x80, 0x8A, "25600", "25606"},  // several steps: 10 + 2 x 12798
        {0x7F, 0x80, "12800", "25496"},  // a negative count: -100 + 2 x 12798
        {0x80, 0x8A, "12808", "12808"},  // equal to the maximum after one step: stops
    };
    for (const auto& c : cases) {
        for (bool long112 : {false, true}) {
            host = RecordingHost{};
            host.capacityMax = d(c.dataMax);
            decode(long112, {{8, 0x81}, {35, 0x8C}, {43, c.whole}, {44, c.hundredths}},
                   {{1, 0x82}, {7, c.whole}, {8, c.hundredths}}, clock.tickCount());
            ASSERT_EQ(host.accepted.size(), 1u);
            EXPECT_EQ(host.accepted[0].capacity, d(c.expected)) << c.dataMax;
        }
    }
}

TEST_F(DecoderTest, RawBytesAreNotRangeChecked) {
    decoder.decodeStatus76(
        makeFrame(
            76,
            {{8, 0x81}, {35, 0xFF}, {36, 0xFF}, {37, 0x7F}, {38, 0x80}, {45, 0xFF}, {46, 0xFF}}),
        clock.tickCount());
    ASSERT_EQ(host.accepted.size(), 1u);
    EXPECT_EQ(host.accepted[0].voltage, d("128.27"));
    EXPECT_EQ(host.accepted[0].extTemperature, d("-100"));
    EXPECT_EQ(host.accepted[0].cells[0], d("128.27"));
}

}  // namespace
}  // namespace cellwatch
