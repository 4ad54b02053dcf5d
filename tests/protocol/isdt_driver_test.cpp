// The ISDT driver below the link: notifications in, readings out; its
// handshake and polls on a manual clock; a real C4 Air charging four cells.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "protocol/frames_text.h"
#include "protocol/isdt_driver.h"

namespace cellwatch {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct IsdtSink final : DriverContext, DriverSink {
    std::uint32_t connectTicks() const override { return 0; }
    Decimal capacityDataMax() const override { return {}; }
    void reading(const Reading& r, std::span<const std::uint8_t> /*message*/) override {
        readings.push_back(r);
    }
    void event(DriverEvent e, int /*channel*/) override { events.push_back(e); }
    std::vector<Reading> readings;
    std::vector<DriverEvent> events;
};

Bytes hex(std::string_view text) {
    return parseFramesLine(text).bytes;
}

Decimal milli(std::int64_t v) {
    return Decimal::fromThousandths(v);
}

void readCapture(const char* name, IsdtDriver& driver) {
    std::ifstream in(std::string(CELLWATCH_TEST_DATA_DIR) + "/isdt/" + name);
    std::stringstream text;
    text << in.rdbuf();
    const FramesText frames = readFramesText(text.str());
    ASSERT_EQ(frames.badLines, 0U);
    for (const FramesEntry& f : frames.frames) {
        driver.feed(f.bytes, static_cast<std::uint32_t>(f.timeMs - frames.frames[0].timeMs));
    }
    driver.endOfInput(0);
}

TEST(IsdtCapture, AC4AirChargingFourCellsReadsWhole) {
    IsdtSink sink;
    IsdtDriver driver(sink, sink, DriverOptions{.checkTimes = false});
    readCapture("c4air-4cell-charging.frames", driver);
    const std::vector<Reading>& rs = sink.readings;
    EXPECT_EQ(driver.model(), "C4 Air");
    EXPECT_EQ(driver.channelCount(), 6);
    EXPECT_EQ(driver.counts().bytesDropped, 0U);
    ASSERT_EQ(rs.size(), 6U);
    struct Slot {
        ChargeState state;
        const char* stateText;
        std::int64_t mv, ma;
        std::optional<std::int64_t> tenthMohm;
    };
    const Slot slots[] = {
        {ChargeState::Charging, "charging", 1337, 765, 501},
        {ChargeState::Charging, "charging", 1275, 965, {}},
        {ChargeState::Charging, "charging", 1321, 958, 852},
        {ChargeState::Charging, "charging (CC)", 1328, 735, {}},
        {ChargeState::Idle, "idle", 0, 0, {}},
        {ChargeState::Idle, "idle", 0, 0, {}},
    };
    for (std::size_t k = 0; k < 6; ++k) {
        SCOPED_TRACE(k);
        const Reading& r = rs[k];
        EXPECT_EQ(r.channel, static_cast<int>(k) + 1);
        EXPECT_EQ(r.state, slots[k].state);
        EXPECT_EQ(r.stateText, slots[k].stateText);
        EXPECT_EQ(r.voltage, milli(slots[k].mv));
        EXPECT_EQ(r.current, milli(slots[k].ma));
        EXPECT_EQ(r.chemistry, k < 4 ? Chemistry::NiMH : Chemistry::Unknown);
        EXPECT_EQ(r.cellCount, k < 4 ? 1 : 0);
        const std::optional<Decimal> ir =
            slots[k].tenthMohm ? std::optional(Decimal::fromRaw(*slots[k].tenthMohm * 1000))
                               : std::nullopt;
        EXPECT_EQ(r.cellResistance[0], ir);
        EXPECT_EQ(r.packResistance, ir);
    }
    // Told at its last answer: slot 1's resistance, 4.726 s after the first line.
    EXPECT_EQ(rs[0].elapsedMs, 4726U);
    EXPECT_EQ(rs[0].inputVoltage, milli(11967));
    EXPECT_EQ(rs[0].capacity, Decimal::fromInt(1));
    EXPECT_EQ(rs[0].energy, milli(1));
}

// A LiPo balance charger names itself, and its codes follow the other map.
TEST(IsdtDecode, ABalanceChargersPackWithItsCellsAndResistances) {
    IsdtSink sink;
    IsdtDriver driver(sink, sink);
    driver.feed(hex("e1 01 00 01 00 43 45 4e 54 50 45 52 49"), 0);  // CENTPERI
    EXPECT_EQ(driver.model(), "Air 8");
    driver.feed(hex("31 e7 00 03 49 09 00 00 00 e3 00 00 00 68 8d 00 00 01 06 03 68 10 e8 03 00 "
                    "00 34 00 00 00 04 29 70 64 08 00 00 00"),
                100);
    driver.feed(hex("31 e5 00 36 29 8a 09 00 00 e9 5c d1 03 00 00 7d 0f 7b 0f 7d 0f 7c 0f 7c 0f "
                    "7c 0f 00 00 00 00"),
                200);
    driver.feed(hex("31 fb 00 51 00 65 00 56 00 4b 00 56 00 5b 00 ff ff ff ff"), 300);
    driver.endOfInput(300);
    ASSERT_EQ(sink.readings.size(), 1U);
    const Reading& r = sink.readings[0];
    EXPECT_EQ(r.state, ChargeState::Charging);
    EXPECT_EQ(r.stateText, "charging (CC)");
    EXPECT_EQ(r.chemistry, Chemistry::LiPo);
    EXPECT_EQ(r.voltage, milli(23785));
    EXPECT_EQ(r.current, milli(977));
    EXPECT_EQ(r.capacity, Decimal::fromInt(9));
    EXPECT_EQ(r.energy, milli(227));
    EXPECT_EQ(r.inputVoltage, milli(10550));
    ASSERT_EQ(r.cellCount, 6);
    EXPECT_EQ(r.cells[1], milli(3963));
    const std::int64_t tenths[] = {81, 101, 86, 75, 86, 91};
    for (std::size_t c = 0; c < 6; ++c) {
        EXPECT_EQ(r.cellResistance[c], Decimal::fromRaw(tenths[c] * 1000)) << c;
    }
    EXPECT_FALSE(r.cellResistance[6]);  // ff ff: no cell
    EXPECT_EQ(r.packResistance, Decimal::fromRaw(520 * 1000));
}

Bytes blockAnswer() {
    Bytes b = {0x31, 0xE7, 0x08};
    for (std::uint8_t s = 0; s < 8; ++s) {
        const std::uint8_t state = s == 7 ? 5 : (s % 2 == 0 ? 3 : 6);
        // state, %, mAh u32, mWh u32, ms u32, type, mA u32, mV u16, 0.1 mOhm u16, error u16
        const Bytes slot = {state,
                            50,
                            static_cast<std::uint8_t>(100 + s),
                            0,
                            0,
                            0,
                            0x10,
                            0x01,
                            0,
                            0,
                            0,
                            0,
                            0,
                            0,
                            1,
                            0xE8,
                            0x03,
                            0,
                            0,
                            static_cast<std::uint8_t>(0x10 + s),
                            0x05,
                            0x20,
                            0x03,
                            static_cast<std::uint8_t>(s == 7 ? 4 : 0),
                            0};
        b.insert(b.end(), slot.begin(), slot.end());
    }
    return b;
}

TEST(IsdtDecode, TheA8AirsOneAnswerForEverySlot) {
    IsdtSink sink;
    IsdtDriver driver(sink, sink);
    driver.feed(hex("31 e5 08 b0 2e 5f 01 00 00"), 0);  // device-wide electric
    driver.feed(blockAnswer(), 10);
    ASSERT_EQ(sink.readings.size(), 8U);
    for (std::size_t s = 0; s < 8; ++s) {
        SCOPED_TRACE(s);
        const Reading& r = sink.readings[s];
        EXPECT_EQ(r.channel, static_cast<int>(s) + 1);
        EXPECT_EQ(r.capacity, Decimal::fromInt(100 + static_cast<int>(s)));
        EXPECT_EQ(r.voltage, milli(0x0510 + static_cast<int>(s)));
        EXPECT_EQ(r.energy, milli(0x0110));
        EXPECT_EQ(r.chemistry, Chemistry::LiIon);
        EXPECT_EQ(r.packResistance, Decimal::fromRaw(0x0320 * 1000));
        EXPECT_EQ(r.inputVoltage, milli(0x2eb0));
    }
    EXPECT_EQ(sink.readings[0].current, milli(1000));
    EXPECT_EQ(sink.readings[1].state, ChargeState::Done);
    EXPECT_EQ(sink.readings[7].state, ChargeState::Error);
    EXPECT_EQ(sink.readings[7].errorCode, 4);
}

// At the default MTU an answer comes in 20-byte pieces.
TEST(IsdtDecode, PiecesOfAnAnswerAreJoined) {
    const Bytes work =
        hex("31 e7 00 03 49 09 00 00 00 e3 00 00 00 68 8d 00 00 01 06 03 68 10 e8 03 "
            "00 00 34 00 00 00 04 29 70 64 08 00 00 00");
    Bytes longElectric = {0x31, 0xE5, 0x00};
    for (std::uint32_t v : {12000U, 800U, 8200U, 1500U}) {
        for (int k = 0; k < 4; ++k) {
            longElectric.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
        }
    }
    for (int c = 0; c < 16; ++c) {
        longElectric.push_back(c < 2 ? 0x04 : 0x00);  // two cells of 4.100 V
        longElectric.push_back(c < 2 ? 0x10 : 0x00);
    }
    const auto pieces = [](const Bytes& b) {
        std::vector<Bytes> out;
        for (std::size_t at = 0; at < b.size(); at += 20) {
            out.emplace_back(b.begin() + static_cast<std::ptrdiff_t>(at),
                             b.begin() + static_cast<std::ptrdiff_t>(std::min(b.size(), at + 20)));
        }
        return out;
    };
    struct Case {
        const char* what;
        std::vector<Bytes> messages;
        std::uint32_t gapMs;
        std::size_t readings;
        std::int64_t mv;
    };
    std::vector<Bytes> both = pieces(work);
    for (const Bytes& p : pieces(longElectric)) {
        both.push_back(p);
    }
    const Case cases[] = {
        {"a work state and a long electric answer", both, 50, 1, 8200},
        {"the A8 Air's block", pieces(blockAnswer()), 50, 8, 0x0510},
        {"a piece whose rest came too late", pieces(work), 800, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        IsdtSink sink;
        IsdtDriver driver(sink, sink);
        std::uint32_t t = 0;
        for (const Bytes& m : c.messages) {
            driver.feed(m, t += c.gapMs);
        }
        driver.endOfInput(t);
        ASSERT_EQ(sink.readings.size(), c.readings);
        if (c.readings > 0) {
            EXPECT_EQ(sink.readings[0].voltage, milli(c.mv));
        }
        if (c.readings == 1) {
            EXPECT_EQ(sink.readings[0].cellCount, 2);
            EXPECT_EQ(sink.readings[0].cells[1], milli(4100));
        }
        EXPECT_EQ(driver.counts().bytesDropped, c.readings > 0 ? 0U : work.size());
    }
}

TEST(IsdtDecode, BrokenAndStrangeNotificationsAreDroppedWhole) {
    struct Case {
        const char* what;
        const char* hex;
        std::uint64_t dropped;
    };
    const Case cases[] = {
        {"a work state cut short", "31 e7 00 03 18 01 00", 7},
        {"an electric answer cut short", "31 e5 00 bf 2e", 5},
        {"an unknown command", "31 77 00 01 02", 5},
        {"no header", "42 e7 00 03", 4},
        {"a bind answer without its result", "19", 1},
        {"a hardware answer cut short", "e1 01 00", 3},
        {"a work state of a slot past eight",
         "31 e7 09 03 18 01 00 00 00 01 00 00 00 cc 42 00 00 "
         "04 01 02 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
         "00 00 00 00 00",
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        IsdtSink sink;
        IsdtDriver driver(sink, sink);
        driver.feed(hex(c.hex), 0);
        driver.endOfInput(0);
        EXPECT_TRUE(sink.readings.empty());
        EXPECT_EQ(driver.counts().bytesDropped, c.dropped);
    }
}

TEST(IsdtConversation, BindsAsksItsModelThenPollsEachSlotSpacedOut) {
    IsdtSink sink;
    IsdtDriver driver(sink, sink);
    std::vector<DriverRequest> out = driver.due(0);
    ASSERT_EQ(out.size(), 1U);
    EXPECT_EQ(out[0].target, isdt::kBindCharacteristic);
    ASSERT_EQ(out[0].bytes.size(), 19U);
    EXPECT_EQ(out[0].bytes.front(), 0x18);
    EXPECT_EQ(out[0].bytes[17], 0x00);
    EXPECT_EQ(out[0].bytes[18], 0x01);
    // The charger waits for its button: no retry meanwhile.
    driver.feed(hex("19 01"), 80);
    EXPECT_TRUE(driver.due(IsdtDriver::kHandshakeMs + 100).empty());
    EXPECT_FALSE(driver.bound());
    driver.feed(hex("19 00"), 20'000);
    EXPECT_TRUE(driver.bound());
    out = driver.due(20'000);
    ASSERT_EQ(out.size(), 1U);
    EXPECT_EQ(out[0].bytes, Bytes{0xE0});
    EXPECT_EQ(out[0].target, isdt::kBindCharacteristic);
    driver.feed(hex("e1 01 00 02 00 4e 50 32 41 69 72 20 20"), 20'050);  // NP2Air
    EXPECT_EQ(driver.channelCount(), 2);

    const Bytes polls[] = {{0x13, 0xE6, 0x00}, {0x12, 0xE4, 0x00}, {0x13, 0xFA, 0x00},
                           {0x13, 0xE6, 0x01}, {0x12, 0xE4, 0x01}, {0x13, 0xFA, 0x01}};
    std::uint32_t t = 20'050;
    for (const Bytes& poll : polls) {
        EXPECT_TRUE(driver.due(t).empty());  // 100 ms after the last write
        t = *driver.nextDueMs();
        out = driver.due(t);
        ASSERT_EQ(out.size(), 1U);
        EXPECT_EQ(out[0].bytes, poll);
        EXPECT_EQ(out[0].target, isdt::kPollCharacteristic);
        Bytes answer = {0x31, static_cast<std::uint8_t>(poll[1] + 1), poll[2]};
        answer.resize(poll[1] == 0xE6 ? 39 : 19, 0);
        driver.feed(answer, t += 30);
    }
    // Slot 1 was told when slot 2's poll went out.
    EXPECT_EQ(sink.readings.size(), 1U);
    // The next round has no resistance poll.
    t = *driver.nextDueMs();
    EXPECT_EQ(driver.due(t)[0].bytes, polls[0]);
    EXPECT_EQ(sink.readings.size(), 2U);
}

TEST(IsdtConversation, SilentAfterFiveMissesThenBindsAgain) {
    IsdtSink sink;
    IsdtDriver driver(sink, sink);
    std::uint32_t t = 0;
    driver.due(t);
    driver.feed(hex("19 00"), t += 50);
    driver.due(t += 100);
    driver.feed(hex("e1 01 00 02 00 43 34 41 69 72 20 20 20"), t += 50);
    for (int k = 0; k < IsdtDriver::kMissesForSilent; ++k) {
        t = *driver.nextDueMs();
        ASSERT_EQ(driver.due(t).size(), 1U);
        EXPECT_EQ(driver.answering(), true);
    }
    t = *driver.nextDueMs();
    const std::vector<DriverRequest> out = driver.due(t);
    EXPECT_EQ(sink.events, std::vector<DriverEvent>{DriverEvent::Silent});
    ASSERT_EQ(out.size(), 1U);
    EXPECT_EQ(out[0].bytes.front(), isdt::kBindReq);
    driver.feed(hex("19 00"), t + 40);
    EXPECT_EQ(sink.events, (std::vector<DriverEvent>{DriverEvent::Silent, DriverEvent::Answering}));
}

}  // namespace
}  // namespace cellwatch
