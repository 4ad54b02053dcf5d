// What a new point costs the real chart: a redraw of the curves alone while
// nothing else changed, nothing at all when it lands on pixels its curve
// already covers, a full replot when the axes or the title moved.
#include <gtest/gtest.h>

#include <qcustomplot.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "chart/chart_view.h"

namespace cellwatch {
namespace {

constexpr double kSecond = 1 / 86400.0;

class ChartRedrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        chart.resize(900, 500);
        chart.show();
        QApplication::processEvents();
        chart.setAxisRange(ChartAxis::Bottom, 0, 600 * kSecond);
        chart.setAxisRange(ChartAxis::Left, 0, 10);
        chart.clearTitle();
        chart.addTitleLine(QStringLiteral("LiPo/Charging"));
        QObject::connect(chart.plot(), &QCustomPlot::afterReplot, [this] { ++full; });
        QObject::connect(&chart, &ChartView::curvesRedrawn, [this] { ++curves; });
        chart.addPoint(kSeriesVoltage, 0, 5);
        chart.addPoint(kSeriesVoltage, 60 * kSecond, 5);
        settle();
        full = curves = 0;
    }

    // Runs the event loop past the replot interval, so that any replot asked
    // for has happened.
    void settle() {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < ChartView::kMinReplotIntervalMs + 150) {
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        }
    }

    // Whether the chart as shown has the voltage curve's colour within a
    // pixel of where (x, y) is drawn.
    bool curveShownAt(double x, double y) {
        const QImage shown = chart.plot()->grab().toImage();
        const QCPGraph* g = chart.graph(kSeriesVoltage);
        const QColor colour = g->pen().color();
        const int px = static_cast<int>(std::lround(g->keyAxis()->coordToPixel(x)));
        const int py = static_cast<int>(std::lround(g->valueAxis()->coordToPixel(y)));
        for (int dx = -1; dx <= 1; ++dx) {
            for (int dy = -1; dy <= 1; ++dy) {
                const QColor at = shown.pixelColor(px + dx, py + dy);
                if (std::abs(at.red() - colour.red()) + std::abs(at.green() - colour.green()) +
                        std::abs(at.blue() - colour.blue()) <
                    90) {
                    return true;
                }
            }
        }
        return false;
    }

    ChartView chart;
    int full = 0;
    int curves = 0;
};

TEST_F(ChartRedrawTest, ANewPointRedrawsTheCurvesAloneAndShows) {
    const double x = 300 * kSecond;
    ASSERT_FALSE(curveShownAt(x, 8));
    chart.addPoint(kSeriesVoltage, x, 8);
    settle();
    EXPECT_EQ(curves, 1);
    EXPECT_EQ(full, 0);
    EXPECT_TRUE(curveShownAt(x, 8)) << "the curves' own layer reached the screen";
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
        settle();
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
        settle();
        EXPECT_EQ(full, c.full) << c.what;
        EXPECT_EQ(full + curves, 1) << c.what;
        full = curves = 0;
    }
}

}  // namespace
}  // namespace cellwatch
