// "Compare with…" in a recording's window: other recordings read from their
// files and laid over the chart, the axes over all of them, removing them,
// and what the window says when a file cannot be compared.
#include <qcustomplot.h>
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <algorithm>
#include <cmath>
#include <vector>

#include "app/range_panel.h"
#include "app/recording_pane.h"
#include "app/settings.h"
#include "chart/alarm_markers.h"
#include "chart/cell_graph.h"
#include "chart/cell_pane.h"
#include "chart/chart_overlays.h"
#include "chart/range_cursors.h"
#include "chart/series_envelope.h"
#include "readout/pack_file.h"
#include "tests/support/installed_language.h"
#include "tests/support/journal_text.h"
#include "tests/support/settle.h"
#include "tests/support/window_test_support.h"

namespace cellwatch::windowtest {
namespace {

struct Rows {
    int count;
    int stepS;
    double volts;  // the first row's, rising by voltStep a row
    double voltStep;
    double amps;
    double mahPerRow;
};

class ViewerOverlaysTest : public WindowTest {
protected:
    void SetUp() override {
        writeLanguageCode(*store, QStringLiteral("ENG"));
        MainWindow::Hooks asking = hooks();
        asking.askOpenFiles = [this](QWidget*, const QString&, const QString& folder,
                                     const QStringList&) {
            askedIn << folder;
            return answer;
        };
        viewer = new ViewerWindow(startSettings(), asking, ticks, wall);
        viewer->show();
    }
    void TearDown() override { delete viewer; }

    // A journal started at `start` ("" for a table without the start line).
    QString writeRecording(const QString& name, const QString& start, const Rows& r) const {
        QByteArray bytes = testing::journalText(start);
        for (int k = 0; k < r.count; ++k) {
            bytes += testing::journalRow({k * r.stepS, "+CHG+", r.volts + k * r.voltStep, r.amps,
                                          std::lround(k * r.mahPerRow)});
        }
        return testing::writeFile(dir.filePath(name), bytes);
    }
    QString openMain() {
        const QString main =
            writeRecording(QStringLiteral("main.csv"), QStringLiteral("2026-12-05T09:00:00+01:00"),
                           {60, 10, 12.0, 0.01, 2.0, 1});  // 10 minutes
        EXPECT_TRUE(viewer->open(main));
        return main;
    }
    void compare(const QStringList& files) {
        answer = files;
        viewer->comparison().command()->trigger();
    }
    AxisRange range(ChartAxis axis) const { return viewer->chart().axisRange(axis); }

