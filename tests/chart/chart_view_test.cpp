#include "chart/chart_view.h"

#include <gtest/gtest.h>

#include <qcustomplot.h>
#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <cmath>
#include <functional>
#include <limits>
#include <string_view>
#include <utility>
#include <vector>

#include "tests/chart/shown_chart.h"
#include "tests/support/backing_store.h"
#include "tests/support/settle.h"

namespace cellwatch {
namespace {

using charttest::kSecond;

class ChartViewTest : public ::testing::Test {
protected:
    void SetUp() override { charttest::showChart(chart); }

    void moveMouse(QPointF at, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QMouseEvent event(QEvent::MouseMove, at, chart.plot()->mapToGlobal(at), Qt::NoButton,
                          Qt::NoButton, modifiers);
        QApplication::sendEvent(chart.plot(), &event);
    }

    std::vector<QCPItemStraightLine*> cursorLines() const {
        std::vector<QCPItemStraightLine*> lines;
        for (int i = 0; i < chart.plot()->itemCount(); ++i) {
            if (auto* line = qobject_cast<QCPItemStraightLine*>(chart.plot()->item(i))) {
                lines.push_back(line);
            }
        }
        return lines;
    }

    ChartView chart;
};

// The axis scaler's tests follow the extremes as points come and series are
// cleared; here an empty series, and one whose values all lie below zero.
TEST_F(ChartViewTest, DataExtremesOfNoPointsAndOfNegativeValues) {
    EXPECT_EQ(chart.dataMax(ChartAxis::Capacity), 0);
    EXPECT_EQ(chart.dataMin(ChartAxis::Capacity), 0);
    double x = 0;
    for (const double y : {-3.0, -1.0, -7.0}) {
        chart.addPoint(kSeriesCapacity, x += kSecond, y);
    }
    EXPECT_EQ(chart.dataMax(ChartAxis::Capacity), -1);
    EXPECT_EQ(chart.dataMin(ChartAxis::Capacity), -7);
    chart.clearSeries(kSeriesCapacity);
    EXPECT_EQ(chart.dataMax(ChartAxis::Capacity), 0);
}

TEST_F(ChartViewTest, SeriesDrawAgainstTheirAxesAndShareTheTimeAxis) {
    chart.setAxisRange(ChartAxis::Bottom, 0, 600 * kSecond);
    for (int series = 0; series < kSeriesCount; ++series) {
        QCPGraph* g = chart.graph(series);
        EXPECT_EQ(g->valueAxis(), chart.axis(axisOfSeries(series))) << series;
        EXPECT_DOUBLE_EQ(g->keyAxis()->range().upper, 600 * kSecond) << series;
        EXPECT_DOUBLE_EQ(g->keyAxis()->range().lower, 0) << series;
    }

    chart.setSeriesActive(kSeriesCurrent, false);
    chart.addPoint(kSeriesCurrent, kSecond, 1);  // a hidden series is still fed
    EXPECT_FALSE(chart.seriesActive(kSeriesCurrent));
    EXPECT_FALSE(chart.graph(kSeriesCurrent)->visible());
    EXPECT_EQ(chart.pointCount(kSeriesCurrent), 1u);
}

TEST_F(ChartViewTest, AnEmptyRangeIsKeptAndDrawnOneUnitWide) {
    chart.setAxisRange(ChartAxis::Capacity, 0, 0);  // as the scaling sets it for all-zero data
    EXPECT_EQ(chart.axisRange(ChartAxis::Capacity).max, 0);
    EXPECT_EQ(chart.axis(ChartAxis::Capacity)->range(), QCPRange(0, 1));
}

TEST_F(ChartViewTest, PointsKeepTheirOrderAndTheirX) {
    chart.addPoint(kSeriesVoltage, 2 * kSecond, 4.0);
    chart.addPoint(kSeriesVoltage, 3 * kSecond, 4.1);
    chart.addPoint(kSeriesVoltage, 1 * kSecond, 4.2);   // older than the last: a new stretch
    chart.addPoint(kSeriesVoltage, std::nan(""), 4.3);  // no X: the last one's
    ASSERT_EQ(chart.pointCount(kSeriesVoltage), 4u);
    EXPECT_DOUBLE_EQ(chart.pointX(kSeriesVoltage, 0), 2 * kSecond);
    EXPECT_DOUBLE_EQ(chart.pointX(kSeriesVoltage, 1), 3 * kSecond);
    EXPECT_DOUBLE_EQ(chart.pointX(kSeriesVoltage, 2), 1 * kSecond);
    EXPECT_DOUBLE_EQ(chart.pointY(kSeriesVoltage, 2), 4.2);
    EXPECT_DOUBLE_EQ(chart.pointX(kSeriesVoltage, 3), 1 * kSecond);
    EXPECT_EQ(chart.pointX(kSeriesVoltage, 4), 0);
    EXPECT_EQ(chart.stretchStarts(kSeriesVoltage), std::vector<std::size_t>{2});
    EXPECT_DOUBLE_EQ(chart.dataMin(ChartAxis::Bottom), 1 * kSecond);
    EXPECT_DOUBLE_EQ(chart.dataMax(ChartAxis::Bottom), 3 * kSecond);
    EXPECT_EQ(chart.pointCount(kSeriesCurrent), 0u);
}

// After a late message the time origin moves to the present: each curve's
// next points start again near 0. They are drawn where they belong, inside
// the new time window, and no line runs back to them from the end of the
// older points; this may happen several times in one recording.
TEST_F(ChartViewTest, PointsAfterTheTimeOriginMovesBackAreDrawnAsANewStretch) {
    chart.setAxisRange(ChartAxis::Left, 0, 12);
    const struct {
        double volts;
        int seconds;  // one point a second from 1 s on
    } stretches[] = {{10, 1200}, {2, 100}, {6, 40}};
    for (const auto& stretch : stretches) {
        for (int s = 1; s <= stretch.seconds; ++s) {
            chart.addPoint(kSeriesVoltage, s * kSecond, stretch.volts);
        }
    }
    chart.setAxisRange(ChartAxis::Bottom, 0, 172.8 * kSecond);  // the window after the move
    chart.repaint();
    const QImage image = chart.plot()->toPixmap().toImage();
    QCPAxis* time = chart.axis(ChartAxis::Bottom);
    QCPAxis* volts = chart.axis(ChartAxis::Left);
    // Red pixels in the column at `seconds` between two voltages.
    const auto redBetween = [&](double seconds, double low, double high) {
        const int x = qRound(time->coordToPixel(seconds * kSecond));
        int red = 0;
        for (int y = qRound(volts->coordToPixel(high)); y <= qRound(volts->coordToPixel(low));
             ++y) {
            const QColor c = image.pixelColor(x, y);
            red += c.red() > 128 && c.green() < 100 && c.blue() < 100 ? 1 : 0;
        }
        return red;
    };
    for (const auto& stretch : stretches) {
        SCOPED_TRACE(stretch.volts);
        EXPECT_GT(redBetween(20, stretch.volts - 0.1, stretch.volts + 0.1), 0);
    }
    // At 70 s the oldest (10 V) and the second (2 V) stretch run; lines
    // drawn back from their ends would cross 2.5 .. 9.5 V there.
    EXPECT_GT(redBetween(70, 1.9, 2.1), 0);
    EXPECT_EQ(redBetween(70, 2.5, 9.5), 0);
    EXPECT_EQ(redBetween(150, 0.5, 9.5), 0);
}

// The time axis reads hours, minutes and seconds; capacity and temperature
// label steps are whole multiples of 1, voltage ones of 0.01; the labels
// stay few enough to read.
TEST_F(ChartViewTest, AxisLabelsReadAsTimeAndFallOnWholeMultiplesOfTheirStep) {
    const auto labelsOf = [this](ChartAxis axis, QCPRange range, QVector<double>* ticks) {
        QVector<QString> labels;
        chart.axis(axis)->ticker()->generate(range, QLocale::c(), 'g', 6, *ticks, nullptr, &labels);
        return labels;
    };
    QVector<double> ticks;
    EXPECT_EQ(labelsOf(ChartAxis::Bottom, {0, 173 * kSecond}, &ticks),
              (QVector<QString>{"0:00:00", "0:01:00", "0:02:00"}));
    EXPECT_EQ(labelsOf(ChartAxis::Bottom, {0, 30000 * kSecond}, &ticks),
              (QVector<QString>{"0:00:00", "2:00:00", "4:00:00", "6:00:00", "8:00:00"}));
    const struct {
        ChartAxis axis;
        double step;
        std::vector<QCPRange> ranges;
    } cases[] = {
        {ChartAxis::Capacity,
         1,
         {{0, 1}, {0, 6.2}, {0, 12}, {0, 15}, {0, 30}, {0, 156.2}, {0, 5000}, {0, 123456}}},
        {ChartAxis::Temperature, 1, {{0, 1}, {0, 5}, {0, 12}, {0, 15}, {0, 30}, {0, 100}}},
        {ChartAxis::Left, 0.01, {{12.4, 12.525}, {12.4, 12.9}, {0, 0.3}, {3.1, 4.45}, {0, 55}}},
    };
    for (const auto& c : cases) {
        for (const QCPRange& range : c.ranges) {
            SCOPED_TRACE(::testing::Message()
                         << static_cast<int>(c.axis) << ": " << range.lower << ".." << range.upper);
            labelsOf(c.axis, range, &ticks);
            ASSERT_GE(ticks.size(), 2);
            EXPECT_LE(ticks.size(), 12);
            for (double tick : ticks) {
                EXPECT_NEAR(tick / c.step, std::round(tick / c.step), 1e-6) << tick;
            }
        }
    }
}

TEST_F(ChartViewTest, TitleLines) {
    auto shown = [&] {
        return qobject_cast<QCPTextElement*>(chart.plot()->plotLayout()->element(0, 0))->text();
    };
    EXPECT_EQ(chart.titleLines(), QStringList{QString()});
    chart.removeTitleLine(0);
    chart.addTitleLine(QStringLiteral("Idle"));
    EXPECT_EQ(chart.titleLines(), QStringList{QStringLiteral("Idle")});
    chart.removeTitleLine(1);  // out of range: nothing
    chart.removeTitleLine(-1);
    chart.addTitleLine(QStringLiteral("second"));
    EXPECT_EQ(shown(), QStringLiteral("Idle\nsecond"));
    chart.removeTitleLine(0);
    EXPECT_EQ(shown(), QStringLiteral("second"));
    chart.clearTitle();
    EXPECT_TRUE(chart.titleLines().isEmpty());
    chart.addTitleLine(QStringLiteral("LiIo/Po/Fe/+CHG+"));
    EXPECT_EQ(shown(), QStringLiteral("LiIo/Po/Fe/+CHG+"));
}

TEST_F(ChartViewTest, CursorLinesFollowTheMouseOnlyWhileActive) {
    std::vector<std::tuple<Qt::KeyboardModifiers, int, int>> moves;
    QObject::connect(&chart, &ChartView::mouseMoved,
                     [&](Qt::KeyboardModifiers m, int x, int y) { moves.emplace_back(m, x, y); });
    const auto lines = cursorLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_FALSE(chart.cursorActive());

    moveMouse(QPointF(100, 120), Qt::ShiftModifier);
    for (auto* line : lines) {
        EXPECT_FALSE(line->visible());
    }
    chart.setCursorActive(true);
    moveMouse(QPointF(300, 200));
    for (auto* line : lines) {
        EXPECT_TRUE(line->visible());
    }
    const QPointF vertical = lines[0]->point1->pixelPosition();
    const QPointF horizontal = lines[1]->point1->pixelPosition();
    EXPECT_EQ(vertical.x(), 300);
    EXPECT_EQ(horizontal.y(), 200);

    chart.setCursorActive(false);
    for (auto* line : lines) {
        EXPECT_FALSE(line->visible());
    }
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[0], std::make_tuple(Qt::KeyboardModifiers(Qt::ShiftModifier), 100, 120));
    EXPECT_EQ(moves[1], std::make_tuple(Qt::KeyboardModifiers(Qt::NoModifier), 300, 200));
}

// What a new point costs the real chart: a redraw of the curves alone while
// nothing else changed, nothing at all when it lands on pixels its curve
// already covers, a full replot when the axes or the title moved.
class ChartRedrawTest : public ChartViewTest {
protected:
    void SetUp() override {
        // The throttle runs on the test's clock, its timer when stepped.
        chart.replotTimer().hold();
        chart.setThrottleClock([this] { return nowMs; });
        ChartViewTest::SetUp();
        chart.setAxisRange(ChartAxis::Bottom, 0, 600 * kSecond);
        chart.setAxisRange(ChartAxis::Left, 0, 10);
        chart.clearTitle();
        chart.addTitleLine(QStringLiteral("LiPo/Charging"));
        QObject::connect(chart.plot(), &QCustomPlot::afterReplot, [this] { ++full; });
        QObject::connect(&chart, &ChartView::curvesRedrawn, [this] { ++curves; });
        chart.addPoint(kSeriesVoltage, 0, 5);
        chart.addPoint(kSeriesVoltage, 60 * kSecond, 5);
        replotInterval();
        full = curves = 0;
    }

