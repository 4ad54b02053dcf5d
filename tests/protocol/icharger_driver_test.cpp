// The iCharger driver on a manual clock against registers the test
// chooses: what it asks in which order, what it makes of the answers, and
// how it takes late, repeated, missing and refused answers.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "protocol/icharger_driver.h"

namespace cellwatch {
namespace {

using IchargerBytes = std::vector<std::uint8_t>;
namespace ic = icharger;

// The charger's side: input registers by address; a read of one it lacks is refused.
struct IchargerRegisters {
    std::map<std::uint16_t, std::uint16_t> input;

    IchargerBytes answer(const IchargerBytes& request) const {
        const std::optional<modbus::ReadRequest> r = modbus::parseRead(request);
        if (!r) {
            return {};
        }
        std::vector<std::uint16_t> values;
        for (std::uint32_t a = r->start; a < r->start + r->count; ++a) {
            const auto it = input.find(static_cast<std::uint16_t>(a));
            if (it == input.end()) {
                return modbus::encodeException(r->unit, r->function, modbus::kIllegalAddress);
            }
            values.push_back(it->second);
        }
        return modbus::encodeReadAnswer(r->unit, r->function, values);
    }
    void channel(int c, const std::array<std::uint16_t, ic::kChannelCount>& block,
                 std::uint16_t statusWord) {
        for (std::uint16_t k = 0; k < ic::kChannelCount; ++k) {
            input[static_cast<std::uint16_t>(ic::kChannelBase[c - 1] + k)] = block[k];
        }
        input[static_cast<std::uint16_t>(ic::kStatusWordBase + c - 1)] = statusWord;
    }
};

struct IchargerSink final : DriverContext, DriverSink {
    std::uint32_t connectTicks() const override { return 1000; }
    Decimal capacityDataMax() const override { return {}; }
    void reading(const Reading& r, std::span<const std::uint8_t> /*message*/) override {
        readings.push_back(r);
    }
    void event(DriverEvent e, int /*channel*/) override { events.push_back(e); }