    QStringList answer;
    QStringList askedIn;
    ViewerWindow* viewer = nullptr;
};

TEST_F(ViewerOverlaysTest, ARecordingMadeHoursLaterIsLaidOverFromElapsedZero) {
    const QString main = openMain();
    const int ownGraphs = viewer->chart().plot()->graphCount();
    const AxisRange ownTime = range(ChartAxis::Bottom);
    const AxisRange ownVolts = range(ChartAxis::Left);
    // Six hours later, longer (40 minutes) and higher in every quantity.
    const QString later =
        writeRecording(QStringLiteral("later.csv"), QStringLiteral("2026-12-05T15:00:00+01:00"),
                       {241, 10, 13.0, 0.005, 4.0, 10});
    compare({later});
    ASSERT_TRUE(failures.isEmpty()) << failures.join(u'\n').toStdString();
    EXPECT_EQ(askedIn, QStringList{QFileInfo(main).absolutePath()});

    ASSERT_EQ(viewer->overlays().size(), 1u);
    const OverlayRecording& overlay = viewer->overlays()[0];
    EXPECT_EQ(overlay.file, later);
    EXPECT_EQ(overlay.name, QStringLiteral("2026-12-05 15:00"));
    EXPECT_EQ(overlay.start.toUTC(), QDateTime(QDate(2026, 12, 5), QTime(14, 0), Qt::UTC));
    ASSERT_NE(overlay.table, nullptr);
    EXPECT_EQ(overlay.table->gridRowCount(), 242);  // header and rows, for reading at a time
    EXPECT_EQ(overlay.table->gridText(241, 1), QStringLiteral("0:40:00"));
    EXPECT_EQ(viewer->table().gridRowCount(), 61);  // the window's own rows untouched
    EXPECT_NE(viewer->statusText().indexOf(QStringLiteral("Comparing with 2026-12-05 15:00")), -1);

    const ChartOverlays& drawn = viewer->comparison().chartOverlays();
    const SeriesEnvelope* volts = drawn.points(0, kSeriesVoltage);
    ASSERT_NE(volts, nullptr);
    ASSERT_EQ(volts->size(), 241u);
    EXPECT_DOUBLE_EQ(volts->x(0), 0);
    EXPECT_DOUBLE_EQ(volts->x(240), 2400 * kSecond);
    EXPECT_DOUBLE_EQ(volts->y(240), 14.2);
    // Its four curves and, in the cells pane, its twelve cells.
    EXPECT_EQ(viewer->chart().plot()->graphCount(), ownGraphs + kSeriesCount + CellPane::kCells);
    EXPECT_EQ(drawn.legend()->itemCount(), 1);

    // The axes take in the longer and higher one.
    EXPECT_EQ(range(ChartAxis::Bottom).min, 0);
    EXPECT_GE(range(ChartAxis::Bottom).max, 2400 * kSecond);
    EXPECT_GT(ownTime.max, 600 * kSecond);
    EXPECT_LT(ownTime.max, 2400 * kSecond);
    EXPECT_GE(range(ChartAxis::Left).max, 14.2);
    EXPECT_LT(ownVolts.max, 14.2);
    EXPECT_EQ(range(ChartAxis::Left).min, ownVolts.min);  // the lowest is still the window's
    EXPECT_GE(range(ChartAxis::Right).max, 4.0);
    EXPECT_GE(range(ChartAxis::Capacity).max, 2400);

    // Removing it from the command's menu gives back the window alone.
    QAction* remove =
        viewer->comparison().menu()->findChild<QAction*>(QStringLiteral("RemoveOverlay0"));
    ASSERT_NE(remove, nullptr);
    EXPECT_EQ(remove->text(), QStringLiteral("Remove 2026-12-05 15:00"));
    remove->trigger();
    EXPECT_TRUE(viewer->overlays().empty());
    EXPECT_EQ(viewer->chart().plot()->graphCount(), ownGraphs);
    EXPECT_EQ(drawn.legend()->itemCount(), 0);
    EXPECT_EQ(range(ChartAxis::Bottom).max, ownTime.max);
    EXPECT_EQ(range(ChartAxis::Left).max, ownVolts.max);
    EXPECT_EQ(viewer->comparison().menu()->findChild<QAction*>(QStringLiteral("RemoveOverlay0")),
              nullptr);
}

TEST_F(ViewerOverlaysTest, AtMostEightAreComparedAndTheRestAreNamed) {
    openMain();
    QStringList files;
    for (int i = 0; i < 9; ++i) {
        files << writeRecording(QStringLiteral("r%1.csv").arg(i), QString(),
                                {5 + i, 10, 12.0, 0, 1.0, 1});
    }
    compare(files);
    ASSERT_EQ(viewer->overlays().size(), 8u);
    EXPECT_EQ(viewer->overlays()[0].name, QStringLiteral("r0.csv"));  // no start line: the file
    EXPECT_EQ(viewer->overlays()[7].file, files[7]);
    EXPECT_NE(viewer->statusText().indexOf(QStringLiteral("At most 8 recordings")), -1);
    EXPECT_NE(viewer->statusText().indexOf(QStringLiteral("1 file(s) not added")), -1);

    compare({files[8]});
    EXPECT_EQ(viewer->overlays().size(), 8u);
    EXPECT_NE(viewer->statusText().indexOf(QStringLiteral("At most 8 recordings")), -1);
    EXPECT_TRUE(failures.isEmpty());

    viewer->comparison()
        .menu()
        ->findChild<QAction*>(QStringLiteral("RemoveAllOverlays"))
        ->trigger();
    EXPECT_TRUE(viewer->overlays().empty());
    EXPECT_EQ(viewer->comparison().chartOverlays().count(), 0);
}

TEST_F(ViewerOverlaysTest, FilesThatCannotBeComparedAreNamedAndTheOthersAdded) {
    openMain();
    const QString good =
        writeRecording(QStringLiteral("good.csv"), QString(), {10, 10, 12, 0, 1, 1});
    const QStringList bad = {
        dir.filePath(QStringLiteral("missing.csv")),
        testing::writeFile(dir.filePath(QStringLiteral("binary.csv")),
                           QByteArray("\x00\x01\x02\xff\xfe", 5).repeated(100)),
        dir.path()};
    QStringList files = bad;
    files << good;
    compare(files);
    EXPECT_TRUE(failures.isEmpty());
    ASSERT_EQ(viewer->overlays().size(), 1u);
    EXPECT_EQ(viewer->overlays()[0].file, good);
    const QString status = viewer->statusText();
    for (const QString& b : bad) {
        EXPECT_NE(status.indexOf(QFileInfo(b).fileName() + QStringLiteral(" cannot be compared: ")),
                  -1)
            << status.toStdString();
    }
    EXPECT_EQ(viewer->comparison().chartOverlays().count(), 1);
}

TEST_F(ViewerOverlaysTest, CurveSwitchesAndLanguageReachTheOverlays) {
    openMain();
    compare({writeRecording(QStringLiteral("o.csv"), QString(), {10, 10, 12, 0, 1, 1})});
    const ChartOverlays& drawn = viewer->comparison().chartOverlays();
    viewer->curveSwitch(kSeriesTemperature)->click();
    EXPECT_FALSE(viewer->chart().seriesActive(kSeriesTemperature));
    EXPECT_FALSE(drawn.graph(0, kSeriesTemperature)->visible());
    EXPECT_TRUE(drawn.graph(0, kSeriesVoltage)->visible());
    // One compared while the curve is off has it hidden too, until it is on.
    compare({writeRecording(QStringLiteral("p.csv"), QString(), {10, 10, 12, 0, 1, 1})});
    EXPECT_FALSE(drawn.graph(1, kSeriesTemperature)->visible());
    viewer->curveSwitch(kSeriesTemperature)->click();
    EXPECT_TRUE(drawn.graph(0, kSeriesTemperature)->visible());
    EXPECT_TRUE(drawn.graph(1, kSeriesTemperature)->visible());

    QAction* command = viewer->comparison().command();
    EXPECT_EQ(command->text(), QStringLiteral("Compare with…"));
    settings->setLanguageCode(QStringLiteral("CHT"));
    const test::InstalledLanguage chinese(Language::Chinese);
    EXPECT_EQ(command->text(), QStringLiteral("对比…"));
    EXPECT_EQ(
        viewer->comparison().menu()->findChild<QAction*>(QStringLiteral("RemoveOverlay0"))->text(),
        QStringLiteral("移除 o.csv"));
}

// The range cursors read every compared recording at the same elapsed
// times, each in a column named by its legend (with its pack).
TEST_F(ViewerOverlaysTest, RangeCursorsReadEachComparedRecordingAtTheSameElapsedTimes) {
    openMain();
    const QString later =
        writeRecording(QStringLiteral("later.csv"), QStringLiteral("2026-12-05T15:00:00+01:00"),
                       {241, 10, 13.0, 0.005, 4.0, 10});
    ASSERT_TRUE(writePackInfo(later, {QStringLiteral("Pack 7"), QString()}));
    compare({later});
    ASSERT_EQ(viewer->overlays().size(), 1u);
    EXPECT_EQ(viewer->overlays()[0].name, QStringLiteral("2026-12-05 15:00 · Pack 7"));

    viewer->command(QStringLiteral("RangeCursors"))->trigger();
    RangeCursors& cursors = viewer->range().cursors();
    cursors.setX(RangeCursors::A, 100 * kSecond);
    cursors.setX(RangeCursors::B, 300 * kSecond);
    test::settle();
    const std::vector<RangeColumn>& columns = viewer->rangePanel().columns();
    ASSERT_EQ(columns.size(), 2u);
    EXPECT_EQ(columns[0].name, QStringLiteral("2026-12-05 09:00"));
    EXPECT_EQ(columns[1].name, QStringLiteral("2026-12-05 15:00 · Pack 7"));
    struct Expected {
        std::size_t rowA, rowB;
        double mah, voltsAtA;
    };
    // Rows every 10 s from 0: A at row 10, B at row 30 in both.
    const Expected expected[] = {{10, 30, 20, 12.10}, {10, 30, 200, 13.05}};
    for (std::size_t c = 0; c < columns.size(); ++c) {
        SCOPED_TRACE(c);
        ASSERT_TRUE(columns[c].statistics);
        const RangeStatistics& s = *columns[c].statistics;
        EXPECT_EQ(s.rowA, expected[c].rowA);
        EXPECT_EQ(s.rowB, expected[c].rowB);
        EXPECT_DOUBLE_EQ(s.deltaSeconds, 200);
        EXPECT_DOUBLE_EQ(s.deltaMah, expected[c].mah);
        EXPECT_NEAR(s.of(RangeQuantity::Voltage).atA, expected[c].voltsAtA, 1e-9);
    }
    // Past the end of the shorter one, a cursor reads its last row.
    cursors.setX(RangeCursors::B, 1200 * kSecond);
    test::settle();
    ASSERT_TRUE(viewer->rangePanel().columns()[0].statistics);
    EXPECT_EQ(viewer->rangePanel().columns()[0].statistics->rowB, 59u);
    EXPECT_EQ(viewer->rangePanel().columns()[1].statistics->rowB, 120u);

    viewer->comparison().clear();
    EXPECT_EQ(viewer->rangePanel().columns().size(), 1u);
}

// --- the cells and the alarms of compared recordings ----------------------------------------

// A pack's recording with its cell 3 sagging: rows every `stepS` seconds
// from `firstS`, cells 1 and 2 at 4.10 and 4.20 V, cell 3 from 4.15 V down
// by `sagMv` a row; an alarm after each row in `alarmsAfter`.
struct PackRecording {
    const char* file;
    const char* start;
    int rows;
    int firstS;
    int stepS;
    double sagMv;
    std::vector<int> alarmsAfter;