    // Lets the replot interval pass, so that any replot asked for happens,
    // and the window paints what it brings.
    void replotInterval() {
        nowMs += ChartView::kMinReplotIntervalMs;
        chart.replotTimer().step();
        ASSERT_TRUE(test::settle());
    }

    qint64 nowMs = 1'000'000;
    int full = 0;
    int curves = 0;
};

// New points repaint only the strips they change, and what the window then
// holds (its backing store, not a fresh rendering) is what a full drawing
// of the plot shows: no strip of a curve is left out.
TEST_F(ChartRedrawTest, NewPointsRepaintAStripAndTheWindowMatchesAFullDrawing) {
    struct PaintedWidth : QObject {
        int widest = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) {
                widest = std::max(widest, static_cast<QPaintEvent*>(e)->rect().width());
            }
            return false;
        }
    } painted;
    chart.plot()->installEventFilter(&painted);
    const auto screenMatchesDrawing = [this](const char* what) {
        EXPECT_EQ(test::stalePixels(*chart.plot()), 0) << what;
    };
    const struct {
        const char* what;
        std::vector<std::pair<double, double>> points;  // seconds, volts
    } steps[] = {
        {"a steep rise into new columns", {{90, 9}, {120, 1}}},
        {"a value wavering in one column", {{120.2, 9.5}, {120.4, 0.5}, {120.6, 3}}},
        {"every curve at once", {{150, 4}}},
        {"a new stretch back at the start", {{10, 2}, {40, 8}}},
    };
    for (const auto& step : steps) {
        ASSERT_TRUE(test::settle());  // what the last grab made Qt paint
        painted.widest = 0;
        for (const auto& [seconds, volts] : step.points) {
            chart.addPoint(kSeriesVoltage, seconds * kSecond, volts);
            if (std::string_view(step.what) == "every curve at once") {
                chart.addPoint(kSeriesCurrent, seconds * kSecond, volts / 2);
                chart.addPoint(kSeriesCapacity, seconds * kSecond, volts * 100);
                chart.addPoint(kSeriesTemperature, seconds * kSecond, volts * 5);
            }
        }
        replotInterval();
        EXPECT_EQ(full, 0) << step.what;
        EXPECT_EQ(curves, 1) << step.what;
        EXPECT_GT(painted.widest, 0) << step.what;
        EXPECT_LT(painted.widest, chart.plot()->width() / 2) << step.what;
        screenMatchesDrawing(step.what);
        full = curves = 0;
    }
}

