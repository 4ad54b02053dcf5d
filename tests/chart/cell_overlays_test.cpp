// Compared recordings' cells in the cells pane: each overlay's cells drawn
// from its own rows in its cell's colour but fainter and dashed, under the
// pane's own, in the pane's mode, taken in by the value axis, and gone
// with the overlay.
#include <gtest/gtest.h>

#include <qcustomplot.h>
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "analysis/range_stats.h"
#include "chart/cell_graph.h"
#include "chart/cell_pane.h"
#include "chart/chart_overlays.h"
#include "tests/chart/shown_chart.h"

namespace cellwatch {
namespace {

using charttest::kSecond;

// Three cells at `volts`, one row every `stepS` seconds from `firstS`;
// cell 3 (index 2) sinks by `sagMv` a row.
class SaggingCellRows final : public RangeRows {
public:
    SaggingCellRows(std::size_t rows, double firstS, double stepS, double volts, double sagMv)
        : rows_(rows), firstS_(firstS), stepS_(stepS), volts_(volts), sagMv_(sagMv) {}
    std::size_t rowCount() const override { return rows_; }
    RangeRowNumbers numbers(std::size_t index) override {
        RangeRowNumbers r;
        r.timed = true;
        r.seconds = firstS_ + stepS_ * static_cast<double>(index);
        r.cells[0] = volts_;
        r.cells[1] = volts_;
        r.cells[2] = volts_ - sagMv_ / 1000 * static_cast<double>(index);
        return r;
    }
    double seconds(std::size_t index) const {
        return firstS_ + stepS_ * static_cast<double>(index);
    }
    double cell3(std::size_t index) const {
        return volts_ - sagMv_ / 1000 * static_cast<double>(index);
    }

private:
    std::size_t rows_;
    double firstS_;
    double stepS_;
    double volts_;
    double sagMv_;
};

std::vector<CellPoint> drawnPoints(const CellGraph* graph) {
    std::vector<CellPoint> points;
    for (const CellLine& line : graph->shownLines()) {
        points.insert(points.end(), line.begin(), line.end());
    }
    return points;
}

class CellOverlaysTest : public ::testing::Test {
protected:
    void SetUp() override {
        charttest::showChart(chart);
        chart.setAxisRange(ChartAxis::Bottom, 0, 200 * kSecond);
        pane.setShown(true);
        pane.load(own);
    }