    int seconds(int row) const { return firstS + row * stepS; }
    double cell3(int row) const { return 4.15 - sagMv / 1000 * row; }
};

class ComparedCellsTest : public ViewerOverlaysTest {
protected:
    QString write(const PackRecording& r) const {
        QByteArray bytes = testing::journalText(QString::fromLatin1(r.start));
        for (int k = 0; k < r.rows; ++k) {
            QByteArray row = testing::journalRow({r.seconds(k), "+DCHG+", 12.4, -2.0, k});
            row.replace(",4.20,4.15,0,", ",4.20," + QByteArray::number(r.cell3(k), 'f', 3) + ",0,");
            bytes += row;
            if (std::find(r.alarmsAfter.begin(), r.alarmsAfter.end(), k) != r.alarmsAfter.end()) {
                bytes += "# alarm cell-spread: row " + QByteArray::number(k) + "\r\n";
            }
        }
        return testing::writeFile(dir.filePath(QString::fromLatin1(r.file)), bytes);
    }
    void SetUp() override {
        ViewerOverlaysTest::SetUp();
        ASSERT_TRUE(viewer->open(write(newest)));
        compare({write(older), write(oldest)});
        ASSERT_TRUE(failures.isEmpty()) << failures.join(u'\n').toStdString();
        ASSERT_EQ(viewer->overlays().size(), 2u);
        viewer->chart().repaint();
    }
    CellPane& cells() const { return viewer->pane().cellPane(); }
    AlarmMarkers& markers() const { return viewer->pane().alarmMarkers(); }

