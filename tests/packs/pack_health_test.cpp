// What a pack is (its pack file's traits and its chemistry's limits) and
// its health over recordings made with known answers.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cmath>

#include "alarms/chemistry_limits.h"
#include "packs/pack_health.h"
#include "packs/recording_scan.h"
#include "readout/pack_file.h"
#include "tests/analysis/made_rows.h"
#include "tests/support/journal_text.h"

namespace cellwatch {
namespace {

using made::Reading;

QByteArray journalOf(const QString& start, const std::vector<Reading>& readings) {
    QByteArray text = testing::journalText(start);
    for (const QStringList& row : made::rowsOf(readings)) {
        text += row.join(u',').toUtf8() + "\r\n";
    }
    return text;
}

// Ten resting rows, then a run at `amps` over a pack of `ohms` whose
// counter comes to `mah`; the cells end as `endCells`.
std::vector<Reading> runOf(const char* state, double amps, double mah, double ohms,
                           std::vector<double> endCells, double ext) {
    std::vector<Reading> readings;
    const double ocv = amps > 0 ? 14.8 : 16.0;
    const std::vector<double> cells{ocv / 4, ocv / 4, ocv / 4, ocv / 4};
    made::appendRun(readings, "Idle", 0, 10, ocv, 0, 0, cells);
    const int rows = static_cast<int>(std::lround(mah * 3.6 / std::fabs(amps))) + 1;
    made::appendRun(readings, state, 10, rows, ocv + amps * ohms, amps, 0, cells);
    for (Reading& r : readings) {
        r.ext = ext;
    }
    readings.back().cells = std::move(endCells);
    return readings;
}

class PackHealthTest : public ::testing::Test {
protected:
    QTemporaryDir dir;

