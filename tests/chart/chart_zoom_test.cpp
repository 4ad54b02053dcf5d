#include "chart/chart_zoom.h"

#include <gtest/gtest.h>

#include <qcustomplot.h>
#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <cmath>

#include "chart/chart_view.h"
#include "tests/chart/shown_chart.h"

namespace cellwatch {
namespace {

using charttest::kSecond;
constexpr ChartAxis kValueAxes[] = {ChartAxis::Left, ChartAxis::Right, ChartAxis::Capacity,
                                    ChartAxis::Temperature};

class ChartZoomTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int k = 0; k <= 1000; ++k) {
            chart.addPoint(kSeriesVoltage, k * kSecond, 12 + k % 7 * 0.1);
            chart.addPoint(kSeriesCurrent, k * kSecond, 2);
            chart.addPoint(kSeriesCapacity, k * kSecond, k);
            chart.addPoint(kSeriesTemperature, k * kSecond, 25);
        }
        chart.setAxisRange(ChartAxis::Bottom, 0, 1200 * kSecond);
        chart.setAxisRange(ChartAxis::Left, 11.8, 12.9);
        chart.setAxisRange(ChartAxis::Right, 0, 2.2);
        chart.setAxisRange(ChartAxis::Capacity, 0, 1205);
        chart.setAxisRange(ChartAxis::Temperature, 0, 30);
        charttest::showChart(chart);
        zoom.setEnabled(true);  // its scroll bar takes some of the height
        test::settle();
        chart.repaint();
    }

    QCustomPlot* plot() const { return chart.plot(); }
    QCPAxis* time() const { return chart.axis(ChartAxis::Bottom); }
    QRect plotArea() const { return time()->axisRect()->rect(); }

    void wheel(QPoint at, int steps, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWheelEvent event(at, plot()->mapToGlobal(at), QPoint(), QPoint(0, 120 * steps),
                          Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(plot(), &event);
    }
    void mouse(QEvent::Type type, QPoint at, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, plot()->mapToGlobal(at), button, buttons, modifiers);
        QApplication::sendEvent(plot(), &event);
    }
    void drag(QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        mouse(QEvent::MouseButtonPress, from, Qt::LeftButton, modifiers);
        mouse(QEvent::MouseMove, (from + to) / 2, Qt::LeftButton, modifiers);
        mouse(QEvent::MouseMove, to, Qt::LeftButton, modifiers);
        mouse(QEvent::MouseButtonRelease, to, Qt::NoButton, modifiers);
        test::settle();
    }
    QCPRange shown(ChartAxis a) const { return chart.axis(a)->range(); }
    void expectShowsAsked() const {
        for (ChartAxis a : {ChartAxis::Bottom, ChartAxis::Left, ChartAxis::Right,
                            ChartAxis::Capacity, ChartAxis::Temperature}) {
            EXPECT_DOUBLE_EQ(shown(a).lower, chart.axisRange(a).min);
            if (chart.axisRange(a).max > chart.axisRange(a).min) {  // else drawn one unit wide
                EXPECT_DOUBLE_EQ(shown(a).upper, chart.axisRange(a).max);
            }
        }
    }

    ChartView chart;
    ChartZoom zoom{chart};
};

TEST_F(ChartZoomTest, WheelZoomsTimeAroundThePointerAndStackedPlotsFollow) {
    const QRect area = plotArea();
    const struct {
        double across;  // where the pointer is, as a share of the plot's width
        double down;    // and of its height: over the capacity or the temperature plot
        int steps;
    } cases[] = {{0.1, 0.2, 1}, {0.5, 0.5, 3}, {0.9, 0.8, 2}, {0.3, 0.1, -1}, {0.7, 0.9, -4}};
    for (const auto& c : cases) {
        zoom.showWhole();
        const QPoint at(area.left() + static_cast<int>(c.across * area.width()),
                        area.top() + static_cast<int>(c.down * area.height()));
        const double before = time()->pixelToCoord(at.x());
        const double span = time()->range().size();
        wheel(at, c.steps);
        EXPECT_NEAR(time()->pixelToCoord(at.x()), before, 1e-9 * span) << c.across;
        EXPECT_NEAR(time()->range().size(), span * std::pow(ChartZoom::kWheelStepFactor, c.steps),
                    1e-9 * span);
        for (ChartAxis a : {ChartAxis::Capacity, ChartAxis::Temperature}) {
            const QCPRange key = chart.axis(a)->axisRect()->axis(QCPAxis::atBottom)->range();
            EXPECT_EQ(key, time()->range());
        }
        EXPECT_EQ(shown(ChartAxis::Left), QCPRange(11.8, 12.9));
        EXPECT_FALSE(zoom.following());
    }
}

