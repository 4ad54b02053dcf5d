#include "analysis/range_stats.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <vector>

#include "analysis/recording_summary.h"
#include "readout/row_store.h"
#include "readout/table_export.h"

namespace cellwatch {
namespace {

// A row: time, volts, amps, mAh, then the cells (absent ones 0).
QStringList statsRow(const QString& time, const QString& volts, const QString& amps,
                     const QString& mah,
                     const std::vector<QString>& cells = {"4.10", "4.12", "4.15"},
                     const QString& ext = "25", const QString& internal = "31") {
    QStringList t{time, "LiIo/Po/Fe", "+CHG+", ext, internal, "12.00", volts, amps, mah, "0.00"};
    for (std::size_t c = 0; c < 12; ++c) {
        t << (c < cells.size() ? cells[c] : "0");
    }
    return t;
}

// Ten rows a second apart: 10 V at 1 A rising by 0.1 A a row (10 W + 1 W
// a row), 1 mAh a row, the spread growing 0.01 V a row.
std::vector<QStringList> steadyRows() {
    std::vector<QStringList> rows;
    for (int k = 0; k < 10; ++k) {
        rows.push_back(statsRow(QStringLiteral("0:00:%1").arg(k, 2, 10, QLatin1Char('0')), "10.00",
                                QString::number(1.0 + k / 10.0, 'f', 2), QString::number(k),
                                {"4.10", QString::number(4.10 + k / 100.0, 'f', 2)},
                                QString::number(20 + k), "30"));
    }
    return rows;
}

TEST(RangeStats, SpansAtTheEdges) {
    const struct {
        const char* name;
        std::size_t a, b;
        double deltaSeconds, deltaMah, energyWh;
        std::size_t rows;
        double currentMin, currentMax, currentMean, spreadAtA, spreadAtB;
    } cases[] = {
        // Wh: trapezoid of 10 W + 1 W/row over the seconds between the rows.
        {"whole", 0, 9, 9, 9, (9 * 10 + 0.5 * 9 * 9 * 1) / 3600, 10, 1.0, 1.9, 1.45, 0, 0.09},
        {"B before A", 9, 0, -9, -9, (9 * 10 + 0.5 * 9 * 9 * 1) / 3600, 10, 1.0, 1.9, 1.45, 0.09,
         0},
        {"A = B", 4, 4, 0, 0, 0, 1, 1.4, 1.4, 1.4, 0.04, 0.04},
        {"two rows", 2, 3, 1, 1, (12 + 13) / 2.0 / 3600, 2, 1.2, 1.3, 1.25, 0.02, 0.03},
        {"last row", 9, 9, 0, 0, 0, 1, 1.9, 1.9, 1.9, 0.09, 0.09},
    };
    for (const auto& c : cases) {
        TextRangeRows rows(steadyRows());
        const auto s = rangeStatistics(rows, c.a, c.b);
        ASSERT_TRUE(s) << c.name;
        EXPECT_DOUBLE_EQ(s->deltaSeconds, c.deltaSeconds) << c.name;
        EXPECT_DOUBLE_EQ(s->deltaMah, c.deltaMah) << c.name;
        EXPECT_NEAR(s->energyWh, c.energyWh, 1e-12) << c.name;
        EXPECT_EQ(s->rows, c.rows) << c.name;
        const RangeValues& current = s->of(RangeQuantity::Current);
        EXPECT_DOUBLE_EQ(current.min, c.currentMin) << c.name;
        EXPECT_DOUBLE_EQ(current.max, c.currentMax) << c.name;
        EXPECT_NEAR(current.mean, c.currentMean, 1e-12) << c.name;
        EXPECT_NEAR(s->of(RangeQuantity::CellSpread).atA, c.spreadAtA, 1e-12) << c.name;
        EXPECT_NEAR(s->of(RangeQuantity::CellSpread).atB, c.spreadAtB, 1e-12) << c.name;
        EXPECT_DOUBLE_EQ(s->of(RangeQuantity::Voltage).mean, 10) << c.name;
    }
}

TEST(RangeStats, OddRowsAndRowsOutOfRange) {
    std::vector<QStringList> texts = {
        statsRow("0:00:00", "12.00", "-2.00", "0", {"4.00"}),
        QStringList(22),  // an empty row: not counted
        statsRow("0:00:10", "x", "-2.00", "5", {"4.00", "4.20", "0", "4.10"}, "n/a"),
        statsRow("0:00:20", "12.00", "-3.00", "12"),
    };
    TextRangeRows rows(texts);
    const auto s = rangeStatistics(rows, 0, 3);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->rows, 3U);
    // The row with no voltage adds no energy on either side of it.
    EXPECT_DOUBLE_EQ(s->energyWh, 0);
    EXPECT_DOUBLE_EQ(s->of(RangeQuantity::Current).atA, 2);  // its size, as the summary
    EXPECT_DOUBLE_EQ(s->of(RangeQuantity::Voltage).mean, 12);
    EXPECT_DOUBLE_EQ(s->of(RangeQuantity::ExtTemperature).mean, 25);
    EXPECT_DOUBLE_EQ(s->of(RangeQuantity::CellSpread).atA, 0);  // one cell
    EXPECT_NEAR(s->of(RangeQuantity::CellSpread).max, 0.2, 1e-12);
    const auto empty = rangeStatistics(rows, 1, 1);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->rows, 0U);
    EXPECT_TRUE(std::isnan(empty->of(RangeQuantity::Voltage).min));
    EXPECT_TRUE(std::isnan(empty->deltaSeconds));
    EXPECT_FALSE(rangeStatistics(rows, 0, 4));
    TextRangeRows none({});
    EXPECT_FALSE(rangeStatistics(none, 0, 0));
}

