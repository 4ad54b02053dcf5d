// Described chargers decoding what they are sent: streams of each framing
// with their checksums, headers and resynchronisation; what the emulator
// plays for each shipped description; and the polls of a polled charger.
#include <gtest/gtest.h>

#include <filesystem>

#include "drivers/description_reader.h"
#include "protocol/described_driver.h"
#include "tools/emulator/described_player.h"

namespace cellwatch {
namespace {

namespace fs = std::filesystem;

std::shared_ptr<const ChargerDescription> shipped(const char* id) {
    const DescriptionRead r = readChargerDescriptionFile(
        fs::path(CELLWATCH_SOURCE_DIR) / "resources" / "chargers" / (std::string(id) + ".json"));
    EXPECT_NE(r.description, nullptr) << r.error;
    return r.description;
}

std::string opt(const std::optional<Decimal>& v) {
    return v ? v->plainText() : "-";
}

struct Collect final : DriverContext, DriverSink {
    std::uint32_t connectTicks() const override { return 0; }
    Decimal capacityDataMax() const override { return {}; }
    void reading(const Reading& r, std::span<const std::uint8_t>) override {
        std::string cells;
        for (int k = 0; k < r.cellCount; ++k) {
            cells += (k > 0 ? "," : "") + r.cells[static_cast<std::size_t>(k)].plainText();
        }
        lines.push_back("ch" + std::to_string(r.channel) + " " +
                        std::string(chargeStateId(r.state)) + "/" + r.stateText + " " +
                        r.voltage.plainText() + "V " + r.current.plainText() + "A " +
                        r.capacity.plainText() + "mAh in" + opt(r.inputVoltage) + " t" +
                        opt(r.intTemperature) + "/" + opt(r.extTemperature) + " [" + cells + "]");
        readings.push_back(r);
    }
    void event(DriverEvent e, int) override { events.push_back(e); }
    std::vector<std::string> lines;
    std::vector<Reading> readings;
    std::vector<DriverEvent> events;
};

std::vector<std::uint8_t> bytes(std::string_view s) {
    return {s.begin(), s.end()};
}

TEST(DescribedDriver, DecodesEachFramingAndDropsWhatFailsItsChecks) {
    const auto frame = std::string_view(
        // A status answer from the MIT-licensed py-skyrc-charger capture.
        "\x0f\x22\x55\x01\x01\x00\x00\x00\x01\x58\xf8\x08\x34\x00\x18\x00\x00\x0e\xab\x0e\xab"
        "\x0e\xa5\x0e\xb2\x0e\xaa\x0e\xaa\x00\x00\x00\x00\x01\x00\x52",
        36);
    std::string badSum(frame);
    badSum[10] = 0x01;
    struct Case {
        const char* what;
        const char* charger;
        std::string stream;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"classic lines, XOR over $ to the last ;; a bad sum, an unknown channel, noise",
         "openformat",
         "noise\r\n$1;1;12;12100;11400;200;3800;3801;3799;0;0;0;0;0;0;0;215;43\r\n"
         "$1;1;12;12100;11400;200;3800;3801;3799;0;0;0;0;0;0;0;215;44\r\n"
         "xx$2;2;13;12050;11700;100;3900;3901;3899;0;0;0;0;0;0;0;221;38\n"
         "$3;2;13;12050;11700;100;3900;3901;3899;0;0;0;0;0;0;0;221;39\r\n",
         {"ch1 charging/charge 11.4V 2A 0mAh in12.1 t21.5/- [3.8,3.801,3.799]",
          "ch2 discharging/discharge 11.7V -1A 0mAh in12.05 t22.1/- [3.9,3.901,3.899]"}},
        {"self-described: units, factors, a time item, hex values, a comma, a short line",
         "openformat-zero",
         "$N$;run\r\n$C$;Voltage [mV];Current[A,I];Odd [furlong];Cell 1 [V];State\r\n"
         "$12600;1,5;7;4.2;charge\r\n$12600;1.5;7\r\n"
         "$F$;1;2;1;1;1\r\n$T$;0;ddHHmmss\r\n$28160001;12600;1.5;7;4.2;discharge\r\n"
         "$V$;HEX\r\n$C$;Capacity [Ah];Temp\r\n$2;2;1A\r\n$L$;a log line\r\n",
         {"ch1 charging/charge 12.6V 1.5A 0mAh in- t-/- [4.2]",
          "ch1 discharging/discharge 12.6V -3A 0mAh in- t-/- [4.2]",
          "ch1 idle/ 0V 0A 2000mAh in- t-/26 []"}},
        {"binary frames with a length field, found again after noise and a bad sum",
         "skyrc-status",
         "\x0f\x01\x0f" + badSum + std::string(frame) + "\x55" + std::string(frame.substr(0, 9)),
         {"ch1 charging/working 22.776V 2.1A 0mAh in- t24/0 "
          "[3.755,3.755,3.749,3.762,3.754,3.754]"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const std::size_t chunk : {std::size_t{1}, std::size_t{7}, c.stream.size()}) {
            Collect sink;
            DescribedDriver driver(shipped(c.charger), sink, sink);
            const auto all = bytes(c.stream);
            for (std::size_t at = 0; at < all.size(); at += chunk) {
                driver.feed(std::span(all).subspan(at, std::min(chunk, all.size() - at)), 5);
            }
            EXPECT_EQ(sink.lines, c.expected) << "fed " << chunk << " bytes at a time";
            const DriverCounts n = driver.counts();
            EXPECT_GT(n.bytesDropped, 0u);
        }
    }
}

TEST(DescribedDriver, ReadsWhatTheEmulatorPlaysForEveryShippedCharger) {
    for (const char* id : {"openformat", "openformat-zero", "skyrc-status"}) {
        SCOPED_TRACE(id);
        const auto d = shipped(id);
        Collect sink;
        DescribedDriver driver(d, sink, sink);
        const std::string header = emulator::describedHeader(*d);
        driver.feed(bytes(header), 0);
        std::vector<emulator::DescribedMoment> played;
        for (int step : {0, 30, 59}) {
            for (int channel = 1; channel <= d->channels; ++channel) {
                const auto m = emulator::describedMoment(*d, channel, step);
                if (!d->requests.empty()) {
                    driver.due(static_cast<std::uint32_t>(step) * 1000u + channel);
                }
                driver.feed(emulator::describedMessage(*d, channel, m), 0);
                played.push_back(m);
            }
        }
        ASSERT_EQ(sink.readings.size(), played.size());
        for (std::size_t k = 0; k < played.size(); ++k) {
            const Reading& r = sink.readings[k];
            const auto& m = played[k];
            EXPECT_EQ(r.channel, static_cast<int>(k) % d->channels + 1);
            EXPECT_NEAR(r.voltage.toDouble(), m.voltage, 1e-3);
            const bool discharge = r.state == ChargeState::Discharging;
            EXPECT_NEAR(r.current.toDouble(), discharge ? -m.current : m.current, 1e-2);
            EXPECT_EQ(r.cellCount, m.cells);
            for (int c = 0; c < m.cells; ++c) {
                EXPECT_NEAR(r.cells[static_cast<std::size_t>(c)].toDouble(), m.cell[c], 1e-3);
            }
        }
    }
}

TEST(DescribedDriver, PollsEveryPeriodAndTellsWhenTheChargerFallsSilent) {
    const auto d = shipped("skyrc-status");
    Collect sink;
    DescribedDriver driver(d, sink, sink);
    EXPECT_EQ(driver.nextDueMs(), 0u);
    const auto first = driver.due(0);
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[1].bytes, (std::vector<std::uint8_t>{0x0F, 0x03, 0x55, 0x02, 0x57}));
    EXPECT_EQ(first[1].channel, 2);
    EXPECT_TRUE(driver.due(999).empty());
    EXPECT_EQ(driver.nextDueMs(), 1000u);
    for (std::uint32_t t : {1000u, 2000u, 3000u}) {
        EXPECT_EQ(driver.due(t).size(), 2u);
    }
    EXPECT_EQ(sink.events, std::vector<DriverEvent>{DriverEvent::Silent});
    EXPECT_FALSE(driver.answering());
    // The answers are the channels asked, in the order asked.
    driver.due(4000);
    driver.feed(emulator::describedMessage(*d, 1, emulator::describedMoment(*d, 1, 0)), 4100);
    driver.feed(emulator::describedMessage(*d, 2, emulator::describedMoment(*d, 2, 0)), 4100);
    EXPECT_EQ(sink.events, (std::vector<DriverEvent>{DriverEvent::Silent, DriverEvent::Answering}));
    ASSERT_EQ(sink.readings.size(), 2u);
    EXPECT_EQ(sink.readings[1].channel, 2);
    EXPECT_EQ(sink.readings[1].elapsedMs, 4100u);
}

}  // namespace
}  // namespace cellwatch