    void record(const QString& name, const QString& start, const std::vector<Reading>& readings,
                const PackInfo& pack) {
        const QString path = testing::writeFile(dir.filePath(name), journalOf(start, readings));
        ASSERT_TRUE(writePackInfo(path, pack));
    }
};

TEST_F(PackHealthTest, SixRecordingsWithAWeakeningCell) {
    PackInfo pack{QStringLiteral("Pack A"), QString()};
    pack.chemistry = PackChemistry::LiPo;
    pack.cells = 4;
    pack.capacityMah = 2200;
    const double charged[] = {2050, 1950, 1850};
    const double discharged[] = {2000, 1900, 1800};
    const double ohms[] = {0.16, 0.18, 0.20};
    const double temps[] = {25, 26, 35};  // the last one is warmer: not comparable
    for (int k = 0; k < 3; ++k) {
        const QString day = QStringLiteral("2026-12-0%1T").arg(k + 1);
        record(QStringLiteral("cellwatch-2026120%1-100000.csv").arg(k + 1), day + "10:00:00+01:00",
               runOf("+CHG+", 2, charged[k], ohms[k], {4.2, 4.2, 4.2, 4.2}, temps[k]), pack);
        // Cell 3 ends each discharge 20 mV lower than the one before.
        const double drop = 0.02 * (k + 1);
        record(QStringLiteral("cellwatch-2026120%1-120000.csv").arg(k + 1), day + "12:00:00+01:00",
               runOf("-DSC-", -2, discharged[k], ohms[k], {3.5, 3.5, 3.5 - drop, 3.5}, temps[k]),
               pack);
    }
    // A one-row recording made at Connect, left out of the history.
    PackInfo leftOut = pack;
    leftOut.leftOut = true;
    record("cellwatch-20261204-090000.csv", "2026-12-04T09:00:00+01:00",
           {Reading{0, "Idle", 0, 0, 0, {}, 25}}, leftOut);

    const PackHealth h = packHealthOfFolder(dir.path(), "Pack A");
    EXPECT_EQ(h.recordings, 6);
    EXPECT_EQ(h.definition.chemistry, PackChemistry::LiPo);
    EXPECT_EQ(h.definition.cells, 4);
    ASSERT_EQ(h.capacity.size(), 6U);
    for (int k = 0; k < 3; ++k) {
        const CapacityPoint& charge = h.capacity[static_cast<std::size_t>(2 * k)];
        const CapacityPoint& discharge = h.capacity[static_cast<std::size_t>(2 * k + 1)];
        EXPECT_EQ(charge.kind, RowState::Charge);
        EXPECT_EQ(discharge.kind, RowState::Discharge);
        EXPECT_NEAR(charge.capacityMah, charged[k], 0.6);
        EXPECT_NEAR(discharge.capacityMah, discharged[k], 0.6);
        EXPECT_NEAR(discharge.percentOfNominal, 100 * discharged[k] / 2200, 0.05);
        EXPECT_NEAR(discharge.percentOfFirst, 100 * discharged[k] / 2000, 0.05);
        EXPECT_NEAR(charge.percentOfFirst, 100 * charged[k] / 2050, 0.05);
    }
    EXPECT_NEAR(h.throughputAh, 11.55, 0.005);
    EXPECT_NEAR(h.equivalentCycles, 11550 / 4400.0, 0.002);

    // A step at each start: three charges, three discharges.
    ASSERT_EQ(h.resistance.size(), 6U);
    EXPECT_NEAR(h.resistance[0].ohms, 0.16, 0.01);
    EXPECT_NEAR(h.resistance[3].ohms, 0.18, 0.01);
    EXPECT_TRUE(h.resistance[3].comparable);
    EXPECT_FALSE(h.resistance[5].comparable);
    ASSERT_TRUE(h.resistanceChangePercent.has_value());
    EXPECT_NEAR(*h.resistanceChangePercent, 12.5, 7);  // 0.18 over 0.16, to the 0.01 V

    ASSERT_TRUE(h.finding.has_value());
    EXPECT_EQ(h.finding->cell, 3);
    EXPECT_EQ(h.finding->times, 3);
    EXPECT_EQ(h.finding->of, 3);
    EXPECT_NEAR(h.finding->mvFromMean, 30, 0.5);  // 15, 30 and 45 mV under the mean
    EXPECT_EQ(findingText(*h.finding),
              "cell 3: lowest at the end of 3 of the last 3 discharges, 30 mV under the mean");

    const QJsonObject json = packHealthJson(h);
    EXPECT_EQ(json["finding"].toObject()["cell"].toInt(), 3);
    EXPECT_EQ(json["definition"].toObject()["chemistry"].toString(), "LiPo");
    EXPECT_EQ(json["capacity"].toArray().size(), 6);
    EXPECT_TRUE(packHealthText(h).contains("cell 3: lowest"));
}

// What the charger reported of each cell stands beside the estimate: each
// recording's median over its phases' lines, also without an estimate;
// journals without lines, or with bad ones, are as before.
TEST_F(PackHealthTest, TheChargersCellResistanceStandsBesideTheEstimate) {
    PackInfo pack{QStringLiteral("Pack R"), QString()};
    const std::vector<double> cells{3.7, 3.7, 3.7, 3.7};
    std::vector<Reading> steady;  // a charge without a step: nothing to estimate from
    made::appendRun(steady, "+CHG+", 0, 20, 14.8, 2, 0, cells);
    const struct {
        std::vector<Reading> rows;
        const char* lines;
        std::vector<double> reported;  // mΩ
    } cases[] = {
        {runOf("+CHG+", 2, 300, 0.16, cells, 25), "", {}},
        {runOf("+CHG+", 2, 300, 0.16, cells, 25),
         "\"# resistance mohm=3,3.2,-,3\"\r\n\"# resistance mohm=3.2,3.4,9.9\"\r\n",
         {3.1, 3.3, 9.9, 3}},
        {runOf("+CHG+", 2, 300, 0.16, cells, 25), "\"# resistance mohm=nan,0,5000,-\"\r\n", {}},
        {steady, "\"# resistance mohm=4\"\r\n", {4}},
    };
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        const QString day = QStringLiteral("2026-12-0%1T10:00:00+01:00").arg(k + 1);
        const QString path = testing::writeFile(
            dir.filePath(QStringLiteral("cellwatch-2026120%1-100000.csv").arg(k + 1)),
            journalOf(day, cases[k].rows) + cases[k].lines);
        ASSERT_TRUE(writePackInfo(path, pack));
    }
    const PackHealth h = packHealthOfFolder(dir.path(), QStringLiteral("Pack R"));
    ASSERT_EQ(h.resistance.size(), std::size(cases));
    const QJsonArray json = packHealthJson(h)["resistance"].toArray();
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        SCOPED_TRACE(k);
        const ResistancePoint& point = h.resistance[k];
        EXPECT_EQ(point.estimated(), k < 3);
        EXPECT_EQ(point.reported(), !cases[k].reported.empty());
        const QJsonArray reported = json[static_cast<qsizetype>(k)]["reported_cell_mohm"].toArray();
        ASSERT_EQ(reported.size(), static_cast<qsizetype>(cases[k].reported.size()));
        for (std::size_t c = 0; c < cases[k].reported.size(); ++c) {
            EXPECT_NEAR(point.reportedCellMilliohms[c], cases[k].reported[c], 1e-9);
            EXPECT_NEAR(reported[static_cast<qsizetype>(c)].toDouble(), cases[k].reported[c], 1e-9);
        }
    }
    ASSERT_TRUE(h.resistanceChangePercent.has_value());  // of the estimated ones alone
    EXPECT_NEAR(*h.resistanceChangePercent, 0, 7);
    const QString text = packHealthText(h);
    EXPECT_TRUE(text.contains(
        QRegularExpression("  cells mOhm  estimated [-0-9. ]+  reported by the charger "
                           "3.1 3.3 9.9 3.0\n")))
        << text.toStdString();
    EXPECT_TRUE(
        text.contains("  not estimated\n  cells mOhm  estimated -  reported by the "
                      "charger 4.0\n"))
        << text.toStdString();
    EXPECT_EQ(text.count("reported by the charger"), 2);
}