// Where the elapsed time falls back (the time origin moved), the span
// follows the summary's rule step by step.
TEST(RangeStats, ASpanOverARestartSumsLikeTheSummary) {
    const std::vector<QStringList> texts = {
        statsRow("0:00:50", "10.00", "1.00", "100"), statsRow("0:01:00", "10.00", "1.00", "103"),
        statsRow("0:00:00", "10.00", "2.00", "0"),   statsRow("0:00:10", "10.00", "2.00", "6"),
        statsRow("0:00:20", "10.00", "2.00", "12"),
    };
    for (std::size_t first = 0; first < texts.size(); ++first) {
        for (std::size_t last = first; last < texts.size(); ++last) {
            RecordingSummarizer summarizer;
            for (std::size_t k = first; k <= last; ++k) {
                summarizer.addRow(texts[k]);
            }
            TextRangeRows rows(texts);
            const auto s = rangeStatistics(rows, last, first);
            ASSERT_TRUE(s);
            EXPECT_DOUBLE_EQ(s->energyWh, summarizer.values().energyWh) << first << "-" << last;
            EXPECT_DOUBLE_EQ(s->of(RangeQuantity::Current).max, summarizer.values().currentMaxA);
        }
    }
    // The fall back itself adds neither time nor energy (it used to take
    // off an hour's energy for every hour recorded before it).
    TextRangeRows rows(texts);
    const auto whole = rangeStatistics(rows, 0, texts.size() - 1);
    ASSERT_TRUE(whole);
    EXPECT_DOUBLE_EQ(whole->deltaSeconds, 10 + 10 + 10);
    EXPECT_NEAR(whole->energyWh, (10 * 10 + 2 * 10 * 20) / 3600.0, 1e-12);
    RecordingSummarizer summarizer;
    for (const QStringList& t : texts) {
        summarizer.addRow(t);
    }
    EXPECT_DOUBLE_EQ(summarizer.values().durationS, 50 + whole->deltaSeconds);
    EXPECT_DOUBLE_EQ(summarizer.values().energyWh, whole->energyWh);
}

// A charge that counts up to 1000 mAh, then a discharge whose counter starts
// again and counts up to 985: a row a second, 10 V at 1 A either way.
std::vector<QStringList> chargeThenDischarge() {
    std::vector<QStringList> rows;
    for (int k = 0; k <= 20; ++k) {
        const bool charging = k <= 10;
        const int mah = charging ? k * 100 : (k - 11) * 985 / 9;
        QStringList row = statsRow(QStringLiteral("0:00:%1").arg(k, 2, 10, QLatin1Char('0')),
                                   "10.00", charging ? "1.00" : "-1.00", QString::number(mah));
        row[2] = charging ? QStringLiteral("+CHG+") : QStringLiteral("-DSC-");
        rows.push_back(row);
    }
    return rows;
}