    std::vector<Reading> readings;
    std::vector<DriverEvent> events;
};

// 4.2 A charge into 3 cells (cell 3 absent-valued slots after), 65.6 W.
std::array<std::uint16_t, ic::kChannelCount> chargingBlock() {
    std::array<std::uint16_t, ic::kChannelCount> b{};
    b[ic::kPowerMw] = 0x0040;  // 0x0001'0040 mW = 65.600 W, low word first
    b[ic::kPowerMw + 1] = 0x0001;
    b[ic::kCurrent10mA] = 420;
    b[ic::kInputMv] = 24010;
    b[ic::kPackMv] = 12345;
    b[ic::kCapacityMah] = 1500;
    b[ic::kIntTemp] = 352;
    b[ic::kExtTemp] = static_cast<std::uint16_t>(-15);  // -1.5 °C
    b[ic::kCellMv] = 4100;
    b[ic::kCellMv + 1] = 4120;
    b[ic::kCellMv + 2] = 4125;
    for (int k = 3; k < 16; ++k) {
        b[ic::kCellMv + static_cast<std::size_t>(k)] = ic::kAbsentCellMv;
    }
    b[ic::kCellIr] = 31;
    b[ic::kCellIr + 1] = 0;  // not measured
    b[ic::kCellIr + 2] = 95;
    b[ic::kPackIr] = 126;
    b[ic::kRunStatus] = ic::kRunCharge;
    return b;
}

TEST(IchargerDecode, ValuesStatesAndErrors) {
    struct Case {
        const char* what;
        std::uint16_t statusWord;
        std::map<std::size_t, std::uint16_t> changes;
        ChargeState state;
        std::string text;
        std::optional<int> error;
    };
    const Case cases[] = {
        {"charging", ic::kStatusRun, {}, ChargeState::Charging, "charge", std::nullopt},
        {"discharging",
         ic::kStatusRun,
         {{ic::kRunStatus, ic::kRunDischarge}},
         ChargeState::Discharging,
         "discharge",
         std::nullopt},
        {"paused",
         ic::kStatusRun,
         {{ic::kRunStatus, ic::kRunPause}},
         ChargeState::Resting,
         "pause",
         std::nullopt},
        {"balancing only",
         ic::kStatusRun | ic::kStatusBalance,
         {{ic::kRunStatus, ic::kRunBalanceOnly}},
         ChargeState::Balancing,
         "balance only",
         std::nullopt},
        {"normal, discharge current",
         ic::kStatusRun,
         {{ic::kRunStatus, ic::kRunNormal}, {ic::kCurrent10mA, 0xFF00}},
         ChargeState::Discharging,
         "running",
         std::nullopt},
        {"stopped", 0, {}, ChargeState::Idle, "standby", std::nullopt},
        {"done", 0, {{ic::kRunStatus, ic::kRunDone}}, ChargeState::Done, "done", std::nullopt},
        {"error code",
         ic::kStatusError,
         {{ic::kErrorWord, 11 << 8 | 0x05}},
         ChargeState::Error,
         "temperature over",
         11},
        {"error flag, no code", ic::kStatusError, {}, ChargeState::Error, "error", 0},
        {"code beyond the list",
         ic::kStatusRun,
         {{ic::kErrorWord, 99 << 8}},
         ChargeState::Error,
         "error",
         99},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::array<std::uint16_t, ic::kChannelCount> block = chargingBlock();
        for (const auto& [at, value] : c.changes) {
            block[at] = value;
        }
        const Reading r = ic::decodeChannel(block, c.statusWord);
        EXPECT_EQ(r.state, c.state);
        EXPECT_EQ(r.stateText, c.text);
        EXPECT_EQ(r.errorCode, c.error);
    }

    std::array<std::uint16_t, ic::kChannelCount> block = chargingBlock();
    const Reading r = ic::decodeChannel(block, ic::kStatusRun);
    EXPECT_EQ(r.voltage, Decimal::parse("12.345"));
    EXPECT_EQ(r.current, Decimal::parse("4.2"));
    EXPECT_EQ(r.capacity, Decimal::fromInt(1500));
    EXPECT_EQ(r.power, Decimal::parse("65.6"));
    EXPECT_EQ(r.inputVoltage, Decimal::parse("24.01"));
    EXPECT_EQ(r.intTemperature, Decimal::parse("35.2"));
    EXPECT_EQ(r.extTemperature, Decimal::parse("-1.5"));
    EXPECT_EQ(r.cellCount, 3);
    EXPECT_EQ(r.cells[2], Decimal::parse("4.125"));
    EXPECT_EQ(r.cellResistance[0], Decimal::parse("3.1"));
    EXPECT_FALSE(r.cellResistance[1]);
    EXPECT_EQ(r.cellResistance[2], Decimal::parse("9.5"));
    EXPECT_FALSE(r.cellResistance[3]);
    EXPECT_EQ(r.packResistance, Decimal::parse("12.6"));
    EXPECT_EQ(r.chemistry, Chemistry::Lithium);

    // Discharging: the capacity counts down (a negative 32-bit value), no probe, no lead.
    block[ic::kCapacityMah] = 0xFFFF;
    block[ic::kCapacityMah + 1] = 0xFFFE;  // -65537 mAh
    block[ic::kExtTemp] = 0x7FFF;
    for (int k = 0; k < 16; ++k) {
        block[ic::kCellMv + static_cast<std::size_t>(k)] = 0;
    }
    const Reading d = ic::decodeChannel(block, ic::kStatusRun);
    EXPECT_EQ(d.capacity, Decimal::fromInt(65537));
    EXPECT_FALSE(d.extTemperature);
    EXPECT_EQ(d.cellCount, 0);
    EXPECT_EQ(d.chemistry, Chemistry::Unknown);
}

TEST(IchargerDecode, DeviceInfoTextIsPairSwapped) {
    // "SN12345" then NUL: memory bytes S N 1 2 travel as N S, 2 1 ...
    const std::vector<std::uint16_t> info = {0x0102, 0x4E53, 0x3231, 0x3433, 0x0035,
                                             0x2020, 0x2020, 123,    10};
    const ic::DeviceInfo d = ic::decodeInfo(info);
    EXPECT_EQ(d.deviceId, 0x0102);
    EXPECT_EQ(d.serial, "SN12345");
    EXPECT_EQ(d.firmware, 123);
    EXPECT_EQ(d.hardware, 10);
}

// The driver and a charger on a manual clock: every request due is answered
// at once unless the test says otherwise.
struct IchargerBench {
    explicit IchargerBench(IchargerDriver::Timing timing = {}) : driver(sink, sink, timing) {
        for (std::uint16_t a = 0; a < ic::kInfoCount; ++a) {
            charger.input[a] = 0;
        }
        charger.input[7] = 123;
        charger.channel(1, chargingBlock(), ic::kStatusRun);
    }
    // What the driver sends at `now`.
    std::vector<IchargerBytes> due(std::uint32_t now) {
        std::vector<IchargerBytes> out;
        for (DriverRequest& r : driver.due(now)) {
            out.push_back(std::move(r.bytes));
        }
        return out;
    }
    // Runs until `until`: answers each request at once and calls due()
    // whenever the driver asks.
    void run(std::uint32_t from, std::uint32_t until) {
        std::uint32_t now = from;
        while (now <= until) {
            const std::vector<IchargerBytes> requests = due(now);
            for (const IchargerBytes& request : requests) {
                sent.push_back(request);
                driver.feed(charger.answer(request), now);
            }
            if (requests.empty()) {
                const std::optional<std::uint32_t> next = driver.nextDueMs();
                now = next && *next > now ? *next : now + 1;
            }
        }
    }
    std::vector<modbus::ReadRequest> sentReads() const {
        std::vector<modbus::ReadRequest> out;
        for (const IchargerBytes& b : sent) {
            out.push_back(*modbus::parseRead(b));
        }
        return out;
    }

