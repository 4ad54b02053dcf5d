// The pack model's internal resistance and weak cell, and the options that
// set them: what the readings must show for the analysis to find them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "tools/emulator/command_line.h"
#include "tools/emulator/pack_model.h"
#include "tools/emulator/scenario.h"

namespace cellwatch::emulator {
namespace {

PackParameters fourCells() {
    PackParameters p;
    p.cells = 4;
    p.capacityMah = 2200;
    p.current = 2.0;
    p.stepSeconds = 10;
    return p;
}

TEST(WeakPack, ResistanceSetsTheVoltageUnderLoad) {
    // A full pack discharged at 2 A reads 2 A x R under its open-circuit
    // voltage: the same pack at two resistances differs by 2 A x their
    // difference (each cell within 5 % of its share; 0.01 V readings).
    const auto firstVolts = [](double ohms) {
        PackParameters p = fourCells();
        p.resistanceOhm = ohms;
        return lithiumDischarge(p).front().voltage.toDouble();
    };
    const double low = firstVolts(0.10);
    for (const double ohms : {0.20, 0.40, 1.0}) {
        const double drop = low - firstVolts(ohms);
        EXPECT_NEAR(drop / 2.0, ohms - 0.10, 0.05 * ohms + 0.01) << ohms;
    }
}

TEST(WeakPack, AWeakCellEndsTheDischargeLowestAndSooner) {
    const struct {
        int capacityPercent;
        int resistancePercent;
    } cases[] = {{100, 100}, {90, 100}, {80, 100}, {100, 300}};
    std::size_t previousRows = 0;
    for (const auto& c : cases) {
        PackParameters p = fourCells();
        p.weakCell = c.capacityPercent == 100 && c.resistancePercent == 100 ? 0 : 3;
        p.weakCapacity = c.capacityPercent / 100.0;
        p.weakResistance = c.resistancePercent / 100.0;
        const auto readings = lithiumDischarge(p);
        const ChargerReading& last = readings.back();
        const auto lowest =
            std::min_element(last.cells.begin(), last.cells.begin() + 4) - last.cells.begin();
        if (p.weakCell != 0) {
            EXPECT_EQ(lowest, 2) << c.capacityPercent << " " << c.resistancePercent;
            const double others =
                (last.cells[0].toDouble() + last.cells[1].toDouble() + last.cells[3].toDouble()) /
                3;
            EXPECT_GT(others - last.cells[2].toDouble(), 0.02);
        }
        if (c.resistancePercent == 100 && previousRows != 0) {
            // Less capacity, a shorter discharge: about in proportion.
            EXPECT_LT(readings.size(), previousRows) << c.capacityPercent;
        }
        if (c.resistancePercent == 100) {
            previousRows = readings.size();
        }
    }
}

TEST(WeakPack, CycleIsAChargeThenADischarge) {
    ScenarioOptions o;
    o.names = {"lipo-cycle"};
    o.simSeconds = 30;
    const auto steps = buildScenario(o);
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.front().reading.mode, Mode::Charge);
    EXPECT_EQ(steps.back().reading.mode, Mode::Discharge);
    const auto firstDischarge = std::find_if(steps.begin(), steps.end(), [](const Step& s) {
        return s.reading.mode == Mode::Discharge;
    });
    ASSERT_NE(firstDischarge, steps.end());
    EXPECT_EQ(firstDischarge->reading.capacity.toDouble(), 0);  // the counter starts again
}

TEST(WeakPack, Options) {
    const struct {
        std::vector<std::string_view> args;
        const char* error;  // "" for none
    } cases[] = {
        {{"--output", "-", "--resistance", "0.2", "--weak-cell", "3", "--weak-cell-capacity", "85",
          "--weak-cell-resistance", "150"},
         ""},
        {{"--output", "-", "--resistance", "0"}, "bad value '0' for --resistance"},
        {{"--output", "-", "--weak-cell", "5"}, "--weak-cell 5 is not one of the 4 cells"},
        {{"--output", "-", "--cells", "6", "--weak-cell", "5"}, ""},
        {{"--output", "-", "--weak-cell-capacity", "80"}, "need --weak-cell"},
        {{"--output", "-", "--weak-cell", "1", "--weak-cell-capacity", "5"},
         "bad value '5' for --weak-cell-capacity"},
        {{"--output", "-", "--weak-cell", "1", "--weak-cell-resistance", "50"},
         "bad value '50' for --weak-cell-resistance"},
    };
    for (const auto& c : cases) {
        const ParsedCommandLine parsed = parseCommandLine(c.args);
        const std::string what = std::string(c.args.back());
        if (std::string_view(c.error).empty()) {
            ASSERT_TRUE(parsed.commandLine.has_value()) << parsed.error;
        } else {
            EXPECT_FALSE(parsed.commandLine.has_value()) << what;
            EXPECT_NE(parsed.error.find(c.error), std::string::npos) << parsed.error;
        }
    }
    const auto good = parseCommandLine(cases[0].args);
    ASSERT_TRUE(good.commandLine);
    EXPECT_DOUBLE_EQ(good.commandLine->scenario.resistanceOhm, 0.2);
    EXPECT_EQ(good.commandLine->scenario.weakCell, 3);
    EXPECT_EQ(good.commandLine->scenario.weakCapacityPercent, 85);
    EXPECT_EQ(good.commandLine->scenario.weakResistancePercent, 150);
    EXPECT_NE(helpText().find("--weak-cell-capacity"), std::string::npos);
}

}  // namespace
}  // namespace cellwatch::emulator
