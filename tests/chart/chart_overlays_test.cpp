// Other recordings laid over the chart: their curves, the legend, the axes'
// data extremes and the curve switches, on the real chart.
#include "chart/chart_overlays.h"

#include <gtest/gtest.h>

#include <qcustomplot.h>
#include <QApplication>
#include <cmath>
#include <vector>

#include "chart/chart_view.h"
#include "chart/series_envelope.h"
#include "tests/chart/shown_chart.h"

namespace cellwatch {
namespace {

using charttest::kSecond;

// A recording's curves: `rows` rows `step` seconds apart from `from` seconds,
// every quantity a straight line from its first value by its step per row.
struct Curves {
    std::vector<double> days;
    std::array<std::vector<double>, kSeriesCount> values;

    Curves(int rows, double from, double step, std::array<double, kSeriesCount> first,
           std::array<double, kSeriesCount> perRow = {}) {
        for (int r = 0; r < rows; ++r) {
            days.push_back((from + r * step) * kSecond);
            for (std::size_t s = 0; s < values.size(); ++s) {
                values[s].push_back(first[s] + r * perRow[s]);
            }
        }
    }
    OverlayCurves view() const { return {days, {values[0], values[1], values[2], values[3]}}; }
};

class ChartOverlaysTest : public ::testing::Test {
protected:
    void SetUp() override { charttest::showChart(chart); }

    ChartView chart;
    ChartOverlays overlays{chart};
};

TEST_F(ChartOverlaysTest, TheOverlayIsDrawnWhereItsPointsAre) {
    chart.setAxisRange(ChartAxis::Bottom, 0, 100 * kSecond);
    chart.setAxisRange(ChartAxis::Left, 0, 20);
    const Curves flat(11, 0, 10, {10.0, std::nan(""), std::nan(""), std::nan("")});
    overlays.add(QStringLiteral("flat"), flat.view());
    chart.repaint();
    const QImage image = chart.toPixmap().toImage();
    QCPAxis* x = chart.axis(ChartAxis::Bottom);
    QCPAxis* y = chart.axis(ChartAxis::Left);
    const int row = qRound(y->coordToPixel(10.0));
    const auto reddish = [&](int atRow) {
        int found = 0;
        for (int col = qRound(x->coordToPixel(40 * kSecond));
             col < qRound(x->coordToPixel(90 * kSecond)); ++col) {
            for (int r = atRow - 1; r <= atRow + 1; ++r) {
                const QColor c = image.pixelColor(col, r);
                found += c.red() > c.green() + 30 && c.red() > c.blue() + 30 ? 1 : 0;
            }
        }
        return found;
    };
    EXPECT_GT(reddish(row), 20);
    EXPECT_EQ(reddish(row - 60), 0);  // nothing red well above it
    // Each curve on the axis of the chart's curve of the same quantity, dimmed.
    for (int series = 0; series < kSeriesCount; ++series) {
        QCPGraph* graph = overlays.graph(0, series);
        EXPECT_EQ(graph->valueAxis(), chart.axis(axisOfSeries(series)));
        EXPECT_EQ(graph->pen().color().rgb(), chart.graph(series)->pen().color().rgb());
        EXPECT_LT(graph->pen().color().alpha(), 255);
        EXPECT_LT(graph->pen().widthF(), chart.graph(series)->pen().widthF());
    }
    EXPECT_EQ(overlays.points(1, 0), nullptr);
    EXPECT_EQ(overlays.points(0, kSeriesCount), nullptr);
}

// The viewer's test shows the axes taking in a longer and higher recording
// and giving it back; here the lowest values of one overlay and the highest
// of another, on an axis the chart has no points for as well.
TEST_F(ChartOverlaysTest, DataExtremesTakeInEveryOverlay) {
    chart.addPoint(kSeriesVoltage, 0, 12.0);
    const Curves lower(10, 0, 60, {11.5, 1.0, 0, 20});
    const Curves higher(10, 0, 60, {14.0, 5.0, 100, 40}, {0.01, 0.1, 50, 0});
    overlays.add(QStringLiteral("lower"), lower.view());
    overlays.add(QStringLiteral("higher"), higher.view());
    EXPECT_DOUBLE_EQ(chart.dataMin(ChartAxis::Left), 11.5);
    EXPECT_NEAR(chart.dataMax(ChartAxis::Left), 14.09, 1e-9);
    EXPECT_DOUBLE_EQ(chart.dataMin(ChartAxis::Temperature), 20);
    EXPECT_DOUBLE_EQ(chart.dataMax(ChartAxis::Temperature), 40);
    overlays.clear();
    EXPECT_DOUBLE_EQ(chart.dataMin(ChartAxis::Left), 12.0);
    EXPECT_DOUBLE_EQ(chart.dataMax(ChartAxis::Temperature), 0);
}

TEST_F(ChartOverlaysTest, RemovingTakesItsGraphsAndLegendEntryAndKeepsTheOthersLook) {
    const Curves one(3, 0, 1, {12, 1, 1, 20});
    const int ownGraphs = chart.plot()->graphCount();
    EXPECT_FALSE(overlays.legend()->visible());
    for (const char* name : {"first", "second", "third"}) {
        overlays.add(QString::fromLatin1(name), one.view());
    }
    EXPECT_EQ(chart.plot()->graphCount(), ownGraphs + 3 * kSeriesCount);
    ASSERT_EQ(overlays.legend()->itemCount(), 3);
    EXPECT_TRUE(overlays.legend()->visible());
    const QList<qreal> thirdDashes = overlays.graph(2, 0)->pen().dashPattern();

    overlays.remove(1);
    EXPECT_EQ(chart.plot()->graphCount(), ownGraphs + 2 * kSeriesCount);
    ASSERT_EQ(overlays.count(), 2);
    EXPECT_EQ(overlays.legendText(0), QStringLiteral("first"));
    EXPECT_EQ(overlays.legendText(1), QStringLiteral("third"));
    EXPECT_EQ(overlays.graph(1, 0)->pen().dashPattern(), thirdDashes);
    ASSERT_EQ(overlays.legend()->itemCount(), 2);
    auto* item = qobject_cast<QCPPlottableLegendItem*>(overlays.legend()->item(1));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->plottable()->name(), QStringLiteral("third"));