    IchargerSink sink;
    IchargerRegisters charger;
    IchargerDriver driver;
    std::vector<IchargerBytes> sent;
};

modbus::ReadRequest input(std::uint16_t start, std::uint16_t count) {
    return {1, modbus::kReadInput, start, count};
}

TEST(IchargerDriver, AsksTheInfoOnceThenEachChannelAtThePollRate) {
    struct Case {
        const char* what;
        bool secondChannel;
        std::vector<modbus::ReadRequest> firstCycle;
        std::vector<modbus::ReadRequest> laterCycle;
        int channels;
    };
    const std::vector<modbus::ReadRequest> duo = {
        input(0x0B, 2), input(0x100, 30), input(0x11E, 28), input(0x200, 30), input(0x21E, 28)};
    std::vector<modbus::ReadRequest> duoFirst = duo;
    duoFirst.insert(duoFirst.begin(), input(0x00, 13));
    const Case cases[] = {
        {"DUO", true, duoFirst, duo, 2},
        {"one channel: the second block is refused",
         false,
         {input(0x00, 13), input(0x0B, 2), input(0x100, 30), input(0x11E, 28), input(0x200, 30)},
         {input(0x0B, 1), input(0x100, 30), input(0x11E, 28)},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        IchargerBench b;
        if (c.secondChannel) {
            std::array<std::uint16_t, ic::kChannelCount> block = chargingBlock();
            block[ic::kCurrent10mA] = static_cast<std::uint16_t>(-200);
            block[ic::kRunStatus] = ic::kRunDischarge;
            b.charger.channel(2, block, ic::kStatusRun);
        }
        EXPECT_EQ(b.driver.channelCount(), 2);  // until it knows
        b.run(5000, 5499);
        EXPECT_EQ(b.sentReads(), c.firstCycle);
        EXPECT_EQ(b.driver.nextDueMs(), 5500u);
        EXPECT_EQ(b.driver.channelCount(), c.channels);
        ASSERT_TRUE(b.driver.deviceInfo());
        EXPECT_EQ(b.driver.deviceInfo()->firmware, 123);
        ASSERT_EQ(b.sink.readings.size(), static_cast<std::size_t>(c.channels));
        EXPECT_EQ(b.sink.readings[0].channel, 1);
        EXPECT_EQ(b.sink.readings[0].charger, "icharger");
        EXPECT_EQ(b.sink.readings[0].elapsedMs, 4000u);
        EXPECT_EQ(b.sink.readings[0].state, ChargeState::Charging);
        if (c.channels == 2) {
            EXPECT_EQ(b.sink.readings[1].channel, 2);
            EXPECT_EQ(b.sink.readings[1].current, Decimal::parse("-2"));
        }
        EXPECT_EQ(b.driver.exceptions(), 0u);
        b.sent.clear();
        b.run(5500, 5999);
        EXPECT_EQ(b.sentReads(), c.laterCycle);
        EXPECT_TRUE(b.sink.events.empty());
    }
}

TEST(IchargerDriver, RetriesThenSilentThenAnsweringAgain) {
    IchargerBench b;  // of one channel
    b.run(0, 499);
    b.sink.readings.clear();
    b.sent.clear();
    // The charger stops answering at 500: the status-word read is sent four times.
    struct Step {
        std::uint32_t at;
        std::size_t sends;  // requests sent at `at`
        std::size_t events;
    };
    const Step steps[] = {
        {500, 1, 0},
        {999, 0, 0},
        {1000, 1, 0},
        {1500, 1, 0},
        {2000, 1, 0},
        {2499, 0, 0},
        {2500, 0, 1},  // the fourth time-out: Silent; the next cycle
                       // comes a period later
        {2999, 0, 1},
        {3000, 1, 1},  // asked once: no retries while silent
        {3500, 0, 1},
        {4000, 1, 1},
    };
    std::vector<IchargerBytes> last;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.at);
        const std::vector<IchargerBytes> sent = b.due(s.at);
        EXPECT_EQ(sent.size(), s.sends);
        EXPECT_EQ(b.sink.events.size(), s.events);
        EXPECT_EQ(b.driver.answering(), s.at < 2500);
        if (!sent.empty()) {
            last = sent;
        }
    }
    EXPECT_EQ(b.sink.events, std::vector<DriverEvent>{DriverEvent::Silent});
    EXPECT_EQ(b.driver.timeouts(), 5u);
    // It answers again: Answering, then the cycle goes on to a reading.
    b.driver.feed(b.charger.answer(last[0]), 4010);
    EXPECT_EQ(b.sink.events,
              (std::vector<DriverEvent>{DriverEvent::Silent, DriverEvent::Answering}));
    EXPECT_TRUE(b.driver.answering());
    b.run(4010, 4499);
    EXPECT_EQ(b.sink.readings.size(), 1u);
}

TEST(IchargerDriver, LateRepeatedAndRefusedAnswers) {
    IchargerBench b;
    b.run(0, 499);
    ASSERT_EQ(b.driver.channelCount(), 1);
    b.sink.readings.clear();

    // Late: the answer comes after the retry was sent, and is taken for it;
    // the retry's own answer then comes unasked and is dropped.
    std::vector<IchargerBytes> sent = b.due(500);  // status words
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_TRUE(b.due(1000).size() == 1);  // the retry
    const IchargerBytes words = b.charger.answer(sent[0]);
    b.driver.feed(words, 1001);
    const std::uint64_t droppedBefore = b.driver.counts().bytesDropped;
    b.driver.feed(words, 1002);  // repeated
    EXPECT_EQ(b.driver.counts().bytesDropped, droppedBefore + words.size());
    // The rest of the cycle, each answer in two pieces.
    for (std::uint32_t t = 1003; t <= 1004; ++t) {
        for (const IchargerBytes& r : b.due(t)) {
            const IchargerBytes a = b.charger.answer(r);
            b.driver.feed(std::span(a).first(3), t);
            b.driver.feed(std::span(a).subspan(3), t);
        }
    }
    ASSERT_EQ(b.sink.readings.size(), 1u);
    EXPECT_EQ(b.sink.readings[0].state, ChargeState::Charging);

    // Refused: the channel's block is taken away; its reading says so and keeps the values.
    b.charger.input.erase(static_cast<std::uint16_t>(ic::kChannelBase[0] + 40));
    b.run(1503, 1999);
    ASSERT_EQ(b.sink.readings.size(), 2u);
    const Reading& refused = b.sink.readings[1];
    EXPECT_EQ(refused.state, ChargeState::Error);
    EXPECT_EQ(refused.errorCode, 256 + modbus::kIllegalAddress);
    EXPECT_EQ(refused.stateText, "Modbus exception: illegal data address");
    EXPECT_EQ(refused.voltage, Decimal::parse("12.345"));
    EXPECT_EQ(b.driver.exceptions(), 1u);
    EXPECT_TRUE(b.driver.answering());
    EXPECT_TRUE(b.sink.events.empty());
}

// Fed from a file or a replay there are no requests: each answer is taken by its shape.
TEST(IchargerDriver, AFileOfAnswersIsReadByTheirShapes) {
    IchargerBench live;
    std::array<std::uint16_t, ic::kChannelCount> block = chargingBlock();
    block[ic::kCurrent10mA] = static_cast<std::uint16_t>(-200);
    live.charger.channel(2, block, ic::kStatusRun);
    live.run(0, 1499);                              // three polls of both channels
    IchargerBytes file = {0x01, 0x04, 0x3C, 0x00};  // garbage first
    for (const IchargerBytes& request : live.sent) {
        const IchargerBytes answer = live.charger.answer(request);
        file.insert(file.end(), answer.begin(), answer.end());
    }
    // A dump's driver, and a live one given answers before it asked (a replay).
    for (const auto& [piece, fromFile] :
         {std::pair{std::size_t{1}, true}, std::pair{std::size_t{7}, true},
          std::pair{file.size(), true}, std::pair{std::size_t{7}, false}}) {
        SCOPED_TRACE(piece);
        IchargerSink sink;
        IchargerDriver driver(sink, sink, DriverOptions{.checkTimes = !fromFile});
        for (std::size_t at = 0; at < file.size(); at += piece) {
            driver.feed(std::span(file).subspan(at, std::min(piece, file.size() - at)), 0);
        }
        driver.endOfInput(0);
        EXPECT_TRUE(driver.due(0).empty());
        EXPECT_FALSE(driver.nextDueMs());
        ASSERT_EQ(sink.readings.size(), live.sink.readings.size());
        for (std::size_t k = 0; k < sink.readings.size(); ++k) {
            EXPECT_EQ(sink.readings[k].channel, live.sink.readings[k].channel);
            EXPECT_EQ(sink.readings[k].current, live.sink.readings[k].current);
        }
        EXPECT_EQ(driver.counts().bytesDropped, 4u);
        EXPECT_EQ(driver.counts().messages, live.sent.size());
    }
}

}  // namespace
}  // namespace cellwatch
