// The first family's driver against the decoder it wraps: the same
// readings, the late rule on the times fed in, the roll-over on the
// context's maximum, the plausibility limits; and the registry.
#include <gtest/gtest.h>

#include <vector>

#include "decoder_test_support.h"
#include "protocol/driver_registry.h"
#include "protocol/icharger_driver.h"
#include "protocol/reading_format.h"
#include "protocol/tkrx_driver.h"

namespace cellwatch {
namespace {

constexpr const char* kIchargerListLine =
    "icharger\tJunsi\t308 DUO, 406 DUO, 4010 DUO, 456 DUO, X6, X8, X12, S6, DX6, DX8, DX12\n";

struct Collect final : DriverContext, DriverSink {
    std::uint32_t connectTicks() const override { return connect; }
    Decimal capacityDataMax() const override { return capacityMax; }
    void reading(const Reading& r, std::span<const std::uint8_t> message) override {
        lines.push_back(ReadingFormat::dumpLine(r, layoutName(layoutOfMessage(message))));
        elapsed.push_back(r.elapsedMs);
    }
    void event(DriverEvent e, int /*channel*/) override { events.push_back(e); }

    std::uint32_t connect = 0;
    Decimal capacityMax;
    std::vector<std::string> lines;
    std::vector<std::uint32_t> elapsed;
    std::vector<DriverEvent> events;
};

std::vector<std::uint8_t> bytesOf(const StatusFrame& f) {
    return {f.bytes().begin(), f.bytes().end()};
}

// Two charging messages, one of each layout, and capacities near the roll-over.
StatusFrame frame76(std::uint8_t capacityWhole) {
    return testing::makeFrame(76, {{8, 0x81},
                                   {23, 0x81},
                                   {33, 0x82},
                                   {35, 0x8C},
                                   {36, 0x80},
                                   {43, capacityWhole},
                                   {47, 0x84}});
}
StatusFrame frame112(std::uint8_t capacityWhole) {
    return testing::makeFrame(112,
                              {{1, 0x82}, {2, 0x80}, {11, 0x81}, {15, 0x8D}, {7, capacityWhole}});
}

TEST(TkrxDriver, GivesWhatTheDecoderGivesWithItsRulesAndTimes) {
    struct Case {
        const char* what;
        StatusFrame frame;
        std::uint32_t restAfterMs;  // from the start byte to the rest of the message
        std::int64_t capacityMax;
        bool late;
    };
    const Case cases[] = {
        {"76 on time", frame76(0x90), 100, 0, false},
        {"112 on time", frame112(0x90), 3000, 0, false},
        {"76 late", frame76(0x90), 3001, 0, true},
        {"112 late", frame112(0x90), 3001, 0, true},
        {"76 rolled over", frame76(0x81), 10, 20000, false},
        {"112 rolled over", frame112(0x81), 10, 20000, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // The decoder on its own, as the program used it.
        ManualTickClock clock(10'000);
        testing::RecordingHost host;
        host.connect = 4000;
        host.capacityMax = Decimal::fromInt(c.capacityMax);
        StatusDecoder decoder(clock, host);
        clock.set(10'000 + c.restAfterMs);
        if (c.frame.size() == 76) {
            decoder.decodeStatus76(c.frame, 10'000);
        } else {
            decoder.decodeStatus112(c.frame, 10'000);
        }

        Collect sink;
        sink.connect = 4000;
        sink.capacityMax = Decimal::fromInt(c.capacityMax);
        TkrxDriver driver(sink, sink);
        std::vector<std::uint8_t> bytes = bytesOf(c.frame);
        // Noise before, the start byte alone, then the rest and a next
        // message's head, so that a 76-byte message has its 111 bytes.
        driver.feed(std::vector<std::uint8_t>{0x01, 0x02}, 9'000);
        driver.feed(std::span(bytes).first(1), 10'000);
        bytes.erase(bytes.begin());
        bytes.insert(bytes.end(), 40, 0x00);
        driver.feed(bytes, 10'000 + c.restAfterMs);

        EXPECT_EQ(sink.lines, host.lines());
        EXPECT_EQ(sink.events.size(), c.late ? 1u : 0u);
        EXPECT_EQ(host.idleCalls, c.late ? 1 : 0);
        if (!c.late) {
            ASSERT_EQ(sink.elapsed.size(), 1u);
            EXPECT_EQ(sink.elapsed[0], 6000 + c.restAfterMs);
        }
        EXPECT_EQ(driver.counts().bytesDropped, 2u + 40u);  // the noise and the padding
    }
}

TEST(TkrxDriver, EndOfInputFramesTheLastShortMessageUnlessTimesAreIgnoredOnlyWhenAsked) {
    Collect sink;
    TkrxDriver driver(sink, sink, DriverOptions{.checkTimes = false});
    driver.feed(bytesOf(frame76(0x90)), 0);
    EXPECT_TRUE(sink.lines.empty());  // a live line waits for 111 bytes
    EXPECT_EQ(driver.counts().bytesUnframed, 76u);
    // Far later: with times not checked, still no late message.
    driver.endOfInput(1'000'000);
    EXPECT_EQ(sink.lines.size(), 1u);
    EXPECT_TRUE(sink.events.empty());
    EXPECT_EQ(driver.counts().bytesUnframed, 0u);
    EXPECT_EQ(driver.counts().messages, 1u);
}

// A charging or discharging message outside the family's limits is counted
// but not delivered; every comparison is strict, idle messages always come.
TEST(TkrxDriver, ImplausibleReadingsAreCountedButNotDelivered) {
    const struct {
        const char* what;
        std::vector<std::pair<std::size_t, std::uint8_t>> bytes;  // over a charging 12 V message
        bool delivered;
    } cases[] = {
        {"plausible", {}, true},
        {"battery 50 V", {{35, 0xB2}}, true},
        {"battery 50.01 V", {{35, 0xB2}, {36, 0x81}}, false},
        {"discharging at 0 V", {{8, 0x80}, {35, 0x80}}, false},
        {"idle at 0 V", {{35, 0x80}}, true},
        {"input 50 V", {{41, 0xB2}}, true},
        {"input 50.01 V", {{41, 0xB2}, {42, 0x81}}, false},
        {"external 100", {{37, 0x81}}, true},
        {"external 101", {{37, 0x81}, {38, 0x81}}, false},
        {"internal 101", {{39, 0x81}, {40, 0x81}}, false},
        {"cell at 5.01 V (the recording's rule)", {{45, 0x85}, {46, 0x81}}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::uint8_t> bytes = bytesOf(testing::makeFrame(76, {{8, 0x81}, {35, 0x8C}}));
        for (const auto& [offset, value] : c.bytes) {
            bytes[offset] = value;
        }
        Collect sink;
        TkrxDriver driver(sink, sink, DriverOptions{.checkTimes = false});
        driver.feed(bytes, 0);
        driver.endOfInput(0);
        EXPECT_EQ(sink.lines.size(), c.delivered ? 1u : 0u);
        EXPECT_EQ(driver.counts().messages, 1u);
        EXPECT_EQ(driver.counts().implausible, c.delivered ? 0u : 1u);
    }
}

TEST(DriverRegistry, ListsAndMakesEachFamily) {
    ASSERT_EQ(chargerDrivers().size(), 4u);
    EXPECT_EQ(chargerDrivers()[0].id, kFirstDriverId);
    EXPECT_EQ(driverIdsText(), "tkrx, icharger, skyrc, isdt");
    EXPECT_TRUE(driverListText().starts_with(std::string("tkrx\tDorire\tTK series, RX series\n") +
                                             kIchargerListLine + "skyrc\tSkyRC\tT1000, "));
    // The polled one opens its port read-write, at the slowest rate the charger offers.
    EXPECT_TRUE(chargerDrivers()[1].line.writes);
    EXPECT_EQ(lineSettingsText(chargerDrivers()[1].line), "9600 8N1");
    Collect sink;
    struct Case {
        const char* id;
        bool writes;  // a polled charger: the port opens read-write
    };
    for (const Case c : {Case{"tkrx", false}, Case{"skyrc", true}, Case{"isdt", true}}) {
        SCOPED_TRACE(c.id);
        const auto driver = makeDriver(c.id, sink, sink);
        ASSERT_NE(driver, nullptr);
        EXPECT_EQ(driver->id(), c.id);
        EXPECT_EQ(driver->line().writes, c.writes);
        EXPECT_EQ(findDriver(c.id)->line.writes, c.writes);
        EXPECT_EQ(driver->due(0).empty(), !c.writes);
    }
    EXPECT_EQ(lineSettingsText(makeDriver("tkrx", sink, sink)->line()), "9600 8N1");
    EXPECT_EQ(makeDriver("TKRX", sink, sink), nullptr);
    EXPECT_EQ(findDriver(""), nullptr);
}

}  // namespace
}  // namespace cellwatch
