#include "chart/cell_pane.h"

#include <gtest/gtest.h>

#include <qcustomplot.h>
#include <QApplication>
#include <QMouseEvent>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "analysis/range_stats.h"
#include "chart/alarm_markers.h"
#include "chart/cell_graph.h"
#include "chart/cell_key.h"
#include "readout/row_store.h"
#include "tests/chart/shown_chart.h"

namespace cellwatch {
namespace {

using charttest::kSecond;

// A recording of `cells` cells at 3.9 V, one reading a second; cell 3
// (index 2) sinks by 1 mV a second below the others.
class DriftingRows final : public RangeRows {
public:
    DriftingRows(std::size_t rows, int cells) : rows_(rows), cells_(cells) {}
    std::size_t rowCount() const override { return rows_; }
    RangeRowNumbers numbers(std::size_t index) override {
        RangeRowNumbers r;
        r.timed = true;
        r.seconds = static_cast<double>(index);
        for (int c = 0; c < cells_; ++c) {
            r.cells[static_cast<std::size_t>(c)] =
                3.9 - (c == 2 ? 0.001 * static_cast<double>(index) : 0);
        }
        return r;
    }
    void grow(std::size_t rows) { rows_ = rows; }

private:
    std::size_t rows_;
    int cells_;
};

class CellPaneTest : public ::testing::Test {
protected:
    void SetUp() override {
        charttest::showChart(chart);
        chart.setAxisRange(ChartAxis::Bottom, 0, 100 * kSecond);
    }

    // Every Y the graph of a cell drew at the last replot.
    std::vector<double> drawnYs(int cell) const {
        std::vector<double> ys;
        for (const CellLine& line : pane.graph(cell)->shownLines()) {
            for (const CellPoint& p : line) {
                ys.push_back(p.y);
            }
        }
        return ys;
    }

