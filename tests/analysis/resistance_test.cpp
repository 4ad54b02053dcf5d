#include "analysis/resistance.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/analysis/made_rows.h"

namespace cellwatch {
namespace {

using made::Reading;

// Four cells of a set resistance (cell 3 higher) at an open-circuit voltage
// that the 0.01 V resolution does not hit exactly.
constexpr double kOcv = 3.7537;
const std::array<double, 4> kCellOhms{0.040, 0.040, 0.060, 0.040};
constexpr double kPackOhms = 0.180;

struct CurrentRun {
    const char* state;
    double amps;
    int seconds;
    double ext;
};

std::vector<Reading> stepsOver(const std::vector<CurrentRun>& runs) {
    std::vector<Reading> readings;
    double t = 0;
    double mah = 0;
    for (const CurrentRun& run : runs) {
        mah = 0;  // the counter starts again with each kind of run
        for (int k = 0; k < run.seconds; ++k) {
            Reading r;
            r.seconds = t++;
            r.state = run.state;
            r.amps = run.amps;
            r.ext = run.ext;
            r.mah = mah;
            mah += std::fabs(run.amps) / 3.6;
            for (const double ohms : kCellOhms) {
                r.cells.push_back(kOcv + run.amps * ohms);
                r.volts += kOcv + run.amps * ohms;
            }
            readings.push_back(r);
        }
    }
    return readings;
}

TEST(Resistance, StepsOverAPackOfSetResistance) {
    const std::vector<CurrentRun> runs{
        {"Idle", 0, 10, 24},   {"+CHG+", 2, 20, 25},  {"Idle", 0, 10, 26},
        {"-DSC-", -1, 10, 27}, {"-DSC-", -3, 10, 28}, {"Idle", 0, 10, 29},
    };
    TextRangeRows rows(made::rowsOf(stepsOver(runs)));
    const std::vector<ResistanceEstimate> estimates = estimateResistance(rows);
    const struct {
        std::size_t row;
        double before, after, ext;
        // A 1 A step is too small for a 0.04 ohm cell's 0.01 V: 26 %.
        double cellsShownFromOhms;
    } expected[] = {
        {10, 0, 2, 25, 0},   {30, 2, 0, 26, 0},  {40, 0, -1, 27, 0.05},
        {50, -1, -3, 28, 0}, {60, -3, 0, 29, 0},
    };
    ASSERT_EQ(estimates.size(), std::size(expected));
    for (std::size_t i = 0; i < estimates.size(); ++i) {
        const ResistanceEstimate& e = estimates[i];
        const auto& x = expected[i];
        SCOPED_TRACE(x.row);
        EXPECT_EQ(e.row, x.row);
        EXPECT_DOUBLE_EQ(e.atSeconds, static_cast<double>(x.row));
        EXPECT_DOUBLE_EQ(e.currentBeforeA, x.before);
        EXPECT_DOUBLE_EQ(e.currentAfterA, x.after);
        EXPECT_DOUBLE_EQ(e.tempExtC, x.ext);
        // The estimate is within its stated uncertainty, which is at most
        // 25 % and no wider than the resolution allows.
        EXPECT_LE(std::fabs(e.ohms - kPackOhms), e.uncertaintyOhms);
        EXPECT_TRUE(e.shown);
        EXPECT_NEAR(e.uncertaintyOhms, (0.01 + e.ohms * 0.01) / std::fabs(x.after - x.before),
                    1e-12);
        for (std::size_t c = 0; c < 12; ++c) {
            const CellResistance& cell = e.cells[c];
            ASSERT_EQ(cell.present, c < 4) << c;
            if (!cell.present) {
                continue;
            }
            EXPECT_LE(std::fabs(cell.ohms - kCellOhms[c]), cell.uncertaintyOhms) << c;
            EXPECT_EQ(cell.shown, kCellOhms[c] >= x.cellsShownFromOhms) << c;
        }
    }
    // Where each was taken: the discharge's counter had counted 10 s at 1 A
    // when its current stepped to 3 A; net, the charge's 20 s at 2 A less.
    EXPECT_NEAR(estimates[3].phaseMahSoFar, 10 / 3.6, 1.0);
    EXPECT_NEAR(estimates[3].netMahSoFar, 19 * 2 / 3.6 - 10 / 3.6, 2.0);

    const ResistanceSummary summary = summarizeResistance(estimates);
    EXPECT_EQ(summary.shownCount, 5);
    EXPECT_NEAR(summary.packOhms, kPackOhms, 0.02);
    EXPECT_NEAR(summary.cellOhms[2], 0.060, 0.006);
    EXPECT_NEAR(summary.cellOhms[0], 0.040, 0.006);
    EXPECT_TRUE(std::isnan(summary.cellOhms[5]));
    EXPECT_DOUBLE_EQ(summary.tempExtC, (25 + 26 + 27 + 28 + 29) / 5.0);
}

TEST(Resistance, NoStepNoEstimateAndSmallStepsAreFlagged) {
    // A steady charge, a taper below the step size, a pause too long to
    // join the windows: nothing to estimate.
    std::vector<Reading> readings;
    for (int k = 0; k < 60; ++k) {
        Reading r;
        r.seconds = k < 30 ? k : k + 60;  // 60 s of silence after row 29
        r.amps = k < 30 ? 2.0 - 0.01 * k : 0;
        r.state = k < 30 ? "+CHG+" : "Idle";
        r.volts = 16.8;
        r.cells = {4.2, 4.2, 4.2, 4.2};
        readings.push_back(r);
    }
    TextRangeRows rows(made::rowsOf(readings));
    EXPECT_TRUE(estimateResistance(rows).empty());

    // A step of 0.2 A over 0.01 V is kept, flagged: 0.05 ohm +- 50 %.
    std::vector<Reading> small;
    for (int k = 0; k < 10; ++k) {
        Reading r;
        r.seconds = k;
        r.amps = k < 5 ? 1.0 : 1.2;
        r.volts = k < 5 ? 16.00 : 16.01;
        small.push_back(r);
    }
    TextRangeRows smallRows(made::rowsOf(small));
    const auto flagged = estimateResistance(smallRows);
    ASSERT_EQ(flagged.size(), 1U);
    EXPECT_NEAR(flagged[0].ohms, 0.05, 1e-9);
    EXPECT_FALSE(flagged[0].shown);
    EXPECT_GT(flagged[0].relativeUncertainty(), 0.25);
    EXPECT_TRUE(std::isnan(summarizeResistance(flagged).packOhms));
}

TEST(Resistance, RampIsPassedOver) {
    // The charger takes three readings to reach 3 A; the after-window is
    // taken once it holds.
    const double amps[] = {0, 0, 0, 1, 2, 3, 3, 3, 3};
    std::vector<Reading> readings;
    for (std::size_t k = 0; k < std::size(amps); ++k) {
        Reading r;
        r.seconds = static_cast<double>(k);
        r.amps = amps[k];
        r.volts = 15.0 + 0.2 * amps[k];
        readings.push_back(r);
    }
    TextRangeRows rows(made::rowsOf(readings));
    const auto estimates = estimateResistance(rows);
    ASSERT_EQ(estimates.size(), 1U);
    EXPECT_DOUBLE_EQ(estimates[0].currentAfterA, 3);
    EXPECT_NEAR(estimates[0].ohms, 0.2, 1e-9);
}

}  // namespace
}  // namespace cellwatch