TEST_F(PackHealthTest, NoCellStandsOutWhenTheLowestChanges) {
    PackInfo pack{QStringLiteral("Pack B"), QString()};
    for (int k = 0; k < 3; ++k) {
        std::vector<double> cells{3.5, 3.5, 3.5, 3.5};
        cells[static_cast<std::size_t>(k)] -= 0.05;  // another cell each time
        record(QStringLiteral("cellwatch-2026120%1-120000.csv").arg(k + 1),
               QStringLiteral("2026-12-0%1T12:00:00+01:00").arg(k + 1),
               runOf("-DSC-", -2, 500, 0.16, cells, 25), pack);
    }
    const PackHealth h = packHealthOfFolder(dir.path(), "Pack B");
    EXPECT_EQ(h.recordings, 3);
    EXPECT_FALSE(h.finding.has_value());
    EXPECT_TRUE(std::isnan(h.equivalentCycles));  // no nominal capacity
    EXPECT_TRUE(std::isnan(h.capacity.front().percentOfNominal));
    EXPECT_TRUE(packHealthText(h).contains("no cell stands out"));
}

// A recording of more phases than are kept counts every one of them
// through the pack: 1,200 phases of 10 mAh each are 12 Ah.
TEST_F(PackHealthTest, PhasesPastThoseKeptCountInTheCycles) {
    PackInfo pack{QStringLiteral("Pack F"), QString()};
    pack.capacityMah = 1000;
    std::vector<Reading> readings;
    constexpr int kPhases = 1200;
    for (int k = 0; k < kPhases; ++k) {
        const bool charging = k % 2 == 0;
        for (int i = 0; i < 2; ++i) {
            readings.push_back(Reading{static_cast<double>(2 * k + i),
                                       charging ? "+CHG+" : "-DSC-",
                                       16,
                                       charging ? 1.0 : -1.0,
                                       10.0 * i,
                                       {4, 4, 4, 4},
                                       25});
        }
    }
    record("cellwatch-20261205-100000.csv", "2026-12-05T10:00:00+01:00", readings, pack);
    const PackHealth h = packHealthOfFolder(dir.path(), "Pack F");
    EXPECT_EQ(h.recordings, 1);
    EXPECT_NEAR(h.throughputAh, kPhases * 10 / 1000.0, 1e-9);
    EXPECT_NEAR(h.equivalentCycles, kPhases * 10 / 2000.0, 1e-9);
}

TEST_F(PackHealthTest, PackFileKeepsWhatThePackIs) {
    const QString journal = testing::writeFile(dir.filePath("cellwatch-20261201-100000.csv"),
                                               journalOf("2026-12-01T10:00:00+01:00", {}));
    PackInfo info{QStringLiteral("Pack C"), QStringLiteral("note")};
    info.chemistry = PackChemistry::LiFe;
    info.cells = 6;
    info.capacityMah = 1500;
    info.cellHighV = 3.65;
    info.leftOut = true;
    ASSERT_TRUE(writePackInfo(journal, info));
    EXPECT_EQ(readPackInfo(journal), info);

    // Old files, and values of the wrong kind or out of range, read as not known.
    const struct {
        const char* json;
        PackChemistry chemistry;
        int cells;
        double capacity;
        double high;
    } cases[] = {
        {R"({"pack": "P", "note": ""})", PackChemistry::Unknown, 0, 0, 0},
        {R"({"pack": "P", "chemistry": "lihv", "cells": 3, "capacity_mah": 850})",
         PackChemistry::LiHV, 3, 850, 0},
        {R"({"pack": "P", "chemistry": "Li-Po", "cells": 13, "capacity_mah": -5})",
         PackChemistry::Unknown, 0, 0, 0},
        {R"({"pack": "P", "cells": 2.5, "cell_high_v": 9, "capacity_mah": "2200"})",
         PackChemistry::Unknown, 0, 0, 0},
        {R"({"pack": "P", "cell_high_v": 4.3})", PackChemistry::Unknown, 0, 0, 4.3},
    };
    for (const auto& c : cases) {
        testing::writeFile(packFilePath(journal), c.json);
        const PackInfo read = readPackInfo(journal);
        EXPECT_EQ(read.pack, "P") << c.json;
        EXPECT_EQ(read.chemistry, c.chemistry) << c.json;
        EXPECT_EQ(read.cells, c.cells) << c.json;
        EXPECT_DOUBLE_EQ(read.capacityMah, c.capacity) << c.json;
        EXPECT_DOUBLE_EQ(read.cellHighV, c.high) << c.json;
        EXPECT_FALSE(read.leftOut) << c.json;
    }
    for (int i = 1; i < kPackChemistryCount; ++i) {
        const auto c = static_cast<PackChemistry>(i);
        EXPECT_EQ(chemistryFromName(chemistryName(c)), c);
    }
}

