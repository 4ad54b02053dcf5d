// Zooming and panning the chart: always in a viewer, in the main window only
// while View > "Zoom and pan" is checked; a zoomed live chart holds its view
// while samples arrive until Home follows the recording again.
#include <qcustomplot.h>
#include <QScrollBar>
#include <QWheelEvent>
#include <cmath>

#include "chart/chart_zoom.h"
#include "tests/support/settle.h"
#include "tests/support/window_test_support.h"

namespace cellwatch::windowtest {
namespace {

class ZoomWindowTest : public WindowTest {
protected:
    static void wheel(ChartView& chart, QPoint at, int steps,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWheelEvent event(at, chart.plot()->mapToGlobal(at), QPoint(), QPoint(0, 120 * steps),
                          Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(chart.plot(), &event);
    }
    static QPoint inPlot(const ChartView& chart, double across) {
        const QRect area = chart.axis(ChartAxis::Bottom)->axisRect()->rect();
        return {area.left() + static_cast<int>(across * area.width()), area.center().y()};
    }
    static QCPRange shown(const ChartView& chart, ChartAxis axis) {
        return chart.axis(axis)->range();
    }
    static void expectShowsAsked(const ChartView& chart) {
        for (ChartAxis a : {ChartAxis::Bottom, ChartAxis::Left, ChartAxis::Right,
                            ChartAxis::Capacity, ChartAxis::Temperature}) {
            EXPECT_DOUBLE_EQ(shown(chart, a).lower, chart.axisRange(a).min);
            // A range of no width is drawn one unit wide.
            if (chart.axisRange(a).max > chart.axisRange(a).min) {
                EXPECT_DOUBLE_EQ(shown(chart, a).upper, chart.axisRange(a).max);
            }
        }
    }
    QScrollBar* liveBar() const { return w->chart().findChild<QScrollBar*>(); }
};

// Off as created; the choice, on or off, is kept across a restart.
TEST_F(ZoomWindowTest, TheChoiceIsKeptAcrossARestart) {
    open();
    ASSERT_NE(liveBar(), nullptr);
    for (const bool on : {false, true, false}) {
        SCOPED_TRACE(on);
        EXPECT_EQ(tool("View1", "ZoomPan")->checked(), on);
        EXPECT_EQ(w->chartZoom().enabled(), on);
        EXPECT_EQ(liveBar()->isVisible(), on);
        click("View1", "ZoomPan");
        EXPECT_EQ(w->chartZoom().enabled(), !on);
        open();
    }
}

TEST_F(ZoomWindowTest, ZoomedLiveChartHoldsItsViewUntilHomeFollowsAgain) {
    open();
    click("View1", "ZoomPan");
    connectTo(slave());
    recordRows(1, 5);
    ChartView& chart = w->chart();
    chart.repaint();
    // Following: the value axes move with the samples.
    expectShowsAsked(chart);

    wheel(chart, inPlot(chart, 0.05), 2);
    wheel(chart, inPlot(chart, 0.5), 1, Qt::ControlModifier);
    const QCPRange time = shown(chart, ChartAxis::Bottom);
    const QCPRange volts = shown(chart, ChartAxis::Left);
    ASSERT_FALSE(w->chartZoom().following());
    const AxisRange askedVolts = chart.axisRange(ChartAxis::Left);

    recordRows(40, 60);  // higher voltages and capacities than before
    EXPECT_EQ(rows(), 26);
    EXPECT_EQ(shown(chart, ChartAxis::Bottom), time);
    EXPECT_EQ(shown(chart, ChartAxis::Left), volts);
    EXPECT_GT(chart.axisRange(ChartAxis::Left).max, askedVolts.max);

    chart.plot()->setFocus();
    QTest::keyClick(chart.plot(), Qt::Key_Home);
    EXPECT_TRUE(w->chartZoom().following());
    expectShowsAsked(chart);
    recordRows(61, 62);
    expectShowsAsked(chart);

    // A new recording is shown from its start.
    wheel(chart, inPlot(chart, 0.5), 2);
    ASSERT_FALSE(w->chartZoom().following());
    disconnect();
    connectTo(slave());
    EXPECT_TRUE(w->chartZoom().following());
    recordRows(1, 2);
    expectShowsAsked(chart);

    // Turning it off while zoomed follows at once, and the wheel, with Ctrl
    // or without, leaves the chart alone.
    wheel(chart, inPlot(chart, 0.5), 2);
    recordRows(63, 64);
    ASSERT_FALSE(w->chartZoom().following());
    click("View1", "ZoomPan");
    EXPECT_TRUE(w->chartZoom().following());
    expectShowsAsked(chart);
    const QCPRange followed = shown(chart, ChartAxis::Bottom);
    wheel(chart, inPlot(chart, 0.5), 3);
    wheel(chart, inPlot(chart, 0.5), 3, Qt::ControlModifier);
    EXPECT_EQ(shown(chart, ChartAxis::Bottom), followed);
    expectShowsAsked(chart);
    EXPECT_TRUE(failures.isEmpty()) << failureText();
}

TEST_F(ZoomWindowTest, AViewerZoomsAroundThePointerAndHomeShowsTheWholeRecording) {
    openConnected(30);
    disconnect();
    ViewerWindow* viewer = w->openRecording(journalFiles().value(0));
    ASSERT_NE(viewer, nullptr);
    test::settle();
    ChartView& chart = viewer->chart();
    chart.repaint();
    auto* zoom = chart.findChild<ChartZoom*>();
    ASSERT_NE(zoom, nullptr);
    EXPECT_TRUE(zoom->enabled());
    EXPECT_TRUE(zoom->scrollBar()->isVisible());
    const QCPRange whole = shown(chart, ChartAxis::Bottom);

    const QPoint at = inPlot(chart, 0.02);  // near the recording's few seconds
    const double timeAt = chart.xAtPixel(at.x());
    wheel(chart, at, 5);
    EXPECT_NEAR(chart.xAtPixel(at.x()), timeAt, 1e-9);
    EXPECT_NEAR(shown(chart, ChartAxis::Bottom).size(), whole.size() * std::pow(0.85, 5), 1e-12);
    EXPECT_LT(zoom->scrollBar()->pageStep(), ChartZoom::kScrollSteps);

    chart.plot()->setFocus();
    QTest::keyClick(chart.plot(), Qt::Key_Home);
    EXPECT_EQ(shown(chart, ChartAxis::Bottom), whole);
    expectShowsAsked(chart);
    // The live window's chart was not touched.
    EXPECT_TRUE(w->chartZoom().following());
    EXPECT_FALSE(w->chartZoom().enabled());
}

}  // namespace
}  // namespace cellwatch::windowtest
