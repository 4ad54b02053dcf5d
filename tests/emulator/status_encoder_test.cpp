#include "tools/emulator/status_encoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/emulator/wire_bytes.h"

namespace cellwatch::emulator {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::pairAt;

Decimal dec(const char* text) {
    return *Decimal::parse(text);
}

// A charging reading whose fields all differ, so that a field at the wrong
// offset cannot go unnoticed.
ChargerReading sampleReading() {
    ChargerReading r;
    r.mode = Mode::Charge;
    r.chemistry = Chemistry::Lithium;
    r.current = dec("12.34");
    r.voltage = dec("16.8");
    r.extTemperature = dec("25");
    r.intTemperature = dec("37");
    r.inputVoltage = dec("15.02");
    r.capacity = dec("1234");
    r.cells[0] = dec("4.19");
    r.cells[8] = dec("3.05");
    r.cells[11] = dec("4.2");
    return r;
}

// Every field at its offset, and 0x80 in every byte no field covers.
TEST(StatusEncoder, BothLayoutsPutEveryFieldAtItsOffset) {
    struct Field {
        std::size_t offset;
        Bytes bytes;
        const char* what;
    };
    struct Case {
        FrameLayout layout;
        std::size_t size;
        std::vector<Field> fields;
    };
    const Case cases[] = {
        {FrameLayout::Short76,
         76,
         {
             {0, {0x7B}, "start"},
             {8, {0x81}, "mode: charge side"},
             {23, {0x81}, "LiIo/Po/Fe"},
             {33, {0x8C, 0xA2}, "current 12.34"},
             {35, {0x90, 0xD0}, "voltage 16.80"},
             {37, {0x80, 0x99}, "ext temperature 25 (x100)"},
             {39, {0x80, 0xA5}, "int temperature 37 (x100)"},
             {41, {0x8F, 0x82}, "input 15.02"},
             {43, {0x8C, 0xA2}, "capacity 1234 (x100)"},
             {45, {0x84, 0x93}, "cell 1: 4.19"},
             {61, {0x83, 0x85}, "cell 9: 3.05"},
             {67, {0x84, 0x94}, "cell 12: 4.20"},
             {75, {0x7D}, "end"},
         }},
        // No temperatures, nothing past offset 42, offset 75 no end byte.
        {FrameLayout::Long112,
         112,
         {
             {0, {0x7B}, "start"},
             {1, {0x82}, "mode: charge"},
             {2, {0x80}, "LiIo/Po/Fe"},
             {4, {0x8F, 0x82}, "input 15.02"},
             {7, {0x8C, 0xA2}, "capacity 1234 (x100)"},
             {11, {0x8C, 0xA2}, "current 12.34"},
             {15, {0x90, 0xD0}, "voltage 16.80"},
             {19, {0x84, 0x93}, "cell 1: 4.19"},
             {35, {0x83, 0x85}, "cell 9: 3.05"},
             {41, {0x84, 0x94}, "cell 12: 4.20"},
         }},
    };
    for (const Case& c : cases) {
        const Bytes bytes = encodeStatus(sampleReading(), c.layout);
        ASSERT_EQ(bytes.size(), c.size);
        Bytes expected(c.size, 0x80);
        for (const Field& f : c.fields) {
            std::copy(f.bytes.begin(), f.bytes.end(),
                      expected.begin() + static_cast<long>(f.offset));
            EXPECT_EQ(Bytes(bytes.begin() + static_cast<long>(f.offset),
                            bytes.begin() + static_cast<long>(f.offset + f.bytes.size())),
                      f.bytes)
                << c.size << "-byte layout, " << f.what;
        }
        EXPECT_EQ(bytes, expected) << c.size << "-byte layout, unused bytes";
    }
}

TEST(StatusEncoder, ModeAndBatteryCodesFollowEachLayoutsTable) {
    struct Case {
        Mode mode;
        Chemistry chemistry;
        std::uint8_t mode76, type76, mode112, type112;
    };
    const Case cases[] = {
        {Mode::Charge, Chemistry::Lithium, 0x81, 0x81, 0x82, 0x80},
        {Mode::Discharge, Chemistry::NiMH, 0x80, 0x82, 0x81, 0x84},
        {Mode::Idle, Chemistry::NiCd, 0x81, 0x83, 0x80, 0x85},
        {Mode::Charge, Chemistry::Lead, 0x81, 0x84, 0x82, 0x86},
        {Mode::Charge, Chemistry::Unknown, 0x81, 0x80, 0x82, 0x81},
    };
    for (const Case& c : cases) {
        ChargerReading r = sampleReading();
        r.mode = c.mode;
        r.chemistry = c.chemistry;
        const Bytes s = encodeStatus(r, FrameLayout::Short76);
        const Bytes l = encodeStatus(r, FrameLayout::Long112);
        SCOPED_TRACE(static_cast<int>(c.mode) * 10 + static_cast<int>(c.chemistry));
        EXPECT_EQ(s[8], c.mode76);
        EXPECT_EQ(s[23], c.type76);
        EXPECT_EQ(l[1], c.mode112);
        EXPECT_EQ(l[2], c.type112);
    }
}

TEST(StatusEncoder, IdleInTheShortLayoutIsChargeModeWithNoVoltageOrCurrent) {
    ChargerReading r = sampleReading();
    r.mode = Mode::Idle;
    const Bytes s = encodeStatus(r, FrameLayout::Short76);
    EXPECT_EQ(s[8], 0x81);
    EXPECT_EQ(pairAt(s, 33), 0);  // current
    EXPECT_EQ(pairAt(s, 35), 0);  // voltage
    const Bytes l = encodeStatus(r, FrameLayout::Long112);
    EXPECT_EQ(l[1], 0x80);
    EXPECT_EQ(pairAt(l, 11), 0);     // current
    EXPECT_EQ(pairAt(l, 15), 1680);  // the voltage is still shown
}

TEST(StatusEncoder, PairsUseTheCanonicalSplitWherePossible) {
    struct Case {
        const char* value;
        std::uint8_t whole, hundredths;
    };
    const Case cases[] = {
        {"0", 0x80, 0x80},     {"4.99", 0x84, 0xE3},   {"12.34", 0x8C, 0xA2},
        {"-1.5", 0x7F, 0x4E},  {"127.99", 0xFF, 0xE3}, {"-127.99", 0x01, 0x1D},
        {"0.004", 0x80, 0x80}, {"0.005", 0x80, 0x81},  {"200", 0xFF, 0xE3},
    };
    for (const Case& c : cases) {
        ChargerReading r;
        r.cells[0] = dec(c.value);
        const Bytes s = encodeStatus(r, FrameLayout::Short76);
        EXPECT_EQ(s[45], c.whole) << c.value;
        EXPECT_EQ(s[46], c.hundredths) << c.value;
    }
}

// Every value a pair can carry must read back as itself, with 0x7B nowhere.
TEST(StatusEncoder, EveryPairValueReadsBackAndNeverLooksLikeAStartByte) {
    for (std::int64_t h = -12799; h <= 12799; ++h) {
        ChargerReading r;
        r.mode = Mode::Charge;
        r.voltage = Decimal::fromHundredths(h);
        r.extTemperature = Decimal::fromInt(h);
        const Bytes s = encodeStatus(r, FrameLayout::Short76);
        ASSERT_EQ(pairAt(s, 35), h);
        ASSERT_EQ(pairAt(s, 37), h);
        ASSERT_EQ(std::count(s.begin() + 1, s.end(), 0x7B), 0) << "value " << h;
    }
}

TEST(StatusEncoder, CapacityBeyondTheWireRangeRollsOverByTheReceiversStep) {
    struct Case {
        std::int64_t mah, wire;
    };
    const Case cases[] = {{0, 0},         {12790, 12790}, {12799, 12799}, {12800, 2},
                          {25597, 12799}, {25598, 2},     {40000, 1606},  {-5, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(wireCapacity(c.mah), c.wire) << c.mah;
        ChargerReading r;
        r.capacity = Decimal::fromInt(c.mah);
        EXPECT_EQ(pairAt(encodeStatus(r, FrameLayout::Short76), 43), c.wire) << c.mah;
        EXPECT_EQ(pairAt(encodeStatus(r, FrameLayout::Long112), 7), c.wire) << c.mah;
    }
}

TEST(StatusEncoder, ReceiverRebuildsAGrowingCapacityFromTheWire) {
    for (std::int64_t stride : {1, 7, 333, 1000}) {
        testing::RollOverTracker receiver;
        for (std::int64_t c = 0; c < 60000; c += stride) {
            ChargerReading r;
            r.capacity = Decimal::fromInt(c);
            const std::int64_t wire = pairAt(encodeStatus(r, FrameLayout::Short76), 43);
            // The count must be seen in 12791..12799 before it rolls over.
            const std::int64_t seen = c > 12799 && c - stride < 12791 ? 12791 : c;
            if (seen != c) {
                receiver.correct(seen);
            }
            ASSERT_EQ(receiver.correct(wire), c) << "stride " << stride;
        }
    }
}

TEST(StatusEncoder, DumpLineShowsWhatTheReceiverDecodes) {
    ChargerReading charge = sampleReading();
    charge.current = dec("2");
    ChargerReading discharge = charge;
    discharge.mode = Mode::Discharge;
    discharge.chemistry = Chemistry::NiMH;
    ChargerReading idle = charge;
    idle.mode = Mode::Idle;
    ChargerReading noVoltage = charge;  // the short layout calls this idle
    noVoltage.voltage = Decimal();
    ChargerReading unknown = charge;
    unknown.chemistry = Chemistry::Unknown;
    unknown.capacity = dec("20000");

    const std::string cells = "4.19\t0\t0\t0\t0\t0\t0\t0\t3.05\t0\t0\t4.2";
    struct Case {
        const ChargerReading& reading;
        FrameLayout layout;
        std::string line;
    };
    const Case cases[] = {
        {charge, FrameLayout::Short76,
         "76\tLiIo/Po/Fe\t+CHG+\t25\t37\t15.02\t16.80\t2.00\t1234\t33.60\t"},
        {charge, FrameLayout::Long112,
         "112\tLiIo/Po/Fe\t+CHG+\t0\t0\t15.02\t16.80\t2.00\t1234\t33.60\t"},
        {discharge, FrameLayout::Short76,
         "76\tNi-MH\t-DSC-\t25\t37\t15.02\t16.80\t-2.00\t1234\t33.60\t"},
        {discharge, FrameLayout::Long112,
         "112\tNi-MH\t-DSC-\t0\t0\t15.02\t16.80\t-2.00\t1234\t33.60\t"},
        {idle, FrameLayout::Short76,
         "76\tLiIo/Po/Fe\tIdle\t25\t37\t15.02\t0.00\t0.00\t1234\t0.00\t"},
        {idle, FrameLayout::Long112,
         "112\tLiIo/Po/Fe\tIdle\t0\t0\t15.02\t16.80\t0.00\t1234\t0.00\t"},
        {noVoltage, FrameLayout::Short76,
         "76\tLiIo/Po/Fe\tIdle\t25\t37\t15.02\t0.00\t2.00\t1234\t0.00\t"},
        {noVoltage, FrameLayout::Long112,
         "112\tLiIo/Po/Fe\t+CHG+\t0\t0\t15.02\t0.00\t2.00\t1234\t0.00\t"},
        {unknown, FrameLayout::Short76,
         "76\tUnknown\t+CHG+\t25\t37\t15.02\t16.80\t2.00\t20000\t33.60\t"},
        {unknown, FrameLayout::Long112,
         "112\tUnknown\t+CHG+\t0\t0\t15.02\t16.80\t2.00\t20000\t33.60\t"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(expectedDumpLine(c.reading, c.layout), c.line + cells);
    }
}

}  // namespace
}  // namespace cellwatch::emulator