    ChartView chart;
    CellPane& pane = *new CellPane(chart);
    std::shared_ptr<DriftingRows> rows = std::make_shared<DriftingRows>(101, 4);
};

TEST_F(CellPaneTest, OffLeavesThePlotAsItWas) {
    QCustomPlot* plot = chart.plot();
    const int rects = plot->axisRectCount();
    const int layoutRows = plot->plotLayout()->rowCount();
    const int graphs = plot->graphCount();
    const QRect mainRect = chart.axis(ChartAxis::Left)->axisRect()->rect();
    EXPECT_FALSE(pane.shown());

    pane.setShown(true);
    chart.repaint();
    EXPECT_EQ(plot->axisRectCount(), rects + 1);
    EXPECT_EQ(plot->graphCount(), graphs + CellPane::kCells);
    // The pane lies under the plot, its edges in line with the plot's.
    const QRect cellsRect = pane.rect()->rect();
    const QRect shortened = chart.axis(ChartAxis::Left)->axisRect()->rect();
    EXPECT_GT(cellsRect.top(), shortened.bottom());
    EXPECT_EQ(cellsRect.left(), shortened.left());
    EXPECT_EQ(cellsRect.right(), shortened.right());

    pane.setShown(false);
    chart.repaint();
    EXPECT_EQ(plot->axisRectCount(), rects);
    EXPECT_EQ(plot->plotLayout()->rowCount(), layoutRows);
    EXPECT_EQ(plot->graphCount(), graphs);
    EXPECT_EQ(chart.axis(ChartAxis::Left)->axisRect()->rect(), mainRect);
}

TEST_F(CellPaneTest, DrawsEachCellInUseInItsOwnColour) {
    pane.setShown(true);
    pane.load(rows);
    chart.repaint();
    EXPECT_EQ(pane.curves().cellCount(), 4);
    for (int cell = 0; cell < CellPane::kCells; ++cell) {
        SCOPED_TRACE(cell);
        const std::vector<double> ys = drawnYs(cell);
        if (cell >= 4) {
            EXPECT_TRUE(ys.empty());
            continue;
        }
        ASSERT_FALSE(ys.empty());
        // Cell 3 ends 0.1 V under the others, which stay at 3.9 V.
        const double lowest = *std::min_element(ys.begin(), ys.end());
        EXPECT_NEAR(lowest, cell == 2 ? 3.8 : 3.9, 1e-5);
        EXPECT_EQ(pane.graph(cell)->pen().color(), CellPane::cellColour(cell));
        for (int other = 0; other < cell; ++other) {
            EXPECT_NE(CellPane::cellColour(other), CellPane::cellColour(cell));
        }
    }
    // The value axis takes in every cell.
    const QCPRange range = pane.rect()->axis(QCPAxis::atLeft)->range();
    EXPECT_LT(range.lower, 3.8);
    EXPECT_GT(range.upper, 3.9);
}

// A charger of sixteen cells, its readings in the window's table as the live
// recording keeps them: sixteen curves, each at its own cell's voltage, and
// sixteen entries in the key.
TEST_F(CellPaneTest, SixteenCellsFromTheTableAreSixteenCurves) {
    struct TableRows final : RangeRows {
        RowStore table;
        TableRangeRows rows{table};
        std::size_t rowCount() const override { return rows.rowCount(); }
        RangeRowNumbers numbers(std::size_t index) override { return rows.numbers(index); }
    };
    auto sixteen = std::make_shared<TableRows>();
    for (int second = 0; second <= 100; ++second) {
        Reading r;
        r.elapsedMs = static_cast<std::uint32_t>(second) * 1000;
        r.state = ChargeState::Charging;
        r.voltage = Decimal::fromHundredths(6200);
        r.cellCount = kMostCells;
        for (int c = 0; c < kMostCells; ++c) {
            r.cells[static_cast<std::size_t>(c)] = Decimal::fromThousandths(3800 + 10 * c);
        }
        sixteen->table.append(r);
    }
    pane.setShown(true);
    pane.load(sixteen);
    chart.repaint();
    EXPECT_EQ(pane.curves().cellCount(), kMostCells);
    EXPECT_EQ(pane.key()->cells(), kMostCells);
    for (int cell = 0; cell < kMostCells; ++cell) {
        const std::vector<double> ys = drawnYs(cell);
        ASSERT_FALSE(ys.empty()) << cell + 1;
        EXPECT_NEAR(ys.front(), 3.8 + 0.01 * cell, 1e-5) << cell + 1;
        EXPECT_EQ(pane.graph(cell)->pen().color(), CellPane::cellColour(cell)) << cell + 1;
    }
    const QCPRange range = pane.rect()->axis(QCPAxis::atLeft)->range();
    EXPECT_GT(range.upper, 3.95);
}

TEST_F(CellPaneTest, DifferenceModeShowsTheDriftInMillivolts) {
    pane.setShown(true);
    pane.load(rows);
    pane.setMode(CellCurveMode::DifferenceMv);
    chart.repaint();
    // At row 100 cell 3 is 100 mV under the others: the mean of four is
    // 25 mV under them, so cell 3 stands 75 mV under the mean, each other
    // cell 25 mV over it.
    const std::vector<double> drifting = drawnYs(2);
    ASSERT_FALSE(drifting.empty());
    EXPECT_NEAR(*std::min_element(drifting.begin(), drifting.end()), -75, 1e-2);
    const std::vector<double> steady = drawnYs(0);
    EXPECT_NEAR(*std::max_element(steady.begin(), steady.end()), 25, 1e-2);
    const QCPRange range = pane.rect()->axis(QCPAxis::atLeft)->range();
    EXPECT_LT(range.lower, -75);
    EXPECT_NEAR(range.lower, -range.upper, 1e-9);
}

// CIE L*a*b* of an sRGB colour (D65).
std::array<double, 3> lab(const QColor& c) {
    const auto linear = [](int v) {
        const double u = v / 255.0;
        return u > 0.04045 ? std::pow((u + 0.055) / 1.055, 2.4) : u / 12.92;
    };
    const double r = linear(c.red()), g = linear(c.green()), b = linear(c.blue());
    const auto f = [](double t) { return t > 0.008856 ? std::cbrt(t) : 7.787 * t + 16.0 / 116; };
    const double x = f((0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047);
    const double y = f(0.2126 * r + 0.7152 * g + 0.0722 * b);
    const double z = f((0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883);
    return {116 * y - 16, 500 * (x - y), 200 * (y - z)};
}

double deltaE(const QColor& a, const QColor& b) {
    const auto p = lab(a);
    const auto q = lab(b);
    return std::hypot(p[0] - q[0], p[1] - q[1], p[2] - q[2]);
}

// The sixteen cells tell apart from each other and from the paper, on the
// dark panel and on the light theme's white (cells 1, 2 and 4 once blended
// into one line, and the light theme made 10 and 12 one grey); an alarm
// marker tells apart from every cell (a marker once looked like cell 2's curve).
TEST(CellColours, CellsTellApartOnBothThemesAndFromAlarmMarkers) {
    const struct {
        bool light;
        QColor paper;
    } themes[] = {{false, QColor(0, 20, 50)}, {true, QColor(Qt::white)}};
    for (const auto& theme : themes) {
        SCOPED_TRACE(theme.light ? "light" : "dark");
        for (int cell = 0; cell < CellPane::kCells; ++cell) {
            SCOPED_TRACE(cell + 1);
            const QColor colour = CellPane::cellColour(cell, theme.light);
            EXPECT_GE(deltaE(colour, theme.paper), 40.0);
            EXPECT_GE(deltaE(colour, AlarmMarkers::colour()), 30.0);
            for (int other = 0; other < cell; ++other) {
                EXPECT_GE(deltaE(CellPane::cellColour(other, theme.light), colour), 30.0)
                    << other + 1;
            }
        }
    }
}

// The key names the cells in use; a click on an entry hides the cell's
// curve and leaves it out of the value axis, a second click shows it again;
// the light theme gives curves the light colours.
TEST_F(CellPaneTest, KeyNamesTheCellsAndAClickHidesOne) {
    pane.setShown(true);
    pane.load(rows);
    chart.plot()->replot();
    ASSERT_NE(pane.key(), nullptr);
    EXPECT_EQ(pane.key()->cells(), 4);
    const QCPLegend* legend = pane.key()->legend();
    ASSERT_TRUE(legend->visible());
    EXPECT_TRUE(pane.rect()->rect().adjusted(-1, -1, 1, 1).contains(legend->outerRect()));
    const auto click = [this](QPointF at) {
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, chart.plot()->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                              Qt::NoModifier);
            QApplication::sendEvent(chart.plot(), &event);
        }
        chart.plot()->replot();
    };
    const QPointF entry3 = QRectF(legend->item(2)->outerRect()).center();
    EXPECT_EQ(pane.key()->cellAt(entry3), 2);
    click(entry3);
    EXPECT_TRUE(pane.cellHidden(2));
    EXPECT_FALSE(pane.graph(2)->visible());
    // Without cell 3 (down to 3.8 V) the axis fits the others at 3.9 V.
    EXPECT_GT(pane.rect()->axis(QCPAxis::atLeft)->range().lower, 3.85);
    pane.setShown(false);  // kept while the pane is off
    pane.setShown(true);
    EXPECT_FALSE(pane.graph(2)->visible());
    chart.plot()->replot();
    click(QRectF(pane.key()->legend()->item(2)->outerRect()).center());
    EXPECT_FALSE(pane.cellHidden(2));
    EXPECT_TRUE(pane.graph(2)->visible());
    EXPECT_LT(pane.rect()->axis(QCPAxis::atLeft)->range().lower, 3.8);

    pane.setLightTheme(true);
    for (int cell = 0; cell < 4; ++cell) {
        EXPECT_EQ(pane.graph(cell)->pen().color(), CellPane::cellColour(cell, true));
    }
}

// A drag on the gap between the plot and the pane moves the split; the
// share is told when the drag ends, and kept within its bounds.
TEST_F(CellPaneTest, DraggingTheGapSetsThePanesShare) {
    pane.setShown(true);
    pane.load(rows);
    chart.plot()->replot();
    std::vector<double> told;
    QObject::connect(&pane, &CellPane::shareChanged, [&told](double s) { told.push_back(s); });
    const int paneHeight = pane.rect()->rect().height();
    const double gap = (chart.axis(ChartAxis::Bottom)->axisRect()->outerRect().bottom() +
                        pane.rect()->rect().top()) /
                       2.0;
    ASSERT_TRUE(pane.onSplitter(gap));
    EXPECT_FALSE(pane.onSplitter(pane.rect()->rect().center().y()));
    const double x = pane.rect()->rect().center().x();
    const auto send = [this, x](QEvent::Type type, double y, Qt::MouseButtons buttons) {
        const QPointF at(x, y);
        QMouseEvent event(type, at, chart.plot()->mapToGlobal(at), Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(chart.plot(), &event);
    };
    send(QEvent::MouseButtonPress, gap, Qt::LeftButton);
    send(QEvent::MouseMove, gap - 100, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, gap - 100, Qt::NoButton);
    chart.plot()->replot();
    ASSERT_EQ(told.size(), 1U);
    EXPECT_GT(told[0], CellPane::kDefaultShare);
    EXPECT_DOUBLE_EQ(pane.share(), told[0]);
    EXPECT_NEAR(pane.rect()->rect().height(), paneHeight + 100, 6);

    pane.setShare(5);  // a stored value out of bounds
    EXPECT_DOUBLE_EQ(pane.share(), CellPane::kMaxShare);
    pane.setShare(std::nan(""));
    EXPECT_DOUBLE_EQ(pane.share(), CellPane::kDefaultShare);
}

TEST_F(CellPaneTest, SharesTheTimeAxisAndTakesInNewRows) {
    pane.setShown(true);
    pane.load(rows);
    chart.setAxisRange(ChartAxis::Bottom, 20 * kSecond, 40 * kSecond);
    chart.repaint();
    const QCPRange time = pane.rect()->axis(QCPAxis::atBottom)->range();
    EXPECT_DOUBLE_EQ(time.lower, 20 * kSecond);
    EXPECT_DOUBLE_EQ(time.upper, 40 * kSecond);
    // Only what the zoomed range shows (and its neighbours) is drawn.
    for (const CellLine& line : pane.graph(2)->shownLines()) {
        for (const CellPoint& p : line) {
            EXPECT_GE(p.x, 19 * kSecond - 1e-12);
            EXPECT_LE(p.x, 41 * kSecond + 1e-12);
        }
    }

    rows->grow(201);
    pane.catchUp();
    EXPECT_EQ(pane.curves().size(), 201U);
    EXPECT_NEAR(pane.curves().span(2, 0, 200).min, 3.7, 1e-6);
}

TEST_F(CellPaneTest, CrossLineFollowsTheMouseIntoThePane) {
    pane.setShown(true);
    pane.load(rows);
    chart.setCursorActive(true);
    pane.setCrossLine(true);
    chart.repaint();
    EXPECT_FALSE(pane.crossLine()->visible());
    const QPointF at(chart.axis(ChartAxis::Bottom)->coordToPixel(50 * kSecond), 100);
    QMouseEvent event(QEvent::MouseMove, at, chart.plot()->mapToGlobal(at), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(chart.plot(), &event);
    ASSERT_TRUE(pane.crossLine()->visible());
    EXPECT_NEAR(pane.crossLine()->point1->coords().x(), 50 * kSecond, 1 * kSecond);
    EXPECT_EQ(pane.crossLine()->clipAxisRect(), pane.rect());
}

}  // namespace
}  // namespace cellwatch
