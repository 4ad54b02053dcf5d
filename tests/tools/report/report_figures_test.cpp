// cellwatch-report's pictures and CSV files, and what a recording came to:
// its phases and the resistance at its current steps.
#include "tests/tools/report/report_fixture.h"

namespace cellwatch::reporttest {
namespace {

TEST_F(ReportTest, PicturesAndDatedCsvFiles) {
    const QString cap = capture();
    const Ran r = report({"--picture", dir.filePath("p.png"), "--size", "800x500", "--csv",
                          dir.filePath("d.csv"), cap});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    for (const char* name : {"p-1.png", "p-2.png"}) {
        const QImage image(dir.filePath(QString::fromLatin1(name)));
        EXPECT_EQ(image.size(), QSize(800, 500)) << name;
    }
    QFile dated(dir.filePath(QStringLiteral("d-2.csv")));
    ASSERT_TRUE(dated.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = dated.readAll().split('\n');
    ASSERT_GE(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith("\xEF\xBB\xBF\"Date and time\",") ||
                lines[0].startsWith("\xEF\xBB\xBF"
                                    "Date and time,"))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith("2025-12-05T14:30:33,0:00:01,")) << lines[1].toStdString();

    for (const char* out : {"light.svg", "light.pdf"}) {
        const QString path = dir.filePath(QString::fromLatin1(out));
        EXPECT_EQ(report({"--theme", "light", "--picture", path, journal()}).status, 0);
        EXPECT_GT(QFile(path).size(), 1000) << out;
    }
}

// --csv gives the header and the rows only: a journal's comment and alarm
// lines (bare, as before, or one quoted field, as now) stay out of it.
TEST_F(ReportTest, TheDatedCsvHasNoCommentLines) {
    QByteArray text =
        journalText(QStringLiteral("2026-12-05T16:00:00+01:00"), {{1}, {2, "+CHG+", 12.1, 2, 1}});
    text += "\"# alarm cell-high: Cell 3 at 4.26 V, \"\"limit\"\" 4.25 V\"\r\n# idle\r\n";
    text += journalRow({3, "+CHG+", 12.2, 2, 2});
    const QString path = write(QStringLiteral("cellwatch-20261205-160000.csv"), text);
    const Ran r = report({"--csv", dir.filePath("plain.csv"), path});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    QFile plain(dir.filePath(QStringLiteral("plain.csv")));
    ASSERT_TRUE(plain.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = plain.readAll().split('\n');
    ASSERT_EQ(lines.size(), 5);  // the header, three rows and nothing after the last break
    EXPECT_TRUE(lines.takeLast().isEmpty());
    EXPECT_TRUE(lines[0].contains("Date and time"));
    for (int i = 1; i < lines.size(); ++i) {
        EXPECT_TRUE(lines[i].startsWith("2026-12-05T16:00:0")) << lines[i].toStdString();
        EXPECT_EQ(lines[i].count(','), 22) << lines[i].toStdString();
    }
}

// A picture marks every alarm on the time axis; with --cells it has the cells
// pane under the chart (cell 1 and cell 3 in their colours), without it none.
TEST_F(ReportTest, PicturesMarkAlarmsAndDrawTheCellsPane) {
    QString rows;
    for (int second = 1; second <= 120; ++second) {
        rows += journalRow({second, "+CHG+", 12.0 + second / 100.0, 2, second});
        if (second == 60) {
            rows += "# alarm cell-high: Cell 3 at 4.26 V (limit 4.25 V)\r\n";
        }
    }
    const QString path =
        write(QStringLiteral("cellwatch-20261205-160000.csv"),
              (journalText(QStringLiteral("2026-12-05T16:00:00+01:00"), {}) + rows).toUtf8());
    // Pixels of `colour` from row `fromY` down, drawn antialiased over the
    // panel: the panel's colour plus a part of (colour - panel), so the
    // difference from the panel points the colour's way.
    const auto count = [](const QImage& image, const QColor& colour, int fromY) {
        const QColor panel = image.pixelColor(0, image.height() - 1);
        const double want[3] = {double(colour.red() - panel.red()),
                                double(colour.green() - panel.green()),
                                double(colour.blue() - panel.blue())};
        const double wantLength = std::hypot(want[0], want[1], want[2]);
        int n = 0;
        for (int y = fromY; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                const double got[3] = {double(c.red() - panel.red()),
                                       double(c.green() - panel.green()),
                                       double(c.blue() - panel.blue())};
                const double length = std::hypot(got[0], got[1], got[2]);
                const double cosine = (got[0] * want[0] + got[1] * want[1] + got[2] * want[2]) /
                                      (length * wantLength);
                n += length > 60 && cosine > 0.995 ? 1 : 0;
            }
        }
        return n;
    };
    for (const char* cells : {"", "volts", "diff"}) {
        SCOPED_TRACE(cells);
        const QString out = dir.filePath(QStringLiteral("cells-%1.png").arg(cells));
        QStringList args{QStringLiteral("--picture"), out};
        if (*cells != 0) {
            args << QStringLiteral("--cells=%1").arg(cells);
        }
        args << path;
        ASSERT_EQ(report(args).status, 0);
        const QImage image(out);
        ASSERT_FALSE(image.isNull());
        EXPECT_GT(count(image, AlarmMarkers::colour(), 0), 20);
        // The lower third: the cells pane, or the caption without it.
        const int lower = image.height() * 2 / 3;
        for (int cell : {0, 2}) {
            const int drawn = count(image, CellPane::cellColour(cell), lower);
            if (*cells != 0) {
                EXPECT_GT(drawn, 100) << "cell " << cell + 1;
            } else {
                EXPECT_EQ(drawn, 0) << "cell " << cell + 1;
            }
        }
    }
    // On white paper the cells, and their key, take the light theme's colours.
    const QString light = dir.filePath(QStringLiteral("cells-light.png"));
    ASSERT_EQ(report({"--picture", light, "--cells", "--theme", "light", path}).status, 0);
    const QImage paper(light);
    ASSERT_FALSE(paper.isNull());
    for (int cell : {0, 2}) {
        EXPECT_GT(count(paper, CellPane::cellColour(cell, true), paper.height() * 2 / 3), 20)
            << "cell " << cell + 1;
    }
    EXPECT_EQ(report({"--picture", dir.filePath("x.png"), "--cells=mean", path}).status, 2);
    EXPECT_EQ(report({"--cells", path}).status, 2);
}

// A charge whose counter restarts, a rest and a discharge at two currents,
// over a pack of 0.18 ohm: the phases with their own figures, the
// efficiency, an estimate at each step of the current, and the pack's health.
TEST_F(ReportTest, PhasesAndResistanceOfAChargeThenDischarge) {
    constexpr double kOhms = 0.18;
    constexpr double kOcv = 15.01;
    std::vector<made::Reading> readings;
    const auto run = [&](const char* state, double amps, int seconds, double fromMah) {
        const double start = readings.empty() ? 0 : readings.back().seconds + 1;
        made::appendRun(readings, state, start, seconds, kOcv + amps * kOhms, amps, fromMah,
                        {3.75, 3.75, 3.75, 3.75});
    };
    run("Idle", 0, 10, 0);
    run("+CHG+", 2, 600, 0);
    for (made::Reading& r : readings) {
        if (r.seconds >= 310) {
            r.mah = 2 * (r.seconds - 310) / 3.6;  // the charger's counter restarted
        }
    }
    run("Idle", 0, 30, 0);
    run("-DSC-", -1, 300, 0);
    run("-DSC-", -3, 300, 300 / 3.6);
    run("Idle", 0, 10, 0);
    QByteArray text = journalText(QStringLiteral("2026-12-06T10:00:00+01:00"));
    for (const QStringList& row : made::rowsOf(readings)) {
        text += row.join(u',').toUtf8() + "\r\n";
    }
    const QString path = write(QStringLiteral("cellwatch-20261206-100000.csv"), text);
    writeFile(path.chopped(4) + QStringLiteral(".pack.json"),
              R"({"pack": "Pack R", "chemistry": "LiPo", "cells": 4, "capacity_mah": 400})");

    const Ran r = report({"--json", path});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonObject j = QJsonDocument::fromJson(r.out).array().at(0).toObject();
    EXPECT_EQ(j["kind"].toString(), QStringLiteral("mixed"));
    EXPECT_TRUE(j["mixed_note"].toString().contains(QStringLiteral("phases")));
    const QJsonArray phases = j["phases"].toArray();
    ASSERT_EQ(phases.size(), 5) << r.out.toStdString();
    const QJsonObject charge = phases[1].toObject();
    const QJsonObject discharge = phases[3].toObject();
    EXPECT_EQ(charge["kind"].toString(), QStringLiteral("charge"));
    EXPECT_EQ(charge["counter_restarts"].toInt(), 1);
    EXPECT_NEAR(charge["capacity_mah"].toDouble(), 2 * 599 / 3.6, 1.6);
    EXPECT_EQ(discharge["kind"].toString(), QStringLiteral("discharge"));
    EXPECT_NEAR(discharge["capacity_mah"].toDouble(), (300 + 3 * 299) / 3.6, 1.6);
    EXPECT_DOUBLE_EQ(discharge["current_peak_a"].toDouble(), -3);
    EXPECT_DOUBLE_EQ(discharge["duration_s"].toDouble(), 599);
    const QJsonObject totals = j["phase_totals"].toObject();
    EXPECT_NEAR(totals["efficiency_mah"].toDouble(),
                discharge["capacity_mah"].toDouble() / charge["capacity_mah"].toDouble(), 1e-3);
    EXPECT_NEAR(totals["efficiency_wh"].toDouble(),
                discharge["energy_wh"].toDouble() / charge["energy_wh"].toDouble(), 1e-3);

    const QJsonArray estimates = j["resistance"].toArray();
    ASSERT_EQ(estimates.size(), 5) << r.out.toStdString();
    for (const QJsonValue& v : estimates) {
        const QJsonObject e = v.toObject();
        EXPECT_TRUE(e["shown"].toBool());
        EXPECT_LE(std::fabs(e["ohms"].toDouble() - kOhms), e["uncertainty_ohms"].toDouble() + 1e-5)
            << e["at_s"].toDouble();
        EXPECT_EQ(e["cells"].toArray().size(), 4);
    }
    EXPECT_NEAR(j["resistance_ohms"].toDouble(), kOhms, 0.01);

    const Ran shown = report({path});
    EXPECT_TRUE(shown.out.contains("  phase 2: charge from 0:00:10 for 0:09:59, 33"))
        << shown.out.toStdString();
    EXPECT_TRUE(shown.out.contains(" mAh (the counter restarted once), "));
    EXPECT_TRUE(shown.out.contains("  efficiency:"));
    EXPECT_TRUE(shown.out.contains("  resistance at 0:00:10 (0.00 to +2.00 A"));

    const Ran health = report({"--pack", "Pack R", "--json", "--health", dir.path()});
    ASSERT_EQ(health.status, 0) << health.err.toStdString();
    const QJsonObject h = QJsonDocument::fromJson(health.out).object();
    EXPECT_EQ(h["definition"].toObject()["chemistry"].toString(), QStringLiteral("LiPo"));
    EXPECT_EQ(h["capacity"].toArray().size(), 2);
    EXPECT_NEAR(h["equivalent_cycles"].toDouble(), (2 * 599 + 300 + 3 * 299) / 3.6 / 800, 0.01);
    const Ran healthText = report({"--pack", "Pack R", dir.path()});
    EXPECT_TRUE(
        healthText.out.contains("pack Pack R: LiPo, 4 cells, 400 mAh nominal; 1 recording\n"))
        << healthText.out.toStdString();
    EXPECT_EQ(report({"--health", path}).status, 2);
}

// Without a picture or a dated CSV the report keeps no row and reads the
// file a few megabytes at a time: it prints the same, byte for byte, as when
// it keeps them. A journal over several blocks: steps of the current in both
// directions, rows in the program's own texts and others, alarm lines, a
// value that is no measurement.
TEST_F(ReportTest, TheSameReportWhetherTheRowsAreKeptOrNot) {
    std::vector<made::Reading> readings;
    const std::vector<double> twelve(12, 3.9);
    for (int step = 0; step < 12; ++step) {
        const double start = readings.empty() ? 0 : readings.back().seconds + 1;
        const double amps = step % 4 == 3 ? 0 : (step < 6 ? 1.0 : -1.0) * (1 + step % 3);
        const char* state = amps > 0 ? "+CHG+" : amps < 0 ? "-DSC-" : "Idle";
        made::appendRun(readings, state, start, 4000, 15 + amps * 0.2, amps, 0,
                        step % 2 == 0 ? twelve : std::vector<double>{3.75, 3.8, 3.75});
    }
    QByteArray text = journalText(QStringLiteral("2026-12-06T10:00:00+01:00"));
    for (std::size_t i = 0; i < readings.size(); ++i) {
        QStringList row = made::rowTexts(readings[i]);
        if (i == 30'000) {
            row[kFieldCapacity] = QStringLiteral("nan");
        }
        text += row.join(u',').toUtf8() + "\r\n";
        if (i % 10'000 == 5) {
            text += "\"# alarm cell-high: Cell 3 at 4.26 V (limit 4.25 V)\"\r\n";
        }
    }
    ASSERT_GT(text.size(), 5 << 20);
    const QString path = write(QStringLiteral("cellwatch-20261206-100000.csv"), text);
    for (const QStringList& args : {QStringList{}, QStringList{QStringLiteral("--json")}}) {
        const Ran dropped = report(args + QStringList{path});
        const Ran kept =
            report(args + QStringList{QStringLiteral("--csv"), dir.filePath("d.csv"), path});
        ASSERT_EQ(dropped.status, 0) << dropped.err.toStdString();
        EXPECT_TRUE(dropped.out.contains("resistance")) << dropped.out.toStdString();
        EXPECT_TRUE(dropped.err.contains(QStringLiteral("1 values that are no measurement")))
            << dropped.err.toStdString();
        EXPECT_EQ(dropped.out, kept.out);
        EXPECT_EQ(dropped.err, kept.err);
    }
}

}  // namespace
}  // namespace cellwatch::reporttest