    ChartView chart;
    CellPane& pane = *new CellPane(chart);
    // The newest recording: its cells steady at 4.0 V.
    std::shared_ptr<SaggingCellRows> own = std::make_shared<SaggingCellRows>(40, 0, 5, 4.0, 0);
    // Two compared ones, every 10 s and every 20 s, the second starting
    // 30 s in; cell 3 sags by 2 and 5 mV a row.
    std::shared_ptr<SaggingCellRows> first = std::make_shared<SaggingCellRows>(20, 0, 10, 4.1, 2);
    std::shared_ptr<SaggingCellRows> second = std::make_shared<SaggingCellRows>(8, 30, 20, 3.95, 5);
    const QList<qreal> dashes{10, 4};
    const QList<qreal> dots{2, 4};
};

TEST_F(CellOverlaysTest, EachOverlaysCellsAreDrawnAtItsOwnTimesInItsLook) {
    QCustomPlot* plot = chart.plot();
    const int graphs = plot->graphCount();
    EXPECT_EQ(pane.addOverlay(first, dashes), 0);
    EXPECT_EQ(pane.addOverlay(second, dots), 1);
    EXPECT_EQ(plot->graphCount(), graphs + 2 * CellPane::kCells);
    chart.repaint();

    struct Expected {
        int overlay;
        SaggingCellRows* rows;
        std::size_t count;
        QList<qreal> dashes;
    };
    for (const Expected& e :
         {Expected{0, first.get(), 20, dashes}, Expected{1, second.get(), 8, dots}}) {
        SCOPED_TRACE(e.overlay);
        const CellGraph* graph = pane.overlayGraph(e.overlay, 2);
        ASSERT_NE(graph, nullptr);
        EXPECT_TRUE(plot->hasPlottable(const_cast<CellGraph*>(graph)));
        // Few rows: every one is a point of the drawn line, at its time.
        const std::vector<CellPoint> points = drawnPoints(graph);
        ASSERT_EQ(points.size(), e.count);
        for (std::size_t i = 0; i < e.count; ++i) {
            EXPECT_NEAR(points[i].x, e.rows->seconds(i) * kSecond, 1e-12) << i;
            EXPECT_NEAR(points[i].y, e.rows->cell3(i), 1e-6) << i;
        }
        // The cell's colour, fainter, thinner, dashed; under the own curves.
        const QPen pen = graph->pen();
        const QColor colour = CellPane::cellColour(2);
        EXPECT_EQ(pen.color().rgb(), colour.rgb());
        EXPECT_EQ(pen.color().alpha(), ChartOverlays::kOverlayAlpha);
        EXPECT_LT(pen.widthF(), pane.graph(2)->pen().widthF());
        EXPECT_EQ(pen.dashPattern(), e.dashes);
        EXPECT_LT(graph->layer()->index(), pane.graph(2)->layer()->index());
        // Cells the overlay has not are not drawn.
        EXPECT_TRUE(drawnPoints(pane.overlayGraph(e.overlay, 3)).empty());
    }
    // The value axis takes in the overlays: the first's 4.1 V, the
    // second's cell 3 at 3.95 - 7 x 5 mV = 3.915 V.
    const QCPRange range = pane.rect()->axis(QCPAxis::atLeft)->range();
    EXPECT_GT(range.upper, 4.1);
    EXPECT_LT(range.lower, 3.915);
}

TEST_F(CellOverlaysTest, DifferenceModeAndHidingThePaneKeepTheOverlays) {
    pane.addOverlay(first, dashes);
    pane.addOverlay(second, dots);
    struct Step {
        const char* what;
        std::function<void()> act;
        double lowest;  // the second overlay's cell 3, as drawn
    };
    // In Δ mV the second overlay's cell 3 ends 35 mV under its other two:
    // 2/3 of that under the mean.
    for (const Step& step :
         {Step{"difference", [&] { pane.setMode(CellCurveMode::DifferenceMv); }, -35.0 * 2 / 3},
          Step{"hidden and shown",
               [&] {
                   pane.setShown(false);
                   pane.setShown(true);
               },
               -35.0 * 2 / 3},
          Step{"volts", [&] { pane.setMode(CellCurveMode::Volts); }, 3.915}}) {
        SCOPED_TRACE(step.what);
        step.act();
        chart.repaint();
        ASSERT_EQ(pane.overlayCount(), 2);
        EXPECT_EQ(pane.overlayCurves(1).mode(), pane.mode());
        const CellGraph* graph = pane.overlayGraph(1, 2);
        ASSERT_NE(graph, nullptr);
        EXPECT_TRUE(chart.plot()->hasPlottable(const_cast<CellGraph*>(graph)));
        EXPECT_EQ(graph->pen().dashPattern(), dots);
        const std::vector<CellPoint> points = drawnPoints(graph);
        ASSERT_EQ(points.size(), 8U);
        EXPECT_NEAR(points.back().y, step.lowest, 1e-3);
        EXPECT_LT(pane.rect()->axis(QCPAxis::atLeft)->range().lower, step.lowest);
    }
}

TEST_F(CellOverlaysTest, RemovingAnOverlayTakesItsCellsAndItsRoomOnTheAxis) {
    pane.addOverlay(first, dashes);
    pane.addOverlay(second, dots);
    chart.repaint();
    CellGraph* firstsCell = pane.overlayGraph(0, 2);
    pane.removeOverlay(0);
    chart.repaint();
    EXPECT_FALSE(chart.plot()->hasPlottable(firstsCell));
    ASSERT_EQ(pane.overlayCount(), 1);
    // The second moved down and kept its look and its rows.
    EXPECT_EQ(pane.overlayGraph(0, 2)->pen().dashPattern(), dots);
    EXPECT_EQ(drawnPoints(pane.overlayGraph(0, 2)).size(), 8U);
    EXPECT_EQ(pane.overlayGraph(1, 2), nullptr);
    // The first's 4.1 V no longer stretches the axis.
    EXPECT_LT(pane.rect()->axis(QCPAxis::atLeft)->range().upper, 4.1);

    const int graphs = chart.plot()->graphCount();
    pane.removeOverlay(5);  // nothing there
    EXPECT_EQ(chart.plot()->graphCount(), graphs);
    pane.clearOverlays();
    EXPECT_EQ(chart.plot()->graphCount(), graphs - CellPane::kCells);
    EXPECT_EQ(pane.overlayCount(), 0);
}

}  // namespace
}  // namespace cellwatch