TEST_F(ChartZoomTest, CtrlWheelZoomsEveryValueAxisAroundThePointer) {
    const QRect area = plotArea();
    // Over the capacity plot (upper half) and over the temperature plot
    // (lower half): all four value axes zoom, the time axis stays.
    for (double down : {0.2, 0.8}) {
        zoom.showWhole();
        const QPoint at(area.center().x(), area.top() + static_cast<int>(down * area.height()));
        std::vector<double> before;
        for (ChartAxis a : kValueAxes) {
            before.push_back(chart.axis(a)->pixelToCoord(at.y()));
        }
        wheel(at, 2, Qt::ControlModifier);
        EXPECT_EQ(time()->range(), QCPRange(0, 1200 * kSecond));
        for (std::size_t i = 0; i < std::size(kValueAxes); ++i) {
            QCPAxis* axis = chart.axis(kValueAxes[i]);
            const AxisRange asked = chart.axisRange(kValueAxes[i]);
            EXPECT_NEAR(axis->range().size(), (asked.max - asked.min) * 0.85 * 0.85, 1e-9);
            EXPECT_NEAR(axis->pixelToCoord(at.y()), before[i], 1e-9 * axis->range().size());
        }
    }
}

TEST_F(ChartZoomTest, LeftDragPansTimeAndWithCtrlTheValuesToo) {
    const QRect area = plotArea();
    const QPoint from(area.center().x(), area.top() + area.height() / 4);  // over capacity
    const QPoint to = from + QPoint(-120, 40);
    const double moved = time()->pixelToCoord(from.x()) - time()->pixelToCoord(to.x());
    const double voltsMoved = chart.axis(ChartAxis::Left)->pixelToCoord(from.y()) -
                              chart.axis(ChartAxis::Left)->pixelToCoord(to.y());

    drag(from, to);
    EXPECT_NEAR(time()->range().lower, moved, 1e-12);
    EXPECT_NEAR(time()->range().size(), 1200 * kSecond, 1e-12);
    EXPECT_EQ(shown(ChartAxis::Left), QCPRange(11.8, 12.9));
    EXPECT_FALSE(zoom.following());

    zoom.showWhole();
    drag(from, to, Qt::ControlModifier);
    EXPECT_NEAR(time()->range().lower, moved, 1e-12);
    EXPECT_NEAR(shown(ChartAxis::Left).lower, 11.8 + voltsMoved, 1e-9);
}

TEST_F(ChartZoomTest, ADragTakenByARangeCursorDoesNotPan) {
    // A range cursor takes the press by clearing the range drag until release.
    QCP::Interactions found;
    QObject::connect(plot(), &QCustomPlot::mousePress, plot(), [&] {
        found = plot()->interactions();
        plot()->setInteraction(QCP::iRangeDrag, false);
    });
    QObject::connect(plot(), &QCustomPlot::mouseRelease, plot(),
                     [&] { plot()->setInteractions(found); });
    drag(plotArea().center(), plotArea().center() + QPoint(100, 0));
    EXPECT_EQ(time()->range(), QCPRange(0, 1200 * kSecond));
    EXPECT_TRUE(zoom.following());
    EXPECT_TRUE(plot()->interactions().testFlag(QCP::iRangeDrag));
}