// Switched off, nothing replots; switched on again, what changed meanwhile
// and a burst of points after it cost one full replot.
TEST_F(ChartRedrawTest, AutoRepaintOffHoldsReplots) {
    chart.setAutoRepaint(false);
    chart.addPoint(kSeriesVoltage, 70 * kSecond, 1);
    chart.setAxisRange(ChartAxis::Left, 0, 20);
    replotInterval();
    EXPECT_FALSE(chart.replotTimer().isActive());
    EXPECT_EQ(full + curves, 0);
    chart.setAutoRepaint(true);
    for (int i = 0; i < 50; ++i) {
        chart.addPoint(kSeriesVoltage, (80 + i) * kSecond, 1);
    }
    replotInterval();
    EXPECT_EQ(full, 1);
    EXPECT_EQ(curves, 0);
}

// A replot comes kMinReplotIntervalMs after the last one at the earliest: a
// point asks for it at the end of that time, and a paint of the window (a
// sample's texts) takes it in sooner once half the interval has passed, not
// before.
TEST_F(ChartRedrawTest, AReplotWaitsOutTheIntervalOrJoinsTheWindowsPaintPastHalfOfIt) {
    const struct {
        qint64 afterMs;  // from the last replot to the point
        bool joins;
    } cases[] = {{0, false}, {50, false}, {99, false}, {100, true}, {150, true}};
    double seconds = 100;
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.afterMs << " ms after the last replot");
        chart.addPoint(kSeriesVoltage, (seconds += 10) * kSecond, 5);
        replotInterval();  // the last replot
        ASSERT_EQ(curves, 1);
        curves = 0;

        nowMs += c.afterMs;
        chart.addPoint(kSeriesVoltage, (seconds += 10) * kSecond, 6);
        ASSERT_TRUE(chart.replotTimer().isActive());
        EXPECT_EQ(chart.replotTimer().interval(), ChartView::kMinReplotIntervalMs - c.afterMs);
        chart.update();  // the window paints
        ASSERT_TRUE(test::settle());
        EXPECT_EQ(curves, c.joins ? 1 : 0);
        EXPECT_EQ(chart.replotTimer().isActive(), !c.joins);
        replotInterval();
        EXPECT_EQ(curves, 1) << "one replot either way";
        EXPECT_EQ(full, 0);
        curves = 0;
    }
}

