// The SkyRC driver below the link: frames in (whole, split, padded, broken),
// readings out; its requests on a manual clock; a real T1000 charge.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <vector>

#include "protocol/frames_text.h"
#include "protocol/skyrc_driver.h"

namespace cellwatch {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct SkyrcSink final : DriverContext, DriverSink {
    std::uint32_t connectTicks() const override { return 0; }
    Decimal capacityDataMax() const override { return {}; }
    void reading(const Reading& r, std::span<const std::uint8_t> message) override {
        readings.push_back(r);
        messages.emplace_back(message.begin(), message.end());
    }
    void event(DriverEvent e, int /*channel*/) override { events.push_back(e); }
    std::vector<Reading> readings;
    std::vector<Bytes> messages;
    std::vector<DriverEvent> events;
};

// A status answer of channel mask `mask`: d1 state, d2..d3, volts, amps, six cells.
Bytes status(std::uint8_t mask, std::uint8_t state, std::uint16_t mv, std::uint16_t ma,
             std::uint8_t d2 = 0, std::uint8_t d3 = 0) {
    Bytes d = {mask,
               state,
               d2,
               d3,
               0x00,
               0x10,
               static_cast<std::uint8_t>(mv >> 8),
               static_cast<std::uint8_t>(mv),
               static_cast<std::uint8_t>(ma >> 8),
               static_cast<std::uint8_t>(ma),
               0,
               25,
               0,
               0};
    for (int c = 0; c < 6; ++c) {
        d.push_back(0x0F);  // 3.840 V
        d.push_back(0x00);
    }
    d.insert(d.end(), {0, 0, 0, 0, 1, 0});
    return skyrc::makeFrame(skyrc::kStatus, d);
}
Bytes program(std::uint8_t mask, std::uint8_t type, std::uint8_t prog, std::uint8_t verdict = 1) {
    const Bytes d = {mask, 2, type, 6, prog, 10, 5, 0, 0, verdict};
    return skyrc::makeFrame(skyrc::kProgram, d);
}
Bytes padded(Bytes frame) {
    frame.resize(64, 0);
    return frame;
}

TEST(SkyrcFrames, FramesAreJoinedCheckedAndPaddingSkipped) {
    const Bytes good = status(0x01, 0x01, 22776, 2100);
    Bytes badSum = good;
    badSum.back() ^= 0x01;
    Bytes garbage = {0x33, 0x44, 0x0F, 0xFF};
    garbage.insert(garbage.end(), good.begin(), good.end());
    const Bytes unknown = skyrc::makeFrame(0x5A, Bytes{0x01, 0x00, 0x01});
    const Bytes shortStatus = skyrc::makeFrame(skyrc::kStatus, Bytes{0x01, 0x01, 0x00});
    struct Case {
        const char* what;
        std::vector<Bytes> messages;  // each fed on its own, 100 ms apart
        std::size_t readings;
        std::uint64_t dropped;
        std::uint64_t ignored;
        std::uint64_t waiting;
    };
    const Case cases[] = {
        {"a report zero-padded after its frame", {padded(good)}, 1, 0, 0, 0},
        // Every byte of it is hunted through; none is taken for a frame.
        {"a bad sum",
         {padded(badSum)},
         0,
         static_cast<std::uint64_t>(
             std::count_if(badSum.begin(), badSum.end(), [](std::uint8_t b) { return b != 0; })),
         0,
         0},
        {"garbage and a false start before it", {garbage}, 1, 4, 0, 0},
        {"a frame over two notifications",
         {Bytes(good.begin(), good.begin() + 20), Bytes(good.begin() + 20, good.end())},
         1,
         0,
         0,
         0},
        {"two frames in one notification",
         {[&] {
             Bytes two = good;
             two.insert(two.end(), good.begin(), good.end());
             return two;
         }()},
         2,
         0,
         0,
         0},
        {"a command it does not read", {padded(unknown)}, 0, 0, 1, 0},
        {"a status too short", {padded(shortStatus)}, 0, 0, 1, 0},
        {"a frame cut off at the end", {Bytes(good.begin(), good.begin() + 10)}, 0, 0, 0, 10},
        {"a mask naming no channel", {padded(status(0x03, 0x01, 1, 1))}, 0, 0, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SkyrcSink sink;
        SkyrcDriver driver(sink, sink);
        std::uint32_t t = 0;
        for (const Bytes& m : c.messages) {
            driver.feed(m, t += 100);
        }
        EXPECT_EQ(sink.readings.size(), c.readings);
        EXPECT_EQ(driver.counts().bytesDropped, c.dropped);
        EXPECT_EQ(driver.framesIgnored(), c.ignored);
        EXPECT_EQ(driver.counts().bytesUnframed, c.waiting);
        for (const Bytes& m : sink.messages) {
            EXPECT_EQ(m, good);  // the frame, without padding or garbage
        }
    }
}

TEST(SkyrcFrames, AFrameBegunLongAgoIsNotJoinedToANewOne) {
    const Bytes good = status(0x01, 0x01, 22776, 2100);
    SkyrcSink sink;
    SkyrcDriver driver(sink, sink);
    driver.feed(Bytes(good.begin(), good.begin() + 20), 0);
    driver.feed(Bytes(good.begin() + 20, good.end()), 5000);
    EXPECT_TRUE(sink.readings.empty());
    driver.feed(good, 5100);
    EXPECT_EQ(sink.readings.size(), 1U);
}

TEST(SkyrcDecode, StatesWaysAndErrorsOfEachProgram) {
    struct Case {
        const char* what;
        Bytes program;  // empty: none known
        Bytes status;
        ChargeState state;
        const char* stateText;
        std::int64_t currentMa;
        std::optional<int> error;
        Chemistry chemistry;
    };
    const Case cases[] = {
        {"working, no program known",
         {},
         status(1, 1, 8000, 1500),
         ChargeState::Charging,
         "working",
         1500,
         {},
         Chemistry::Unknown},
        {"LiPo balance charge",
         program(1, 0, 0),
         status(1, 1, 8000, 1500),
         ChargeState::Charging,
         "balance charge",
         1500,
         {},
         Chemistry::LiPo},
        {"LiFe discharge",
         program(1, 2, 2),
         status(1, 1, 8000, 1500),
         ChargeState::Discharging,
         "discharge",
         -1500,
         {},
         Chemistry::LiFe},
        {"NiMH discharge",
         program(1, 4, 2),
         status(1, 1, 8000, 700),
         ChargeState::Discharging,
         "discharge",
         -700,
         {},
         Chemistry::NiMH},
        {"lead discharge is program 1",
         program(1, 6, 1),
         status(1, 1, 12000, 700),
         ChargeState::Discharging,
         "discharge",
         -700,
         {},
         Chemistry::Pb},
        {"LiHV storage",
         program(1, 3, 3),
         status(1, 1, 8000, 700),
         ChargeState::Storage,
         "storage",
         700,
         {},
         Chemistry::LiHV},
        {"done keeps its measures",
         program(1, 0, 0),
         status(1, 3, 8400, 0),
         ChargeState::Done,
         "done",
         0,
         {},
         Chemistry::LiPo},
        {"system error",
         {},
         status(1, 4, 0, 0, 0x07, 0x00),
         ChargeState::Error,
         "error: reverse polarity",
         0,
         7,
         Chemistry::Unknown},
        {"charge error",
         {},
         status(1, 4, 0, 0, 0x00, 0x0E),
         ChargeState::Error,
         "error: no battery",
         0,
         14,
         Chemistry::Unknown},
        {"idle", {}, status(1, 2, 8000, 0), ChargeState::Idle, "idle", 0, {}, Chemistry::Unknown},
        {"a rejected passcode tells nothing",
         program(1, 0, 2, 0),
         status(1, 1, 8000, 900),
         ChargeState::Charging,
         "working",
         900,
         {},
         Chemistry::Unknown},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SkyrcSink sink;
        SkyrcDriver driver(sink, sink);
        if (!c.program.empty()) {
            driver.feed(c.program, 0);
        }
        driver.feed(c.status, 10);
        ASSERT_EQ(sink.readings.size(), 1U);
        const Reading& r = sink.readings[0];
        EXPECT_EQ(r.channel, 1);
        EXPECT_EQ(r.state, c.state);
        EXPECT_EQ(r.stateText, c.stateText);
        EXPECT_EQ(r.current, Decimal::fromThousandths(c.currentMa));
        EXPECT_EQ(r.errorCode, c.error);
        EXPECT_EQ(r.chemistry, c.chemistry);
        EXPECT_EQ(r.cellCount, 6);  // the T1000's trailing 00 00 00 00 01 00 are not cells
        EXPECT_EQ(r.cells[5], Decimal::fromThousandths(3840));
    }
}

// A storage run goes either way: the pack voltage's trend tells which.
TEST(SkyrcDecode, StorageFollowsThePackVoltage) {
    SkyrcSink sink;
    SkyrcDriver driver(sink, sink);
    driver.feed(program(2, 0, 3), 0);
    const std::uint16_t volts[] = {8400, 8395, 8385, 8380, 8395};
    for (std::uint16_t mv : volts) {
        driver.feed(status(2, 1, mv, 500), 10);
    }
    ASSERT_EQ(sink.readings.size(), 5U);
    const std::int64_t expected[] = {500, 500, -500, -500, 500};
    for (std::size_t k = 0; k < 5; ++k) {
        EXPECT_EQ(sink.readings[k].channel, 2);
        EXPECT_EQ(sink.readings[k].current, Decimal::fromThousandths(expected[k])) << k;
    }
}

Bytes deviceAnswer(std::string_view code) {
    Bytes d = {0x00};
    d.insert(d.end(), code.begin(), code.end());
    d.insert(d.end(), {0, 0, 0, 0, 0, 1, 12});
    return skyrc::makeFrame(skyrc::kDeviceInfo, d);
}

TEST(SkyrcConversation, AsksTheModelThenPollsEachChannelEverySecond) {
    SkyrcSink sink;
    SkyrcDriver driver(sink, sink);
    std::vector<DriverRequest> out = driver.due(0);
    ASSERT_EQ(out.size(), 1U);
    EXPECT_EQ(out[0].bytes[2], skyrc::kDeviceInfo);
    EXPECT_EQ(out[0].bytes.size(), 21U);
    EXPECT_EQ(out[0].target, kSkyrcWriteCharacteristic);
    EXPECT_TRUE(driver.due(500).empty());  // one request out at a time
    driver.feed(padded(deviceAnswer("100146")), 600);
    EXPECT_EQ(driver.model(), "D200S");
    EXPECT_EQ(driver.firmware(), "1.12");
    EXPECT_EQ(driver.channelCount(), 2);

    // Program then status of each channel; an answer frees the line at once.
    const Bytes expected[] = {
        Bytes{0x0F, 0x07, 0x5F, 0x01, 0, 0, 0, 0, 0x60},
        Bytes{0x0F, 0x03, 0x55, 0x01, 0x56},
        Bytes{0x0F, 0x07, 0x5F, 0x02, 0, 0, 0, 0, 0x61},
        Bytes{0x0F, 0x03, 0x55, 0x02, 0x57},
    };
    const Bytes answers[] = {program(1, 0, 0), status(1, 1, 8000, 1000), program(2, 0, 0),
                             status(2, 2, 0, 0)};
    std::uint32_t t = 600;
    for (std::size_t k = 0; k < 4; ++k) {
        out = driver.due(t);
        ASSERT_EQ(out.size(), 1U) << k;
        EXPECT_EQ(out[0].bytes, expected[k]) << k;
        driver.feed(answers[k], t += 20);
    }
    EXPECT_TRUE(driver.due(t).empty());
    EXPECT_EQ(driver.nextDueMs(), 600U + SkyrcDriver::kRoundMs);
    // The next round asks the status only.
    out = driver.due(1600);
    ASSERT_EQ(out.size(), 1U);
    EXPECT_EQ(out[0].bytes, expected[1]);
    EXPECT_EQ(sink.readings.size(), 2U);
}

TEST(SkyrcConversation, SilentAfterThreeMissesAndAnsweringAgain) {
    SkyrcSink sink;
    SkyrcDriver driver(sink, sink);
    std::uint32_t t = 0;
    // A charger that never answers the device query: polled as four channels.
    for (int k = 0; k < 2; ++k) {
        ASSERT_EQ(driver.due(t).size(), 1U);
        t += SkyrcDriver::kAnswerMs;
    }
    EXPECT_TRUE(sink.events.empty());
    EXPECT_EQ(driver.due(t).size(), 1U);  // channel 1's program query
    t += SkyrcDriver::kAnswerMs;
    EXPECT_EQ(driver.due(t).size(), 1U);
    EXPECT_EQ(sink.events, std::vector<DriverEvent>{DriverEvent::Silent});
    EXPECT_FALSE(driver.answering());
    driver.feed(status(1, 2, 0, 0), t + 10);
    EXPECT_EQ(sink.events, (std::vector<DriverEvent>{DriverEvent::Silent, DriverEvent::Answering}));
    EXPECT_TRUE(driver.answering());
    EXPECT_EQ(driver.channelCount(), 4);
}

TEST(SkyrcConversation, AChannelThatNeverAnswersIsAskedSeldom) {
    SkyrcSink sink;
    SkyrcDriver driver(sink, sink);
    driver.feed(deviceAnswer("100131"), 0);  // D100: two channels
    std::uint32_t t = 0;
    int asked2 = 0;
    for (int step = 0; step < 400; ++step) {
        const std::vector<DriverRequest> out = driver.due(t);
        if (!out.empty()) {
            const Bytes& b = out[0].bytes;
            if (b[3] == 0x02) {
                ++asked2;  // channel 2 stays quiet
            } else {
                driver.feed(b[2] == skyrc::kStatus ? status(1, 1, 8000, 900) : program(1, 0, 0),
                            t + 5);
            }
        }
        t = *driver.nextDueMs();
    }
    EXPECT_TRUE(driver.answering());
    EXPECT_GT(sink.readings.size(), 100U);
    EXPECT_LT(asked2 * 5, static_cast<int>(sink.readings.size()));
}

TEST(SkyrcConversation, BackFromSilenceEveryChannelIsAskedAtOnce) {
    SkyrcSink sink;
    SkyrcDriver driver(sink, sink);
    driver.feed(deviceAnswer("100131"), 0);  // D100: two channels
    std::uint32_t t = 0;
    for (int k = 0; k < 12; ++k) {
        driver.due(t);  // never answered: both channels fall quiet
        t = *driver.nextDueMs();
    }
    ASSERT_FALSE(driver.answering());
    driver.feed(status(1, 2, 0, 0), t);
    std::set<int> asked;
    for (int k = 0; k < 6; ++k) {
        for (const DriverRequest& r : driver.due(t)) {
            asked.insert(r.channel);
            const auto mask = static_cast<std::uint8_t>(1U << (r.channel - 1));
            driver.feed(r.bytes[2] == skyrc::kStatus ? status(mask, 2, 0, 0) : program(mask, 0, 0),
                        t + 5);
        }
        t = *driver.nextDueMs();
    }
    EXPECT_EQ(asked, (std::set<int>{1, 2}));
}

TEST(SkyrcCapture, AT1000ChargeReadsWhole) {
    std::ifstream in(std::string(CELLWATCH_TEST_DATA_DIR) + "/skyrc/t1000-charge.frames");
    std::stringstream text;
    text << in.rdbuf();
    const FramesText frames = readFramesText(text.str());
    ASSERT_EQ(frames.frames.size(), 72U);
    EXPECT_EQ(frames.badLines, 0U);
    SkyrcSink sink;
    SkyrcDriver driver(sink, sink, DriverOptions{.checkTimes = false});
    for (const FramesEntry& f : frames.frames) {
        driver.feed(f.bytes, static_cast<std::uint32_t>(f.timeMs - frames.frames[0].timeMs));
    }
    driver.endOfInput(0);
    ASSERT_EQ(sink.readings.size(), 72U);  // every report's sum is right
    EXPECT_EQ(driver.counts().bytesDropped, 0U);
    EXPECT_EQ(driver.counts().bytesUnframed, 0U);
    for (const Reading& r : sink.readings) {
        EXPECT_EQ(r.channel, 1);
        EXPECT_EQ(r.state, ChargeState::Charging);
        EXPECT_EQ(r.cellCount, 6);
        Decimal sum;
        for (int c = 0; c < 6; ++c) {
            sum += r.cells[static_cast<std::size_t>(c)];
        }
        // The pack is its cells, give or take the leads.
        EXPECT_LT((r.voltage - sum).toDouble(), 0.35);
        EXPECT_GT((r.voltage - sum).toDouble(), -0.05);
    }
    const Reading& first = sink.readings.front();
    EXPECT_EQ(first.voltage, Decimal::fromThousandths(22776));
    EXPECT_EQ(first.current, Decimal::fromThousandths(2100));
    EXPECT_EQ(first.intTemperature, Decimal::fromInt(24));
    EXPECT_FALSE(first.extTemperature);
    EXPECT_EQ(first.cells[3], Decimal::fromThousandths(3762));
    const Reading& last = sink.readings.back();
    EXPECT_EQ(last.capacity, Decimal::fromInt(987));
    EXPECT_EQ(last.voltage, Decimal::fromThousandths(24290));
    EXPECT_EQ(last.current, Decimal::fromThousandths(986));
    EXPECT_EQ(last.intTemperature, Decimal::fromInt(39));
    EXPECT_EQ(last.cells[2], Decimal::fromThousandths(4049));
}

}  // namespace
}  // namespace cellwatch