TEST_F(PackHealthTest, ScanGivesPhasesAndAlarmsForTheList) {
    std::vector<Reading> readings = runOf("+CHG+", 2, 1000, 0.16, {4.2, 4.2, 4.2, 4.2}, 25);
    const std::vector<Reading> discharge = runOf("-DSC-", -2, 900, 0.16, {3.5, 3.5, 3.5, 3.5}, 25);
    for (Reading r : discharge) {
        r.seconds += readings.back().seconds + 1;
        readings.push_back(r);
    }
    QByteArray text = journalOf("2026-12-01T10:00:00+01:00", readings);
    text += "# alarm cell-high: Cell 3 at 4.27 V (limit 4.25 V)\r\n";
    const QString path = testing::writeFile(dir.filePath("cellwatch-20261201-100000.csv"), text);
    const ScannedRecording scanned = scanJournal(path);
    ASSERT_TRUE(scanned.summary.has_value());
    EXPECT_EQ(scanned.summary->kind, RecordingKind::Mixed);
    EXPECT_EQ(scanned.alarmCount, 1);
    EXPECT_NEAR(scanned.phases.chargeMah, 1000, 0.6);
    EXPECT_NEAR(scanned.phases.dischargeMah, 900, 0.6);
    ASSERT_TRUE(scanned.phases.efficiencyMah.has_value());
    EXPECT_NEAR(*scanned.phases.efficiencyMah, 0.9, 0.001);
}

TEST(PackTraits, CellCountDiffers) {
    PackInfo pack;
    EXPECT_FALSE(cellCountDiffers(pack, 6));  // the pack tells no count
    pack.cells = 4;
    EXPECT_TRUE(cellCountDiffers(pack, 6));  // a 6S charge filed under a 4S pack
    EXPECT_FALSE(cellCountDiffers(pack, 4));
    EXPECT_FALSE(cellCountDiffers(pack, 0));  // no balance lead
}

TEST(PackTraits, AlarmLimitsFromTheChemistry) {
    using alarms::Kind;
    const alarms::AlarmSettings base = alarms::AlarmSettings::defaults();
    const struct {
        PackChemistry chemistry;
        double ownHigh;
        double high, low;  // the lithium limits after; for Pb the lead ones
    } cases[] = {
        {PackChemistry::LiPo, 0, 4.25, 3.00}, {PackChemistry::LiHV, 0, 4.40, 3.00},
        {PackChemistry::LiFe, 0, 3.70, 2.50}, {PackChemistry::LiIon, 0, 4.25, 2.80},
        {PackChemistry::Pb, 0, 2.45, 1.75},   {PackChemistry::LiFe, 3.65, 3.65, 2.50},
    };
    for (const auto& c : cases) {
        PackInfo pack;
        pack.chemistry = c.chemistry;
        pack.cellHighV = c.ownHigh;
        const alarms::AlarmSettings s = alarms::settingsForPack(base, pack);
        const bool lead = c.chemistry == PackChemistry::Pb;
        const auto of = [lead](const alarms::Rule& r) {
            return (lead ? r.second : r.limit).toDouble();
        };
        EXPECT_DOUBLE_EQ(of(s[Kind::CellHigh]), c.high) << chemistryName(c.chemistry).toStdString();
        EXPECT_DOUBLE_EQ(of(s[Kind::CellLow]), c.low) << chemistryName(c.chemistry).toStdString();
        EXPECT_EQ(s[Kind::CellSpread], base[Kind::CellSpread]);
    }
    // Without a pack, and for nickel packs, the present limits stay.
    EXPECT_EQ(alarms::settingsForPack(base, PackInfo{}), base);
    PackInfo nimh;
    nimh.chemistry = PackChemistry::NiMH;
    EXPECT_EQ(alarms::settingsForPack(base, nimh), base);
    EXPECT_DOUBLE_EQ(alarms::chemistryLimits(PackChemistry::NiMH).cellHighV, 1.60);
}

}  // namespace
}  // namespace cellwatch