    // The next one takes the freed look, unlike any shown.
    overlays.add(QStringLiteral("fourth"), one.view());
    EXPECT_NE(overlays.graph(2, 0)->pen().dashPattern(), overlays.graph(0, 0)->pen().dashPattern());
    EXPECT_NE(overlays.graph(2, 0)->pen().dashPattern(), thirdDashes);

    overlays.remove(7);  // out of range: nothing
    overlays.remove(-1);
    EXPECT_EQ(overlays.count(), 3);
    overlays.clear();
    EXPECT_EQ(chart.plot()->graphCount(), ownGraphs);
    EXPECT_EQ(overlays.legend()->itemCount(), 0);
    EXPECT_FALSE(overlays.legend()->visible());
}

TEST_F(ChartOverlaysTest, GapsAndShortListsAreNoPoints) {
    // A NaN time takes the row before's; a value list shorter than the
    // times gives gaps; neither counts towards the extremes.
    std::vector<double> days = {0, std::nan(""), 2 * kSecond};
    std::vector<double> volts = {12, 13};
    overlays.add(QStringLiteral("odd"), OverlayCurves{days, {volts, {}, {}, {}}});
    const SeriesEnvelope* points = overlays.points(0, kSeriesVoltage);
    ASSERT_EQ(points->size(), 3u);
    EXPECT_EQ(points->x(1), 0);
    EXPECT_TRUE(std::isnan(points->y(2)));
    EXPECT_DOUBLE_EQ(chart.dataMax(ChartAxis::Left), 13);
    EXPECT_DOUBLE_EQ(chart.dataMax(ChartAxis::Bottom), 2 * kSecond);
    EXPECT_EQ(chart.dataMax(ChartAxis::Right), 0);  // no current anywhere
}

}  // namespace
}  // namespace cellwatch
