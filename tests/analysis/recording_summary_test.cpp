#include "analysis/recording_summary.h"
#include "analysis/summary_format.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <cmath>
#include <vector>

namespace cellwatch {
namespace {

// A row: time, state, volts, amps, mAh, then the cells (absent ones 0).
QStringList row(const QString& time, const QString& state, const QString& volts,
                const QString& amps, const QString& mah,
                const std::vector<QString>& cells = {"4.10", "4.12", "4.15"},
                const QString& ext = "25", const QString& internal = "31") {
    QStringList t{time, "LiIo/Po/Fe", state, ext, internal, "12.00", volts, amps, mah, "0"};
    for (std::size_t c = 0; c < 12; ++c) {
        t << (c < cells.size() ? cells[c] : "0");
    }
    return t;
}

RecordingSummaryValues summarize(const std::vector<QStringList>& rows) {
    RecordingSummarizer s;
    for (const QStringList& r : rows) {
        s.addRow(r);
    }
    return s.values();
}

TEST(RecordingSummary, KindIsChargeOrDischargeOnlyWhenEveryRowIs) {
    const struct {
        std::vector<const char*> states;
        RecordingKind kind;
    } cases[] = {
        {{"+CHG+", "+CHG+"}, RecordingKind::Charge},
        {{"-DSC-", "-DSC-", "-DSC-"}, RecordingKind::Discharge},
        {{"+CHG+", "-DSC-"}, RecordingKind::Mixed},
        {{"+CHG+", "Idle"}, RecordingKind::Mixed},
        {{"-DSC-"}, RecordingKind::Discharge},
    };
    for (const auto& c : cases) {
        std::vector<QStringList> rows;
        int k = 1;
        for (const char* state : c.states) {
            rows.push_back(row(QStringLiteral("0:00:0%1").arg(k++), state, "12.00", "1.00", "1"));
        }
        EXPECT_EQ(summarize(rows).kind, c.kind) << c.states.size();
    }
    EXPECT_EQ(kindName(RecordingKind::Discharge), QStringLiteral("discharge"));
}

// Energy: the trapezoid over each gap, uneven gaps weighted by their length,
// the power of a discharge taken by its size.
TEST(RecordingSummary, EnergyIsTheTrapezoidOverUnevenGaps) {
    const auto v = summarize({
        row("0:00:01", "-DSC-", "10.00", "-2.00", "0"),   // 20 W
        row("0:00:11", "-DSC-", "10.00", "-4.00", "10"),  // 40 W, 10 s later
        row("0:01:11", "-DSC-", "8.00", "-5.00", "90"),   // 40 W, 60 s later
        row("0:01:12", "-DSC-", "8.00", "0.00", "91"),    // 0 W, 1 s later
    });
    const double wattSeconds = 10 * (20 + 40) / 2.0 + 60 * (40 + 40) / 2.0 + 1 * (40 + 0) / 2.0;
    EXPECT_NEAR(v.energyWh, wattSeconds / 3600, 1e-12);
    EXPECT_EQ(v.rows, 4);
    EXPECT_DOUBLE_EQ(v.durationS, 72);
    EXPECT_DOUBLE_EQ(v.capacityMah, 91);
    EXPECT_DOUBLE_EQ(v.currentAvgA, (2 + 4 + 5 + 0) / 4.0);
    EXPECT_DOUBLE_EQ(v.currentMaxA, 5);
    EXPECT_DOUBLE_EQ(v.voltageFirstV, 10);
    EXPECT_DOUBLE_EQ(v.voltageLastV, 8);
    EXPECT_DOUBLE_EQ(v.voltageMaxV, 10);
}

// The spread counts a row's non-zero cells only; a row with fewer than two
// counts 0; the time is that of the first row with the largest.
TEST(RecordingSummary, SpreadIgnoresAbsentCellsAndKeepsTheFirstLargest) {
    const auto v = summarize({
        row("0:00:01", "+CHG+", "8.20", "1.00", "1", {"4.10", "0", "4.00"}),  // 0.10
        row("0:00:02", "+CHG+", "8.20", "1.00", "2", {"4.30"}),               // one cell: 0
        row("0:00:03", "+CHG+", "8.20", "1.00", "3", {"4.20", "4.05", "4.25"}, "40", "55"),
        row("0:00:04", "+CHG+", "8.20", "1.00", "4", {"4.25", "4.05", "4.20"}),
        row("0:00:05", "+CHG+", "8.20", "1.00", "5", {"4.11", "4.12"}, "30", "45"),
    });
    EXPECT_NEAR(v.cellSpreadMaxV, 0.20, 1e-9);
    EXPECT_DOUBLE_EQ(v.cellSpreadMaxAtS, 3);
    EXPECT_EQ(v.cells, 2);  // the last row's
    ASSERT_EQ(v.cellsLastV.size(), 2U);
    EXPECT_DOUBLE_EQ(v.cellsLastV[1], 4.12);
    EXPECT_DOUBLE_EQ(v.tempExtMaxC, 40);
    EXPECT_DOUBLE_EQ(v.tempIntMaxC, 55);
}

TEST(RecordingSummary, OneRowAndRowsWithoutATime) {
    const auto one = summarize({row("0:00:01", "+CHG+", "4.20", "1.50", "3", {"4.20"})});
    EXPECT_EQ(one.rows, 1);
    EXPECT_DOUBLE_EQ(one.energyWh, 0);
    EXPECT_DOUBLE_EQ(one.cellSpreadMaxV, 0);
    EXPECT_DOUBLE_EQ(one.cellSpreadMaxAtS, 1);
    EXPECT_DOUBLE_EQ(one.currentAvgA, 1.5);
    EXPECT_EQ(one.battery, QStringLiteral("LiIo/Po/Fe"));

    QStringList empty;
    empty.resize(22);
    const auto withEmpty = summarize({empty, row("0:00:02", "+CHG+", "4.20", "1.00", "3"), empty});
    EXPECT_EQ(withEmpty.rows, 1);
    EXPECT_EQ(summarize({}).rows, 0);
}

// Large and odd figures in their plain form: never an exponent.
TEST(SummaryFormat, PlainNumbersHaveNoExponent) {
    const std::vector<std::pair<double, const char*>> cases = {
        {1'000'000.0, "1000000"},
        {123'456'789.5, "123456789.5"},
        {12.5, "12.5"},
        {0.00004, "0"},
        {-0.0, "0"},
        {-2.25, "-2.25"},
        {std::nan(""), "-"},
        {INFINITY, "-"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(plain(value).toStdString(), text) << value;
    }
}

}  // namespace
}  // namespace cellwatch