// While held, asked ranges wait; a double click follows again (Home is
// pressed in the window's own test).
TEST_F(ChartZoomTest, WhileHeldAskedRangesWaitForADoubleClick) {
    const QPoint at = plotArea().center();
    wheel(at, 2);
    wheel(at, 1, Qt::ControlModifier);
    const QCPRange time = this->time()->range();
    const QCPRange volts = shown(ChartAxis::Left);
    // A live recording's next sample asks for more.
    chart.setAxisRange(ChartAxis::Bottom, 0, 1500 * kSecond);
    chart.setAxisRange(ChartAxis::Left, 11.5, 13.0);
    EXPECT_EQ(this->time()->range(), time);
    EXPECT_EQ(shown(ChartAxis::Left), volts);
    EXPECT_DOUBLE_EQ(chart.axisRange(ChartAxis::Bottom).max, 1500 * kSecond);

    mouse(QEvent::MouseButtonDblClick, at, Qt::LeftButton);
    EXPECT_TRUE(zoom.following());
    expectShowsAsked();
    chart.setAxisRange(ChartAxis::Bottom, 0, 1800 * kSecond);  // followed again
    EXPECT_EQ(this->time()->range(), QCPRange(0, 1800 * kSecond));
}

TEST_F(ChartZoomTest, DisabledTheMouseLeavesTheViewAndDisablingFollowsAgain) {
    wheel(plotArea().center(), 3);
    ASSERT_FALSE(zoom.following());
    chart.setAxisRange(ChartAxis::Bottom, 0, 1500 * kSecond);

    zoom.setEnabled(false);
    EXPECT_TRUE(zoom.following());
    expectShowsAsked();
    EXPECT_FALSE(zoom.scrollBar()->isVisible());

    wheel(plotArea().center(), 3);
    wheel(plotArea().center(), 3, Qt::ControlModifier);
    drag(plotArea().center(), plotArea().center() + QPoint(-100, 50));
    mouse(QEvent::MouseButtonDblClick, plotArea().center(), Qt::LeftButton);
    EXPECT_TRUE(zoom.following());
    expectShowsAsked();
}

TEST_F(ChartZoomTest, TheScrollBarShowsAndMovesTheVisibleSpan) {
    const QScrollBar* bar = zoom.scrollBar();
    ASSERT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->maximum(), 0);  // all of it in view

    // Points beyond the asked range widen the whole.
    chart.addPoint(kSeriesVoltage, 1600 * kSecond, 12);
    zoom.zoomTime(0.25, 800 * kSecond);  // 300 s of 1,600 s
    EXPECT_EQ(bar->pageStep(), 1875);
    EXPECT_EQ(bar->maximum(), ChartZoom::kScrollSteps - 1875);
    EXPECT_EQ(bar->value(), 3750);  // from 600 s

    zoom.scrollBar()->setValue(5000);  // the middle of the whole
    EXPECT_NEAR(time()->range().lower, 800 * kSecond, 1e-12);
    EXPECT_NEAR(time()->range().size(), 300 * kSecond, 1e-12);
    zoom.panTime(-900 * kSecond);  // panned out of the whole at the left
    EXPECT_EQ(bar->value(), 0);
}

TEST_F(ChartZoomTest, ZoomStopsAtOneSecondAndAtTenTimesTheWhole) {
    const QPoint at = plotArea().center();
    for (int i = 0; i < 100; ++i) {
        wheel(at, 1);
    }
    EXPECT_GE(time()->range().size(), ChartZoom::kMinTimeSpan);
    EXPECT_LT(time()->range().size(), ChartZoom::kMinTimeSpan / ChartZoom::kWheelStepFactor);
    for (int i = 0; i < 200; ++i) {
        wheel(at, -1);
    }
    EXPECT_LE(time()->range().size(), 10 * 1200 * kSecond);
    EXPECT_GT(time()->range().size(), 10 * 1200 * kSecond * ChartZoom::kWheelStepFactor);
}

}  // namespace
}  // namespace cellwatch
