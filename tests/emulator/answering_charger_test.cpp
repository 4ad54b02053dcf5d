// Each requesting driver against the emulator of its chargers, request by
// request on one manual clock: the handshake, every channel polled, a
// charge that rises and ends; and the hex-line link the tool speaks.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>

#include "protocol/driver_registry.h"
#include "protocol/isdt_driver.h"
#include "protocol/skyrc_driver.h"
#include "tools/emulator/answering_charger.h"

namespace cellwatch::emulator {
namespace {

struct Recorder final : DriverContext, DriverSink {
    std::uint32_t connectTicks() const override { return 0; }
    Decimal capacityDataMax() const override { return {}; }
    void reading(const Reading& r, std::span<const std::uint8_t> /*message*/) override {
        byChannel[r.channel].push_back(r);
    }
    void event(DriverEvent e, int /*channel*/) override { events.push_back(e); }
    std::map<int, std::vector<Reading>> byChannel;
    std::vector<DriverEvent> events;
};

// Runs `seconds` of the conversation: every request answered 20 ms later.
void converse(ChargerDriver& driver, AnsweringCharger& charger, std::uint32_t seconds) {
    std::uint32_t t = 0;
    while (t < seconds * 1000) {
        for (const DriverRequest& request : driver.due(t)) {
            for (const auto& reply : charger.answer(request.bytes, request.target, t)) {
                driver.feed(reply, t + 20);
            }
        }
        const std::uint32_t next = driver.nextDueMs().value_or(t + 1000);
        t = std::max(next, t + 20);
    }
    driver.endOfInput(t);
}

TEST(AnsweringChargers, EachDriverReadsACharge) {
    struct Case {
        const char* charger;
        const char* model;
        const char* driverModel;
        int channels;
        Chemistry chemistry;
        int cells;  // of channel 1
    };
    const Case cases[] = {
        {"skyrc", "T1000", "T1000", 4, Chemistry::LiPo, 6},
        {"skyrc", "Q200neo", "", 4, Chemistry::LiPo, 6},
        {"isdt", "C4 Air", "C4 Air", 6, Chemistry::NiMH, 1},
        {"isdt", "A8 Air", "A8 Air", 8, Chemistry::NiMH, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.charger) + " " + c.model);
        Recorder rec;
        std::unique_ptr<ChargerDriver> driver = makeDriver(c.charger, rec, rec);
        ASSERT_TRUE(driver);
        std::unique_ptr<AnsweringCharger> charger = makeAnsweringCharger(c.charger, c.model);
        converse(*driver, *charger, 120);
        EXPECT_TRUE(rec.events.empty());
        EXPECT_EQ(driver->channelCount(), c.channels);
        if (auto* s = dynamic_cast<SkyrcDriver*>(driver.get())) {
            EXPECT_EQ(s->model(), c.driverModel);
        } else if (auto* i = dynamic_cast<IsdtDriver*>(driver.get())) {
            EXPECT_EQ(i->model(), c.driverModel);
        }
        ASSERT_EQ(static_cast<int>(rec.byChannel.size()), c.channels);
        for (const auto& [channel, readings] : rec.byChannel) {
            SCOPED_TRACE(channel);
            // About one a second: six slots polled 100 ms apart take longer.
            EXPECT_GE(readings.size(), 80U);
            const Reading& first = readings.front();
            const Reading& last = readings.back();
            EXPECT_EQ(first.state, ChargeState::Charging);
            EXPECT_EQ(last.chemistry, c.chemistry);
            EXPECT_GT(last.capacity, first.capacity);
            EXPECT_GT(last.voltage, Decimal());
            EXPECT_GT(first.current, Decimal());
        }
        EXPECT_EQ(rec.byChannel[1].back().cellCount, c.cells);
    }
}

TEST(AnsweringChargers, AChargeEndsDoneAndWrongWritesGoUnanswered) {
    Recorder rec;
    IsdtDriver driver(rec, rec);
    std::unique_ptr<AnsweringCharger> charger = makeAnsweringCharger("isdt", "C4 Air");
    converse(driver, *charger, 5400);
    for (const auto& [channel, readings] : rec.byChannel) {
        EXPECT_EQ(readings.back().state, ChargeState::Done) << channel;
    }
    // A poll written to the bind characteristic, a bad SkyRC sum: no answer.
    EXPECT_TRUE(charger->answer(isdt::workRequest(0), isdt::kBindCharacteristic, 0).empty());
    std::unique_ptr<AnsweringCharger> skyrc = makeAnsweringCharger("skyrc", "T1000");
    EXPECT_TRUE(
        skyrc->answer(std::vector<std::uint8_t>{0x0F, 0x03, 0x55, 0x01, 0x57}, {}, 0).empty());
    EXPECT_THROW(makeAnsweringCharger("isdt", "C4 EVO"), std::invalid_argument);
}

TEST(AnsweringChargers, HexLinesCarryRequestsAndReplies) {
    std::unique_ptr<AnsweringCharger> charger = makeAnsweringCharger("isdt", "C4 Air");
    std::istringstream in(
        "@0000af02-0000-1000-8000-00805f9b34fb 18 00 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e "
        "0f 00 01\n"
        "\n"
        "not hex\r\n"
        "@0000af01-0000-1000-8000-00805f9b34fb 12 92\n"
        "12e400\n");
    std::ostringstream out;
    runHexLines(*charger, in, out, [] { return std::uint32_t{5000}; });
    std::vector<std::string> lines;
    std::istringstream written(out.str());
    for (std::string line; std::getline(written, line);) {
        lines.push_back(line);
    }
    ASSERT_EQ(lines.size(), 4U);
    EXPECT_EQ(lines[0], "19 00");
    EXPECT_EQ(lines[1], "# bad request: not hex");
    EXPECT_EQ(lines[2], "31 93 00");
    // 12.000 V and 1.500 A in, little-endian; a notification of 31 bytes.
    EXPECT_TRUE(lines[3].starts_with("31 e5 00 e0 2e dc 05 00 00 ")) << lines[3];
    EXPECT_EQ(lines[3].size(), 31U * 3 - 1);
}

}  // namespace
}  // namespace cellwatch::emulator