    // The newest sags most (3 mV a row, the older 2, the oldest 1); the
    // older one's rows start 20 s in; the oldest's come every 20 s.
    const PackRecording newest{"newest.csv", "2026-12-05T09:00:00+01:00", 60, 0, 10, 3, {30}};
    const PackRecording older{"older.csv", "2026-11-05T09:00:00+01:00", 50, 20, 10, 2, {10, 40}};
    const PackRecording oldest{"oldest.csv", "2026-10-05T09:00:00+01:00", 25, 0, 20, 1, {5}};
};

std::vector<CellPoint> comparedCellPoints(const CellGraph* graph) {
    std::vector<CellPoint> points;
    for (const CellLine& line : graph->shownLines()) {
        points.insert(points.end(), line.begin(), line.end());
    }
    return points;
}

TEST_F(ComparedCellsTest, EachComparedRecordingsCellsAndAlarmsAreOverlaidAlignedAsItsCurves) {
    QCustomPlot* plot = viewer->chart().plot();
    const ChartOverlays& curves = viewer->comparison().chartOverlays();
    ASSERT_EQ(cells().overlayCount(), 2);
    ASSERT_EQ(markers().comparedCount(), 2);
    const PackRecording* compared[] = {&older, &oldest};
    for (int i = 0; i < 2; ++i) {
        const PackRecording& r = *compared[i];
        SCOPED_TRACE(r.file);
        // Its cell 3 as drawn: every row at its own elapsed time, the same
        // X as its voltage curve's.
        const CellGraph* cell3 = cells().overlayGraph(i, 2);
        ASSERT_NE(cell3, nullptr);
        EXPECT_TRUE(plot->hasPlottable(const_cast<CellGraph*>(cell3)));
        const std::vector<CellPoint> points = comparedCellPoints(cell3);
        const SeriesEnvelope* volts = curves.points(i, kSeriesVoltage);
        ASSERT_EQ(points.size(), static_cast<std::size_t>(r.rows));
        ASSERT_EQ(volts->size(), points.size());
        for (int k = 0; k < r.rows; ++k) {
            const auto row = static_cast<std::size_t>(k);
            EXPECT_NEAR(points[row].x, r.seconds(k) * kSecond, 1e-12) << k;
            EXPECT_DOUBLE_EQ(points[row].x, volts->x(row)) << k;
            EXPECT_NEAR(points[row].y, r.cell3(k), 1e-6) << k;
        }
        EXPECT_EQ(cell3->pen().dashPattern(), curves.dashPattern(i));
        EXPECT_EQ(cell3->pen().color().rgb(), CellPane::cellColour(2).rgb());
        // Its alarms, named after it, at the time of the row before each.
        EXPECT_EQ(markers().comparedName(i), viewer->overlays()[static_cast<std::size_t>(i)].name);
        const std::vector<AlarmMark>& alarms = markers().comparedAlarms(i);
        ASSERT_EQ(alarms.size(), r.alarmsAfter.size());
        for (std::size_t a = 0; a < alarms.size(); ++a) {
            EXPECT_EQ(alarms[a].seconds, r.seconds(r.alarmsAfter[a]));
            EXPECT_EQ(alarms[a].kind, QStringLiteral("cell-spread"));
            EXPECT_TRUE(plot->hasItem(markers().comparedLine(i, a)));
        }
    }
    // The newest's cell 3 ends lowest: the value axis takes in all three.
    EXPECT_LT(cells().rect()->axis(QCPAxis::atLeft)->range().lower, newest.cell3(59));
    EXPECT_GT(cells().rect()->axis(QCPAxis::atLeft)->range().upper, 4.20);
    EXPECT_EQ(markers().alarms().size(), 1u);

    // Removing the older one (its menu) takes its cells and markers; the
    // oldest's stay, now first.
    const CellGraph* olderCell3 = cells().overlayGraph(0, 2);
    QCPItemStraightLine* olderLine = markers().comparedLine(0, 0);
    viewer->comparison().menu()->findChild<QAction*>(QStringLiteral("RemoveOverlay0"))->trigger();
    viewer->chart().repaint();
    EXPECT_FALSE(plot->hasPlottable(const_cast<CellGraph*>(olderCell3)));
    EXPECT_FALSE(plot->hasItem(olderLine));
    ASSERT_EQ(cells().overlayCount(), 1);
    ASSERT_EQ(markers().comparedCount(), 1);
    EXPECT_EQ(markers().comparedName(0), viewer->overlays()[0].name);
    EXPECT_EQ(markers().comparedAlarms(0)[0].seconds, oldest.seconds(5));
    const std::vector<CellPoint> left = comparedCellPoints(cells().overlayGraph(0, 2));
    ASSERT_EQ(left.size(), static_cast<std::size_t>(oldest.rows));
    EXPECT_NEAR(left.back().y, oldest.cell3(oldest.rows - 1), 1e-6);
    EXPECT_EQ(markers().alarms().size(), 1u);

    viewer->comparison().clear();
    EXPECT_EQ(cells().overlayCount(), 0);
    EXPECT_EQ(markers().comparedCount(), 0);
}

}  // namespace
}  // namespace cellwatch::windowtest