TEST(RangeStats, AcrossACharge_DischargeTurnEachPhaseCountsItsOwnRises) {
    const struct {
        const char* name;
        std::size_t a, b;
        bool across;
        double charged, discharged, chargedWh, dischargedWh;
    } cases[] = {
        // Wh: 10 W within each phase; the step across the turn is neither's.
        {"whole", 0, 20, true, 1000, 985, 10.0 * 10 / 3600, 10.0 * 9 / 3600},
        {"B before A", 20, 0, true, 1000, 985, 10.0 * 10 / 3600, 10.0 * 9 / 3600},
        {"from mid-charge", 4, 20, true, 600, 985, 10.0 * 6 / 3600, 10.0 * 9 / 3600},
        {"charge only", 2, 7, false, 500, 0, 10.0 * 5 / 3600, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TextRangeRows rows(chargeThenDischarge());
        const auto s = rangeStatistics(rows, c.a, c.b);
        ASSERT_TRUE(s);
        EXPECT_EQ(s->acrossPhases, c.across);
        EXPECT_DOUBLE_EQ(s->chargedMah, c.charged);
        EXPECT_DOUBLE_EQ(s->dischargedMah, c.discharged);
        EXPECT_NEAR(s->chargedWh, c.chargedWh, 1e-12);
        EXPECT_NEAR(s->dischargedWh, c.dischargedWh, 1e-12);
    }
}

// From a real recording file: A at the first row and B at the last give
// the summary's figures.
TEST(RangeStats, WholeRecordingAgreesWithTheSummary) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    RowStore written;
    written.clear();
    for (int k = 0; k < 500; ++k) {
        const int s = k * 2 + k % 3;
        const QString time = QStringLiteral("%1:%2:%3")
                                 .arg(s / 3600)
                                 .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
                                 .arg(s % 60, 2, 10, QLatin1Char('0'));
        written.appendTabText(statsRow(time, QString::number(11.5 + (k % 70) / 100.0, 'f', 2),
                                       QString::number(-(1.0 + (k % 13) / 10.0), 'f', 2),
                                       QString::number(k / 3),
                                       {"3.8", k % 7 == 0 ? "3.91" : "3.84", "3.82"},
                                       QString::number(20 + k % 9), QString::number(30 + k % 4))
                                  .join(u'\t'));
    }
    const QString path = dir.filePath(QStringLiteral("r.csv"));
    ASSERT_TRUE(exportTableCsv(written, path));

    RecordingFile file;
    RowStore table;
    const RecordingSummaryValues summary = readAndSummarize(file, path, {}, &table);
    ASSERT_EQ(summary.rows, 500);
    ASSERT_EQ(table.textRowCount(), 0U);  // read without their texts
    TableRangeRows rows(table);
    const auto s = rangeStatistics(rows, 0, 499);
    ASSERT_TRUE(s);
    EXPECT_DOUBLE_EQ(s->energyWh, summary.energyWh);
    EXPECT_DOUBLE_EQ(s->deltaMah, summary.capacityMah);
    EXPECT_DOUBLE_EQ(s->secondsB, summary.durationS);
    EXPECT_DOUBLE_EQ(s->of(RangeQuantity::Voltage).max, summary.voltageMaxV);
    EXPECT_DOUBLE_EQ(s->of(RangeQuantity::Voltage).atA, summary.voltageFirstV);
    EXPECT_DOUBLE_EQ(s->of(RangeQuantity::Voltage).atB, summary.voltageLastV);
    EXPECT_DOUBLE_EQ(s->of(RangeQuantity::Current).max, summary.currentMaxA);
    EXPECT_NEAR(s->of(RangeQuantity::Current).mean, summary.currentAvgA, 1e-12);
    EXPECT_DOUBLE_EQ(s->of(RangeQuantity::ExtTemperature).max, summary.tempExtMaxC);
    EXPECT_DOUBLE_EQ(s->of(RangeQuantity::IntTemperature).max, summary.tempIntMaxC);
    EXPECT_DOUBLE_EQ(s->of(RangeQuantity::CellSpread).max, summary.cellSpreadMaxV);
}

}  // namespace
}  // namespace cellwatch
