// The cells pane in a recording's window: on from the start, each cell's
// curve in the real plot, the range panel's per-cell figures, and the
// difference-from-the-mean switch.
#include <qcustomplot.h>
#include <QAction>
#include <QImage>
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "app/range_panel.h"
#include "app/recording_pane.h"
#include "chart/alarm_markers.h"
#include "chart/cell_graph.h"
#include "chart/cell_pane.h"
#include "chart/range_cursors.h"
#include "tests/support/journal_text.h"
#include "tests/support/window_test_support.h"

namespace cellwatch::windowtest {
namespace {

class ViewerCellsTest : public WindowTest {
protected:
    void SetUp() override {
        viewer = new ViewerWindow(startSettings(), hooks(), ticks, wall);
        viewer->show();
        // Three cells (4.10, cell 2, 4.15 V); cell 2 sinks from 4.20 V by
        // 10 mV every 10 s, to 3.61 V at the 60th row.
        QByteArray bytes = testing::journalText(QStringLiteral("2026-12-05T09:00:00+01:00"));
        for (int k = 0; k < 60; ++k) {
            bytes += testing::journalRow({k * 10, "+DCHG+", 12.4, -2.0, k * 5, 4.20 - 0.01 * k});
            if (k == 49) {
                bytes += "# alarm cell-low: cell 2 at 3.71 V\r\n";
            }
        }
        ASSERT_TRUE(viewer->open(testing::writeFile(dir.filePath(QStringLiteral("c.csv")), bytes)));
        viewer->chart().repaint();
    }
    void TearDown() override { delete viewer; }

    std::vector<double> drawnYs(int cell) const {
        std::vector<double> ys;
        for (const CellLine& line : viewer->pane().cellPane().graph(cell)->shownLines()) {
            for (const CellPoint& p : line) {
                ys.push_back(p.y);
            }
        }
        return ys;
    }

