#include "tools/emulator/scenario.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "tests/emulator/wire_bytes.h"
#include "tools/emulator/command_line.h"
#include "tools/emulator/status_encoder.h"

namespace cellwatch::emulator {
namespace {

using testing::pairAt;

std::vector<ChargerReading> readingsOf(const std::vector<Step>& steps) {
    std::vector<ChargerReading> readings;
    for (const Step& s : steps) {
        if (s.kind != Step::Kind::Garbage && s.kind != Step::Kind::Silence) {
            readings.push_back(s.reading);
        }
    }
    return readings;
}

ScenarioOptions options(const std::string& name, FrameLayout layout = FrameLayout::Short76) {
    ScenarioOptions o;
    o.names = {name};
    o.layout = layout;
    o.simSeconds = 30;
    return o;
}

// A receiver that lost its place must find the next message by its start
// byte, so 0x7B may appear only where a message starts.
TEST(Scenario, StartByteAppearsOnlyAtMessageStarts) {
    for (const std::string& name : scenarioNames()) {
        for (FrameLayout layout : {FrameLayout::Short76, FrameLayout::Long112}) {
            for (std::uint64_t seed : {1u, 2u, 7u, 12345u}) {
                ScenarioOptions o = options(name, layout);
                o.seed = seed;
                o.simSeconds = 120;
                std::size_t pos = 0;
                for (const Step& step : buildScenario(o)) {
                    const auto bytes = encodeStep(step);
                    const bool message =
                        step.kind != Step::Kind::Garbage && step.kind != Step::Kind::Silence;
                    for (std::size_t i = 0; i < bytes.size(); ++i) {
                        ASSERT_EQ(bytes[i] == 0x7B, message && i == 0)
                            << name << " seed " << seed << " byte " << pos + i;
                    }
                    pos += bytes.size();
                }
            }
        }
    }
}

TEST(Scenario, SameSeedGivesTheSameStreamAndAnotherSeedAnother) {
    for (const char* name : {"garbage", "lipo-charge", "demo"}) {
        ScenarioOptions a = options(name);
        a.messages = 40;
        ScenarioOptions b = a;
        b.seed = 2;
        EXPECT_EQ(encodeSteps(buildScenario(a)), encodeSteps(buildScenario(a))) << name;
        EXPECT_NE(encodeSteps(buildScenario(a)), encodeSteps(buildScenario(b))) << name;
    }
}

TEST(Scenario, MessageLimitAppliesToEachNamedScenario) {
    for (const std::string& name : scenarioNames()) {
        ScenarioOptions o = options(name);
        o.messages = 3;
        EXPECT_EQ(readingsOf(buildScenario(o)).size(), 3u) << name;
    }
    ScenarioOptions both = options("idle");
    both.names = {"idle", "lipo-charge"};
    both.messages = 4;
    EXPECT_EQ(readingsOf(buildScenario(both)).size(), 8u);
}

TEST(Scenario, LipoChargeIsConstantCurrentThenConstantVoltage) {
    for (int cells : {1, 4, 6, 12}) {
        ScenarioOptions o = options("lipo-charge");
        o.cells = cells;
        const auto readings = readingsOf(buildScenario(o));
        ASSERT_GT(readings.size(), 20u);
        const Decimal full = Decimal::fromHundredths(420 * cells);
        const Decimal set = o.current;
        const Decimal perCellStart = readings.front().voltage.dividedBy(Decimal::fromInt(cells));
        EXPECT_GT(perCellStart, Decimal::fromHundredths(365));
        EXPECT_LT(perCellStart, Decimal::fromHundredths(385));

        bool constantVoltage = false;
        for (std::size_t i = 0; i < readings.size(); ++i) {
            const ChargerReading& r = readings[i];
            SCOPED_TRACE("cells " + std::to_string(cells) + " message " + std::to_string(i));
            ASSERT_EQ(r.mode, Mode::Charge);
            ASSERT_LE(r.voltage, full);
            Decimal sum;
            for (int k = 0; k < 12; ++k) {
                ASSERT_LE(r.cells[static_cast<std::size_t>(k)], Decimal::fromHundredths(420));
                ASSERT_EQ(r.cells[static_cast<std::size_t>(k)].isZero(), k >= cells);
                sum += r.cells[static_cast<std::size_t>(k)];
            }
            ASSERT_LE((sum - r.voltage).abs(), Decimal::fromHundredths(cells));
            if (i > 0) {
                ASSERT_GE(r.capacity, readings[i - 1].capacity);
                ASSERT_GE(r.voltage, readings[i - 1].voltage);
                ASSERT_GE(r.extTemperature, readings[i - 1].extTemperature);
                if (constantVoltage) {
                    ASSERT_LE(r.current, readings[i - 1].current) << "current must taper";
                }
            }
            constantVoltage = constantVoltage || r.voltage == full;
            if (!constantVoltage) {
                ASSERT_EQ(r.current, set);
            }
        }
        EXPECT_TRUE(constantVoltage);
        const Decimal tenth = Decimal::fromInt(o.capacityMah).dividedBy(Decimal::fromInt(10000));
        EXPECT_LT(readings.back().current, tenth);
        EXPECT_GE(readings[readings.size() - 2].current, tenth) << "stops at the first below C/10";
    }
}

TEST(Scenario, LipoDischargeRunsDownAtConstantCurrentWithNegativeCurrentShown) {
    ScenarioOptions o = options("lipo-discharge");
    const auto readings = readingsOf(buildScenario(o));
    ASSERT_GT(readings.size(), 20u);
    for (std::size_t i = 1; i < readings.size(); ++i) {
        EXPECT_EQ(readings[i].mode, Mode::Discharge);
        EXPECT_EQ(readings[i].current, o.current);
        EXPECT_LE(readings[i].voltage, readings[i - 1].voltage);
        EXPECT_GE(readings[i].capacity, readings[i - 1].capacity);
    }
    EXPECT_LE(readings.back().voltage, Decimal::fromHundredths(4 * 330));
    EXPECT_GT(readings[readings.size() - 2].voltage, Decimal::fromHundredths(4 * 330));
    // Between 80 and 100 % of the nominal capacity comes out.
    EXPECT_GT(readings.back().capacity, Decimal::fromInt(o.capacityMah * 8 / 10));
    EXPECT_LE(readings.back().capacity, Decimal::fromInt(o.capacityMah));
}

TEST(Scenario, NimhChargePeaksThenDropsALittleAndStops) {
    for (double simSeconds : {1.0, 30.0}) {
        ScenarioOptions o = options("nimh-charge");
        o.simSeconds = simSeconds;
        const auto readings = readingsOf(buildScenario(o));
        const auto peak =
            std::max_element(readings.begin(), readings.end(),
                             [](const auto& a, const auto& b) { return a.voltage < b.voltage; });
        ASSERT_NE(peak, readings.end() - 1) << "no drop after the peak";
        EXPECT_TRUE(std::is_sorted(readings.begin(), peak + 1, [](const auto& a, const auto& b) {
            return a.voltage < b.voltage;
        }));
        const Decimal drop = peak->voltage - readings.back().voltage;
        EXPECT_GE(drop, Decimal::fromHundredths(3));  // 6 cells x 5 mV
        EXPECT_LE(drop, Decimal::fromHundredths(10));
        for (const ChargerReading& r : readings) {
            EXPECT_EQ(r.chemistry, Chemistry::NiMH);
            EXPECT_TRUE(
                std::all_of(r.cells.begin(), r.cells.end(), [](Decimal c) { return c.isZero(); }));
        }
    }
}

TEST(Scenario, LineScenariosContainTheirSpecialStep) {
    struct Case {
        const char* name;
        Step::Kind kind;
        std::uint32_t minMs;
    };
    const Case cases[] = {
        {"pause", Step::Kind::Silence, 4001},
        {"late", Step::Kind::LateMessage, 3001},
        {"garbage", Step::Kind::Garbage, 0},
        {"damaged", Step::Kind::DamagedMessage, 0},
    };
    for (const Case& c : cases) {
        const auto steps = buildScenario(options(c.name));
        const auto special = std::find_if(steps.begin() + 1, steps.end(),
                                          [&](const Step& s) { return s.kind == c.kind; });
        ASSERT_NE(special, steps.end()) << c.name;
        EXPECT_GE(special->ms, c.minMs) << c.name;
        EXPECT_TRUE(std::any_of(steps.begin(), special, [](const Step& s) {
            return s.kind == Step::Kind::Message;
        })) << c.name;
        EXPECT_TRUE(std::any_of(special + 1, steps.end(), [](const Step& s) {
            return s.kind == Step::Kind::Message;
        })) << c.name;
    }
}

// Large packs at high current: the count passes 12799 in big strides and a
// later part of the list starts again from zero. A receiver applying its
// roll-over correction to the wire values must still see the true counts.
TEST(Scenario, CapacityStaysTrackableAcrossTheWireRollOver) {
    ScenarioOptions o = options("lipo-charge");
    o.names = {"lipo-charge", "idle", "lipo-discharge"};
    o.capacityMah = 30000;
    o.current = Decimal::fromInt(20);
    o.simSeconds = 60;
    for (FrameLayout layout : {FrameLayout::Short76, FrameLayout::Long112}) {
        o.layout = layout;
        testing::RollOverTracker receiver;
        std::int64_t previous = 0;
        for (const Step& step : buildScenario(o)) {
            const std::int64_t truth = step.reading.capacity.roundedToInt();
            const auto bytes = encodeStep(step);
            const std::int64_t wire = pairAt(bytes, layout == FrameLayout::Short76 ? 43 : 7);
            ASSERT_EQ(receiver.correct(wire), truth);
            if (previous >= 12791) {
                ASSERT_GE(truth, previous);
            }
            previous = truth;
        }
        EXPECT_GT(previous, 30000);
    }
}

// The alarm scenarios are listed in --help with what they raise, and play
// one message a second without a pause (so no restart splits them) except
// the frozen charger's silence.
TEST(Scenario, AlarmScenariosAreListedAndRunWithoutPauses) {
    const std::string help = helpText();
    for (const char* name : {"alarm-cell-high", "alarm-cell-low", "alarm-hot", "alarm-spread",
                             "alarm-input-low", "alarm-finished", "alarm-stalled"}) {
        SCOPED_TRACE(name);
        EXPECT_NE(help.find(std::string("  ") + name + " "), std::string::npos);
        ScenarioOptions o;
        o.names = {name};
        std::size_t silences = 0;
        for (const Step& step : buildScenario(o)) {
            silences += step.kind == Step::Kind::Silence ? 1 : 0;
            ASSERT_TRUE(step.kind == Step::Kind::Message || step.kind == Step::Kind::Silence);
        }
        EXPECT_EQ(silences, std::string(name) == "alarm-stalled" ? 1u : 0u);
    }
}

}  // namespace
}  // namespace cellwatch::emulator
