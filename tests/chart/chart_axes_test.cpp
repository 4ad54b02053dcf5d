// The chart's right-hand axes (current, and capacity over temperature) at
// the sizes the window gives the chart at 100, 150 and 200 % scaling (the
// scale factor shrinks the screen in the window's own pixels; text keeps its
// size), with and without the cells pane: no label of one axis lies on a
// label of another.
#include <gtest/gtest.h>

#include <qcustomplot.h>
#include <memory>
#include <vector>

#include "chart/cell_pane.h"
#include "chart/chart_axes.h"
#include "chart/chart_view.h"
#include "tests/chart/shown_chart.h"

namespace cellwatch {
namespace {

// QCPAxis::calculateMargin is protected: the axis's reach from its line.
struct AxisReach : QCPAxis {
    static int of(QCPAxis* axis) {
        int (QCPAxis::*calculate)() = &AxisReach::calculateMargin;
        return (axis->*calculate)();
    }
};

// The rectangles of a right-hand axis's tick labels and title, as drawn.
std::vector<QRectF> labelBoxes(QCPAxis* axis) {
    std::vector<QRectF> boxes;
    const QRect rect = axis->axisRect()->rect();
    const double base = rect.left() + rect.width() + axis->offset();
    const QFontMetricsF ticks(axis->tickLabelFont());
    const QVector<double> at = axis->tickVector();
    const QVector<QString> texts = axis->tickVectorLabels();
    for (qsizetype i = 0; i < at.size(); ++i) {
        if (!axis->range().contains(at[i])) {
            continue;
        }
        const double y = axis->coordToPixel(at[i]);
        boxes.emplace_back(base + axis->tickLabelPadding(), y - ticks.height() / 2,
                           ticks.horizontalAdvance(texts[i]), ticks.height());
    }
    const QFontMetricsF title(axis->labelFont());
    const double length = title.horizontalAdvance(axis->label());
    boxes.emplace_back(base + AxisReach::of(axis) - title.height(), rect.center().y() - length / 2,
                       title.height(), length);
    return boxes;
}

TEST(ChartAxes, RightHandAxesLabelsNeverOverlap) {
    const struct {
        const char* scale;
        QSize size;
        double capacity = 2500;
    } cases[] = {{"100 %", {815, 390}},
                 {"150 %", {815, 335}},
                 {"200 %", {640, 230}},
                 {"lower", {600, 160}},
                 {"wide labels", {815, 390}, 123456}};
    for (const auto& c : cases) {
        for (bool cells : {false, true}) {
            SCOPED_TRACE(::testing::Message() << c.scale << (cells ? " with cells" : ""));
            ChartView chart;
            CellPane pane(chart);
            charttest::showChart(chart, c.size);
            chart.setAxisTitle(ChartAxis::Capacity, QStringLiteral("Capacity(mAh)"));
            chart.setAxisTitle(ChartAxis::Temperature, QStringLiteral(u"Temperature(℃)"));
            chart.setAxisRange(ChartAxis::Capacity, 0, c.capacity);
            chart.setAxisRange(ChartAxis::Temperature, 0, 30);
            pane.setShown(cells);
            chart.plot()->replot();
            chart.plot()->replot();  // as a second paint would
            const ChartAxis axes[] = {ChartAxis::Right, ChartAxis::Capacity,
                                      ChartAxis::Temperature};
            std::vector<std::vector<QRectF>> boxes;
            for (ChartAxis axis : axes) {
                boxes.push_back(labelBoxes(chart.axis(axis)));
                EXPECT_GE(boxes.back().size(), 2U);  // a tick label at least, and the title
            }
            for (std::size_t a = 0; a < boxes.size(); ++a) {
                for (std::size_t b = 0; b < a; ++b) {
                    for (const QRectF& one : boxes[a]) {
                        for (const QRectF& other : boxes[b]) {
                            EXPECT_FALSE(one.intersects(other))
                                << "axis " << a << " " << one.y() << "+" << one.height()
                                << " over axis " << b << " " << other.y() << "+" << other.height();
                        }
                    }
                }
            }
            // Everything lies inside the plot.
            for (const auto& axisBoxes : boxes) {
                for (const QRectF& box : axisBoxes) {
                    EXPECT_TRUE(QRectF(chart.plot()->rect()).contains(box))
                        << box.x() << "," << box.y() << " " << box.width() << "x" << box.height();
                }
            }
        }
    }
}

// Squeezed (a viewer at 150 % whose summary takes the height), each value
// axis shows fewer labels, never two on one another; at full height it
// keeps them all.
TEST(ChartAxes, AnAxissOwnLabelsNeverOverlap) {
    const struct {
        const char* name;
        QSize size;
    } cases[] = {{"full", {815, 390}}, {"squeezed viewer", {1100, 150}}, {"low", {600, 160}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ChartView chart;
        CellPane pane(chart);
        charttest::showChart(chart, c.size);
        chart.setAxisRange(ChartAxis::Left, 13.5, 17);
        chart.setAxisRange(ChartAxis::Right, 0, 2);
        chart.setAxisRange(ChartAxis::Capacity, 0, 2500);
        chart.setAxisRange(ChartAxis::Temperature, 0, 30);
        pane.setShown(true);
        pane.rect()->axis(QCPAxis::atLeft)->setRange(3, 4.25);
        chart.plot()->replot();
        chart.plot()->replot();  // as a second paint would
        QCPAxis* const axes[] = {chart.axis(ChartAxis::Left), chart.axis(ChartAxis::Right),
                                 chart.axis(ChartAxis::Capacity),
                                 chart.axis(ChartAxis::Temperature),
                                 pane.rect()->axis(QCPAxis::atLeft)};
        for (QCPAxis* axis : axes) {
            std::vector<double> ys;
            for (const double tick : axis->tickVector()) {
                if (axis->range().contains(tick)) {
                    ys.push_back(axis->coordToPixel(tick));
                }
            }
            EXPECT_GE(ys.size(), 2U) << axis->label().toStdString();
            const double height = QFontMetricsF(axis->tickLabelFont()).height();
            for (std::size_t i = 1; i < ys.size(); ++i) {
                EXPECT_GE(std::abs(ys[i] - ys[i - 1]), height) << axis->label().toStdString();
            }
            if (std::string(c.name) == "full" && axis != axes[4]) {
                EXPECT_GE(ys.size(), 4U) << axis->label().toStdString();
            }
        }
    }
}

}  // namespace
}  // namespace cellwatch