    ViewerWindow* viewer = nullptr;
};

TEST_F(ViewerCellsTest, AViewerShowsEveryCellUnderThePlot) {
    RecordingPane& pane = viewer->pane();
    ASSERT_TRUE(pane.cellCurves());
    EXPECT_EQ(pane.cellPane().curves().cellCount(), 3);
    const std::vector<double> drifting = drawnYs(1);
    ASSERT_FALSE(drifting.empty());
    EXPECT_NEAR(*std::min_element(drifting.begin(), drifting.end()), 3.61, 1e-5);
    EXPECT_NEAR(*std::max_element(drifting.begin(), drifting.end()), 4.20, 1e-5);
    const std::vector<double> steady = drawnYs(2);
    ASSERT_FALSE(steady.empty());
    EXPECT_NEAR(*std::min_element(steady.begin(), steady.end()), 4.15, 1e-5);
    EXPECT_TRUE(drawnYs(3).empty());

    // Δ mV: cell 2 ends (4.10 + 4.15 + 3.61) / 3 - 3.61 = 343.3 mV under the mean.
    QAction* difference = viewer->findChild<QAction*>(QStringLiteral("CellDifference"));
    ASSERT_NE(difference, nullptr);
    difference->trigger();
    viewer->chart().repaint();
    EXPECT_EQ(pane.cellMode(), CellCurveMode::DifferenceMv);
    const std::vector<double> mv = drawnYs(1);
    ASSERT_FALSE(mv.empty());
    EXPECT_NEAR(*std::min_element(mv.begin(), mv.end()), -(4.10 + 4.15 + 3.61) / 3 * 1000 + 3610,
                0.5);
}

TEST_F(ViewerCellsTest, TheRangePanelGivesEachCellsMinimumMaximumAndEnd) {
    RecordingPane& pane = viewer->pane();
    viewer->command(QStringLiteral("RangeCursors"))->trigger();
    RangeCursors& cursors = pane.range().cursors();
    cursors.setX(RangeCursors::A, 100 / 86400.0);  // row 10
    cursors.setX(RangeCursors::B, 300 / 86400.0);  // row 30
    pane.range().recompute();
    const std::vector<CellSpanValues>& spans = pane.rangePanel().cellSpans();
    ASSERT_EQ(spans.size(), 3U);
    EXPECT_NEAR(spans[1].max, 4.10, 1e-5);
    EXPECT_NEAR(spans[1].min, 3.90, 1e-5);
    EXPECT_NEAR(spans[1].end, 3.90, 1e-5);
    EXPECT_EQ(pane.rangePanel().cellText(1, RangeFigure::Min), QStringLiteral("3.900"));
    EXPECT_EQ(pane.rangePanel().cellText(0, RangeFigure::AtB), QStringLiteral("4.100"));
}

TEST_F(ViewerCellsTest, EachAlarmKeptInTheRecordingIsAMarkerOnTheTimeAxis) {
    AlarmMarkers& markers = viewer->pane().alarmMarkers();
    ASSERT_EQ(markers.alarms().size(), 1U);
    EXPECT_EQ(markers.alarms()[0].kind, QStringLiteral("cell-low"));
    EXPECT_EQ(markers.alarms()[0].seconds, 490);
    // In the real plot: the line at 490 s, the label with its kind.
    QCPItemStraightLine* line = markers.line(0);
    ASSERT_NE(line, nullptr);
    EXPECT_TRUE(viewer->chart().plot()->hasItem(line));
    EXPECT_NEAR(line->point1->coords().x(), 490 / 86400.0, 1e-12);
    EXPECT_EQ(line->point1->pixelPosition().x(), line->point2->pixelPosition().x());
    EXPECT_NEAR(line->point1->pixelPosition().x(),
                viewer->chart().axis(ChartAxis::Bottom)->coordToPixel(490 / 86400.0), 0.5);
    EXPECT_EQ(markers.label(0)->text(), QStringLiteral("cell-low"));
}

// Saved on white paper, the cells pane has its light colours (the key under
// the caption too); the screen keeps the dark ones.
TEST_F(ViewerCellsTest, ASavedPictureOnWhitePaperHasTheCellsLightColours) {
    const QString file = dir.filePath(QStringLiteral("cells.png"));
    saveAnswer = file;
    viewer->command(QStringLiteral("Save"))->trigger();
    ASSERT_TRUE(failures.isEmpty()) << failureText();
    const QImage picture(file);
    ASSERT_FALSE(picture.isNull());
    // Pixels of about `colour` in the right half (the caption's key, at the
    // left, is too short to reach it).
    const auto count = [&picture](const QColor& colour) {
        int n = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = picture.width() / 2; x < picture.width(); ++x) {
                const QColor c = picture.pixelColor(x, y);
                n += std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) +
                                 std::abs(c.blue() - colour.blue()) <
                             12
                         ? 1
                         : 0;
            }
        }
        return n;
    };
    for (int cell = 0; cell < 3; ++cell) {
        EXPECT_GT(count(CellPane::cellColour(cell, true)), 20) << "cell " << cell + 1;
        EXPECT_EQ(viewer->pane().cellPane().graph(cell)->pen().color(), CellPane::cellColour(cell))
            << "cell " << cell + 1;
    }
    EXPECT_FALSE(viewer->pane().cellPane().lightTheme());
}

}  // namespace
// The live window: View > "Cell curves" is off at first, adds the pane of
// the cells in use and follows the live rows; the choice is kept and a
// window started later has it on.
class LiveCellCurvesTest : public WindowTest {};

TEST_F(LiveCellCurvesTest, ViewCellCurvesAddsThePaneAndFollowsTheLiveRows) {
    openConnected();
    EXPECT_FALSE(w->pane().cellCurves());
    for (int k = 0; k < 3; ++k) {
        advance(1000);
        record(charging(k));
    }
    click("View1", "CellCurves");
    ASSERT_TRUE(w->pane().cellCurves());
    const std::size_t before = w->pane().cellPane().curves().size();
    EXPECT_EQ(before, static_cast<std::size_t>(rows()));
    advance(1000);
    record(charging(3));
    EXPECT_EQ(w->pane().cellPane().curves().size(), before + 1);
    // The pane's share of the height, as dragged, is kept too; a viewer
    // opened later takes it.
    EXPECT_DOUBLE_EQ(w->pane().cellPane().share(), CellPane::kDefaultShare);
    emit w->pane().cellPane().shareChanged(0.55);
    w.reset();
    open();
    EXPECT_TRUE(w->pane().cellCurves());
    EXPECT_TRUE(tool("View1", "CellCurves")->checked());
    EXPECT_DOUBLE_EQ(w->pane().cellPane().share(), 0.55);
    ViewerWindow viewer(*settings, hooks(), ticks, wall);
    EXPECT_DOUBLE_EQ(viewer.pane().cellPane().share(), 0.55);
}

}  // namespace cellwatch::windowtest
