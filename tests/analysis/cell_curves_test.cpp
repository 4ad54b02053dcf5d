#include "analysis/cell_curves.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "tests/analysis/made_rows.h"

namespace cellwatch {
namespace {

using made::Reading;

// Four cells at 3.80 V; cell 3 drifts down by 0.10 V over 101 rows.
std::vector<Reading> driftingCell() {
    std::vector<Reading> readings;
    for (int k = 0; k <= 100; ++k) {
        Reading r;
        r.seconds = k;
        r.state = "-DSC-";
        r.cells = {3.80, 3.80, 3.80 - 0.001 * k, 3.80};
        readings.push_back(r);
    }
    return readings;
}

TEST(CellCurves, ADriftingCellStandsOut) {
    const struct {
        CellCurveMode mode;
        double min, max, end;  // cell 3
        double otherEnd;       // cell 1
    } cases[] = {
        {CellCurveMode::Volts, 3.70, 3.80, 3.70, 3.80},
        // The mean of the last row is 3.775 V: cell 3 is 75 mV under it.
        {CellCurveMode::DifferenceMv, -75, 0, -75, 25},
    };
    for (const auto& c : cases) {
        TextRangeRows rows(made::rowsOf(driftingCell()));
        CellCurves curves(c.mode);
        curves.appendRows(rows);
        ASSERT_EQ(curves.size(), 101U);
        EXPECT_EQ(curves.cellCount(), 4);
        const CellSpanValues cell3 = curves.span(2, 0, 100);
        ASSERT_TRUE(cell3.present);
        EXPECT_NEAR(cell3.min, c.min, 1e-4);
        EXPECT_NEAR(cell3.max, c.max, 1e-4);
        EXPECT_NEAR(cell3.end, c.end, 1e-4);
        EXPECT_NEAR(curves.span(0, 100, 0).end, c.otherEnd, 1e-4);
        EXPECT_FALSE(curves.span(5, 0, 100).present);
        // A span of the first half only.
        EXPECT_NEAR(curves.span(2, 0, 50).max, c.max, 1e-4);
        EXPECT_DOUBLE_EQ(curves.x(100), 100 / 86400.0);
    }
}

// A small deterministic source for the values.
double noise(std::uint64_t& state) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(state >> 11) * 0x1.0p-53;
}

TEST(CellCurves, EnvelopeHoldsEachColumnsExtremes) {
    // Two stretches (the time falls back half-way), a gap of rows without
    // a time, and a cell that comes and goes.
    CellCurves curves;
    std::vector<double> xs;
    std::vector<double> ys;
    std::uint64_t state = 7;
    const std::size_t count = 50000;
    for (std::size_t i = 0; i < count; ++i) {
        const double day = static_cast<double>(i < count / 2 ? i : i - count / 2 + 100) / 86400.0;
        std::array<double, 12> cells{};
        cells[0] = 3.5 + noise(state);
        cells[1] = i % 1000 < 100 ? 0 : 3.0 + noise(state);
        const bool timed = i % 777 != 5;
        curves.append(timed ? day : std::numeric_limits<double>::quiet_NaN(), cells);
        xs.push_back(curves.x(i));
        ys.push_back(timed && cells[1] != 0 ? cells[1] : std::nan(""));
    }
    const double lower = 2000 / 86400.0;
    const double upper = 20000 / 86400.0;
    const int columns = 301;  // column bounds fall between rows
    std::vector<CellLine> lines;
    curves.envelope(1, lower, upper, columns, lines);
    ASSERT_EQ(lines.size(), 2U);  // the first stretch and the second
    // By brute force: each column's smallest and largest value, for the
    // rows of each stretch inside the range.
    for (std::size_t s = 0; s < 2; ++s) {
        const std::size_t begin = s == 0 ? 0 : count / 2;
        const std::size_t end = s == 0 ? count / 2 : count;
        std::vector<double> low(columns, 1e9);
        std::vector<double> high(columns, -1e9);
        for (std::size_t i = begin; i < end; ++i) {
            if (xs[i] < lower || xs[i] > upper || std::isnan(ys[i])) {
                continue;
            }
            const int col =
                std::min(columns - 1,
                         static_cast<int>(std::floor((xs[i] - lower) / (upper - lower) * columns)));
            low[col] = std::min(low[col], ys[i]);
            high[col] = std::max(high[col], ys[i]);
        }
        std::vector<double> gotLow(columns, 1e9);
        std::vector<double> gotHigh(columns, -1e9);
        const CellLine& line = lines[s];
        for (std::size_t k = 0; k < line.size(); ++k) {
            const CellPoint p = line[k];
            if (k > 0) {
                EXPECT_GE(p.x, line[k - 1].x);
            }
            if (p.x < lower || p.x > upper) {
                EXPECT_TRUE(k == 0 || k + 1 == line.size());  // the neighbours outside
                continue;
            }
            const int col =
                std::min(columns - 1,
                         static_cast<int>(std::floor((p.x - lower) / (upper - lower) * columns)));
            gotLow[col] = std::min(gotLow[col], p.y);
            gotHigh[col] = std::max(gotHigh[col], p.y);
        }
        for (int col = 0; col < columns; ++col) {
            // Values are kept as floats: a pixel's worth of nothing.
            EXPECT_NEAR(gotLow[col], low[col], 1e-6) << s << " " << col;
            EXPECT_NEAR(gotHigh[col], high[col], 1e-6) << s << " " << col;
        }
        EXPECT_LE(line.size(), 4U * columns + 2);
    }
    // A span agrees with a plain scan.
    double low = 1e9;
    for (std::size_t i = 1234; i <= 45678; ++i) {
        if (!std::isnan(ys[i])) {
            low = std::min(low, ys[i]);
        }
    }
    EXPECT_NEAR(curves.span(1, 45678, 1234).min, low, 1e-6);
}

TEST(CellCurves, GrowingRowsAreReadWholeAtEveryLength) {
    // As a live recording grows: after every row, spans ending at the last
    // row and a view of everything agree with a plain scan, whatever part
    // of a block of 8, 64 or 512 rows the end falls in.
    CellCurves curves;
    std::vector<double> ys;
    std::uint64_t state = 11;
    std::vector<CellLine> lines;
    for (std::size_t i = 0; i < 1100; ++i) {
        std::array<double, 12> cells{};
        cells[0] = i % 97 == 3 ? 0 : 3.6 + noise(state);
        curves.append(static_cast<double>(i), cells);
        ys.push_back(cells[0] == 0 ? std::nan("") : cells[0]);
        for (const std::size_t first : {std::size_t{0}, i / 3, i - std::min<std::size_t>(i, 9)}) {
            double low = 1e9;
            double high = -1e9;
            for (std::size_t k = first; k <= i; ++k) {
                if (!std::isnan(ys[k])) {
                    low = std::min(low, ys[k]);
                    high = std::max(high, ys[k]);
                }
            }
            const CellSpanValues span = curves.span(0, first, i);
            ASSERT_EQ(span.present, low < 1e9) << i << " from " << first;
            if (span.present) {
                ASSERT_NEAR(span.min, low, 1e-6) << i << " from " << first;
                ASSERT_NEAR(span.max, high, 1e-6) << i << " from " << first;
            }
        }
        // The same view asked again after a row came shows that row.
        curves.envelope(0, 0, 2000, 1, lines);
        ASSERT_EQ(lines.size(), 1U);
        const bool lastShown = !std::isnan(ys[i]);
        if (lastShown) {
            ASSERT_DOUBLE_EQ(lines[0].back().x, static_cast<double>(i)) << i;
        }
    }
    // Other rows of the same count after a clear are not the old ones.
    const std::size_t count = curves.size();
    curves.clear();
    for (std::size_t i = 0; i < count; ++i) {
        std::array<double, 12> cells{};
        cells[0] = 2.0;
        curves.append(static_cast<double>(i), cells);
    }
    curves.envelope(0, 0, 2000, 1, lines);
    ASSERT_EQ(lines.size(), 1U);
    for (const CellPoint& p : lines[0]) {
        EXPECT_FLOAT_EQ(static_cast<float>(p.y), 2.0F);
    }
}

TEST(CellCurves, RangeOutsideTheRowsShowsNothing) {
    CellCurves curves;
    std::vector<CellLine> lines;
    curves.envelope(0, 0, 1, 100, lines);
    EXPECT_TRUE(lines.empty());
    std::array<double, 12> cells{};
    cells[0] = 4.0;
    curves.append(0.5, cells);
    curves.envelope(0, 0.6, 0.7, 100, lines);
    EXPECT_TRUE(lines.empty());
    curves.envelope(0, 0.4, 0.7, 100, lines);
    ASSERT_EQ(lines.size(), 1U);
    ASSERT_EQ(lines[0].size(), 1U);
    EXPECT_DOUBLE_EQ(lines[0][0].y, 4.0);
}

// A pack of sixteen whose cells 13 to 16 come only in a later row: before
// it they are absent (as in a recording of twelve), from it on they are
// curves like the others and take part in the mean.
TEST(CellCurves, CellsPastTheTwelfthJoinWhenARowHasThem) {
    for (CellCurveMode mode : {CellCurveMode::Volts, CellCurveMode::DifferenceMv}) {
        CellCurves curves(mode);
        std::array<double, 12> twelve{};
        twelve.fill(3.9);
        std::array<double, kMostCells> sixteen{};
        sixteen.fill(3.9);
        sixteen[15] = 3.5;
        for (int row = 0; row < 40; ++row) {
            const double day = row / 86400.0;
            if (row < 25) {
                curves.append(day, twelve);
            } else {
                curves.append(day, sixteen);
            }
        }
        EXPECT_EQ(curves.cellCount(), 16);
        EXPECT_TRUE(std::isnan(curves.value(15, 24)));
        EXPECT_TRUE(std::isnan(curves.value(12, 0)));
        const double mean = (15 * 3.9 + 3.5) / 16;
        const double want = mode == CellCurveMode::Volts ? 3.5 : (3.5 - mean) * 1000;
        EXPECT_NEAR(curves.value(15, 25), want, 1e-3);
        const CellSpanValues before = curves.span(15, 0, 24);
        EXPECT_FALSE(before.present);
        const CellSpanValues after = curves.span(15, 0, 39);
        ASSERT_TRUE(after.present);
        EXPECT_NEAR(after.min, want, 1e-3);
        std::vector<CellLine> lines;
        curves.envelope(15, 0, 40 / 86400.0, 200, lines);
        ASSERT_EQ(lines.size(), 1U);
        EXPECT_NEAR(lines[0].front().x, 25 / 86400.0, 1e-12);
        curves.envelope(12, 0, 40 / 86400.0, 200, lines);
        ASSERT_EQ(lines.size(), 1U);  // cell 13 at 3.9 V from row 25
        curves.clear();
        curves.append(0, twelve);
        EXPECT_TRUE(std::isnan(curves.value(15, 0)));
    }
}

}  // namespace
}  // namespace cellwatch