TEST_F(ChartRedrawTest, WhatAPointAsksFor) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Point {
        double seconds;
        double volts;
    };
    const struct {
        const char* what;
        std::vector<Point> points;
        int curves;
    } cases[] = {
        {"the same value again", {{60, 5}}, 0},
        {"a value wavering inside the pixels drawn", {{60, 6}, {60, 5.5}, {60, 5}}, 1},
        {"the next pixel column", {{62, 5}}, 1},
        {"a gap", {{63, nan}}, 1},
        {"a burst of new columns", {{70, 5}, {80, 6}, {90, 7}}, 1},
    };
    for (const auto& c : cases) {
        for (const Point& p : c.points) {
            chart.addPoint(kSeriesVoltage, p.seconds * kSecond, p.volts);
        }
        replotInterval();
        EXPECT_EQ(curves, c.curves) << c.what;
        EXPECT_EQ(full, 0) << c.what;
        full = curves = 0;
    }
}

TEST_F(ChartRedrawTest, MovedAxesOrANewTitleReplotInFull) {
    const struct {
        const char* what;
        std::function<void()> change;
        int full;
    } cases[] = {
        {"the same ranges set again",
         [this] {
             chart.setAxisRange(ChartAxis::Bottom, 0, 600 * kSecond);
             chart.setAxisRange(ChartAxis::Left, 0, 10);
         },
         0},
        {"the title cleared and set as it was",
         [this] {
             chart.clearTitle();
             chart.addTitleLine(QStringLiteral("LiPo/Charging"));
         },
         0},
        {"a wider voltage axis", [this] { chart.setAxisRange(ChartAxis::Left, 0, 20); }, 1},
        {"a longer time axis", [this] { chart.setAxisRange(ChartAxis::Bottom, 0, 1200 * kSecond); },
         1},
        {"a range set on the axis itself", [this] { chart.plot()->yAxis->setRange(0, 30); }, 1},
        {"another title",
         [this] {
             chart.clearTitle();
             chart.addTitleLine(QStringLiteral("LiPo/Full"));
         },
         1},
    };
    double seconds = 100;
    for (const auto& c : cases) {
        c.change();
        chart.addPoint(kSeriesVoltage, seconds * kSecond, 5);  // a new column either way
        seconds += 10;
        replotInterval();
        EXPECT_EQ(full, c.full) << c.what;
        EXPECT_EQ(full + curves, 1) << c.what;
        full = curves = 0;
    }
}

}  // namespace
}  // namespace cellwatch
