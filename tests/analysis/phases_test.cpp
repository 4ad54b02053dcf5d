#include "analysis/phases.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "analysis/recording_analysis.h"
#include "analysis/recording_summary.h"
#include "analysis/resistance.h"
#include "tests/analysis/made_rows.h"

namespace cellwatch {
namespace {

using made::appendRun;
using made::Reading;

const std::vector<double> kFourCells{4.10, 4.11, 4.10, 4.12};

RecordingPhases phasesOf(const std::vector<Reading>& readings) {
    TextRangeRows rows(made::rowsOf(readings));
    return cutPhases(rows);
}

TEST(Phases, ChargeCapacityFromTheCountersIncrements) {
    // 2 A for 3326 s: 1847.8 mAh by the current, whatever the counter does.
    const double seconds = 3326;
    const double trueMah = 2 * (seconds - 1) / 3.6;
    const struct {
        const char* name;
        double restartAt;  // the counter starts again from 0 here; 0: never
        double counterFrom;
        double expectMah;
        int restarts;
        bool partWay;
    } cases[] = {
        {"plain", 0, 0, trueMah, 0, false},
        // The charger's counter restarted near the end: its last count is
        // 14 mAh, the charge 1848 mAh.
        {"counter restarts", 3300, 0, trueMah, 1, false},
        // The recording started while the counter stood at 700 mAh: what the
        // recording saw is counted.
        {"starts part-way", 0, 700, trueMah, 0, true},
    };
    for (const auto& c : cases) {
        std::vector<Reading> readings;
        appendRun(readings, "+CHG+", 0, static_cast<int>(seconds), 16.8, 2.0, c.counterFrom,
                  kFourCells);
        if (c.restartAt > 0) {
            for (Reading& r : readings) {
                if (r.seconds >= c.restartAt) {
                    r.mah = 2 * (r.seconds - c.restartAt) / 3.6;
                }
            }
        }
        const RecordingPhases p = phasesOf(readings);
        ASSERT_EQ(p.phases.size(), 1U) << c.name;
        const Phase& charge = p.phases[0];
        EXPECT_EQ(charge.kind, RowState::Charge) << c.name;
        // Whole mAh on the wire, and the step across a restart is lost.
        EXPECT_NEAR(charge.capacityMah, c.expectMah, 1.6) << c.name;
        EXPECT_NEAR(charge.currentMah, trueMah, 1e-6) << c.name;
        EXPECT_EQ(charge.counterRestarts, c.restarts) << c.name;
        EXPECT_EQ(charge.startedPartWay, c.partWay) << c.name;
        EXPECT_DOUBLE_EQ(charge.durationS, seconds - 1) << c.name;
        EXPECT_NEAR(charge.energyWh, 16.8 * 2 * (seconds - 1) / 3600, 1e-9) << c.name;
    }
    // The summary's figure is the last count, which the restart spoils.
    std::vector<Reading> readings;
    appendRun(readings, "+CHG+", 0, 3326, 16.8, 2.0, 0, kFourCells);
    for (Reading& r : readings) {
        r.mah = r.seconds >= 3300 ? 2 * (r.seconds - 3300) / 3.6 : r.mah;
    }
    RecordingSummarizer summary;
    for (const QStringList& row : made::rowsOf(readings)) {
        summary.addRow(row);
    }
    EXPECT_LT(summary.values().capacityMah, 20);
}

TEST(Phases, ChargeThenDischargeGivesEfficiency) {
    std::vector<Reading> readings;
    appendRun(readings, "+CHG+", 0, 1800, 16.8, 2.0, 0, kFourCells);
    appendRun(readings, "Idle", 1800, 30, 16.4, 0, 0, kFourCells);
    // The discharge's counter starts from 0 again.
    appendRun(readings, "-DSC-", 1830, 1620, 14.8, -2.0, 0, {3.7, 3.7, 3.7, 3.7});
    readings.back().amps = -2.5;  // the largest current, by size, with its sign
    const RecordingPhases p = phasesOf(readings);
    ASSERT_EQ(p.phases.size(), 3U);
    const Phase& charge = p.phases[0];
    const Phase& rest = p.phases[1];
    const Phase& discharge = p.phases[2];
    EXPECT_EQ(charge.kind, RowState::Charge);
    EXPECT_EQ(rest.kind, RowState::Rest);
    EXPECT_EQ(discharge.kind, RowState::Discharge);
    EXPECT_EQ(charge.firstRow, 0U);
    EXPECT_EQ(charge.lastRow, 1799U);
    EXPECT_EQ(discharge.firstRow, 1830U);
    EXPECT_EQ(discharge.rows, 1620U);
    EXPECT_NEAR(charge.capacityMah, 2 * 1799 / 3.6, 0.6);
    EXPECT_NEAR(discharge.capacityMah, 2 * 1619 / 3.6, 0.6);
    EXPECT_DOUBLE_EQ(rest.capacityMah, 0);
    EXPECT_DOUBLE_EQ(charge.currentMeanA, 2.0);
    EXPECT_DOUBLE_EQ(charge.currentPeakA, 2.0);
    EXPECT_LT(discharge.currentMeanA, -2.0);
    EXPECT_DOUBLE_EQ(discharge.currentPeakA, -2.5);
    EXPECT_DOUBLE_EQ(discharge.durationS, 1619);
    EXPECT_DOUBLE_EQ(discharge.cellsLastV[0], 3.7);
    EXPECT_EQ(discharge.cells, 4);
    EXPECT_TRUE(std::isnan(discharge.cellsLastV[4]));

    const double chargeWh = 16.8 * 2 * 1799 / 3600;
    const double dischargeWh = 14.8 * 2 * 1618 / 3600 + (14.8 * 2 + 14.8 * 2.5) / 2 / 3600;
    EXPECT_NEAR(p.totals.chargeWh, chargeWh, 1e-9);
    EXPECT_NEAR(p.totals.dischargeWh, dischargeWh, 1e-9);
    ASSERT_TRUE(p.totals.efficiencyWh.has_value());
    ASSERT_TRUE(p.totals.efficiencyMah.has_value());
    EXPECT_NEAR(*p.totals.efficiencyWh, dischargeWh / chargeWh, 1e-9);
    EXPECT_NEAR(*p.totals.efficiencyMah, 1619.0 / 1799.0, 0.002);
    EXPECT_EQ(p.totals.chargePhases, 1);
    EXPECT_EQ(p.totals.dischargePhases, 1);

    EXPECT_EQ(phaseOfRow(p.phases, 0), 0U);
    EXPECT_EQ(phaseOfRow(p.phases, 1815), 1U);
    EXPECT_EQ(phaseOfRow(p.phases, 3449), 2U);
    EXPECT_FALSE(phaseOfRow(p.phases, 3450).has_value());
}

TEST(Phases, OneKindHasNoEfficiencyAndTimeFallingBackAddsNothing) {
    std::vector<Reading> readings;
    appendRun(readings, "+CHG+", 100, 50, 16.8, 2.0, 0, kFourCells);
    // The recording's origin moved: the time starts again from 0.
    appendRun(readings, "+CHG+", 0, 50, 16.8, 2.0, 28, kFourCells);
    const RecordingPhases p = phasesOf(readings);
    ASSERT_EQ(p.phases.size(), 1U);
    EXPECT_DOUBLE_EQ(p.phases[0].durationS, 98);
    EXPECT_FALSE(p.totals.efficiencyWh.has_value());
    EXPECT_FALSE(p.totals.efficiencyMah.has_value());
}

// A recording that flips its state every row keeps the first phases and
// counts the rest in its totals; its resistance keeps an even sample of
// its steps. What is kept is bounded, not the rows' number.
TEST(Phases, AMillionFlipsKeepsBoundedPhasesAndEstimates) {
    std::vector<Reading> readings;
    constexpr int kRows = 6000;
    for (int i = 0; i < kRows; ++i) {
        const bool charging = (i / 4) % 2 == 0;  // four rows a phase: steady windows
        readings.push_back({static_cast<double>(i + 1), charging ? "+CHG+" : "-DSC-",
                            charging ? 16.9 : 16.5, charging ? 2.0 : -2.0,
                            static_cast<double>(i % 4), kFourCells});
    }
    TextRangeRows rows(made::rowsOf(readings));
    const RecordingPhases p = cutPhases(rows);
    EXPECT_EQ(p.phases.size(), kKeptPhases);
    EXPECT_EQ(p.phases.size() + p.omitted, static_cast<std::size_t>(kRows / 4));
    EXPECT_EQ(p.totals.chargePhases + p.totals.dischargePhases, kRows / 4);
    EXPECT_DOUBLE_EQ(p.totals.chargeMah, 3.0 * kRows / 8);
    const std::vector<ResistanceEstimate> r = estimateResistance(rows);
    ASSERT_GE(r.size(), kKeptEstimates / 2);
    EXPECT_LT(r.size(), 2 * kKeptEstimates);
    EXPECT_LT(r.front().row, 20U);
    EXPECT_GT(r.back().row, static_cast<std::size_t>(kRows) * 3 / 4) << "spread over the whole";
}

// Fed a row at a time, the analysis keeps what it shows and a few rows,
// however many rows come: ten million rows flipping every four rows.
TEST(Phases, TheAnalysisOfRowsAsTheyComeStaysBounded) {
    constexpr std::size_t kRows = 10'000'000;
    RecordingAnalyzer analyzer;
    RangeRowNumbers row;
    row.timed = true;
    for (std::size_t c = 0; c < 4; ++c) {
        row.cells[c] = kFourCells[c];
    }
    std::size_t mostPhases = 0;
    std::size_t mostEstimates = 0;
    for (std::size_t i = 0; i < kRows; ++i) {
        const bool charging = (i / 4) % 2 == 0;
        row.state = charging ? RowState::Charge : RowState::Discharge;
        row.seconds = static_cast<double>(i + 1);
        row.voltage = charging ? 16.9 : 16.5;
        row.current = charging ? 2.0 : -2.0;
        row.capacity = static_cast<double>(i % 4);
        analyzer.add(row);
        mostPhases = std::max(mostPhases, analyzer.phasesKept());
        mostEstimates = std::max(mostEstimates, analyzer.estimatesKept());
    }
    EXPECT_EQ(mostPhases, kKeptPhases);
    EXPECT_LT(mostEstimates, 2 * kKeptEstimates);
    const RecordingAnalysis a = analyzer.finish();
    EXPECT_EQ(a.phases.phases.size() + a.phases.omitted, kRows / 4);
    EXPECT_DOUBLE_EQ(a.phases.totals.chargeMah, 3.0 * kRows / 8);
    ASSERT_GE(a.resistance.size(), kKeptEstimates);
    EXPECT_GT(a.resistance.back().row, kRows * 3 / 4) << "spread over the whole";
    EXPECT_EQ(a.resistanceSummary.shownCount, static_cast<int>(a.resistance.size()));
    EXPECT_NEAR(a.resistanceSummary.packOhms, 0.1, 1e-9);
}

TEST(Phases, CounterSteps) {
    const struct {
        double before, after, adds;
        bool restarted;
    } cases[] = {
        {10, 12, 2, false}, {10, 10, 0, false}, {1000, 999, 0, false},  // a wobble
        {1000, 3, 3, true}, {1000, 0, 0, true},
    };
    for (const auto& c : cases) {
        bool restarted = false;
        EXPECT_DOUBLE_EQ(counterStepMah(c.before, c.after, restarted), c.adds) << c.before;
        EXPECT_EQ(restarted, c.restarted) << c.before << " " << c.after;
    }
}

}  // namespace
}  // namespace cellwatch
