#include "app/power_gauge.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <QImage>
#include <QPixmap>

namespace cellwatch {
namespace {

QImage Render(PowerGauge& gauge) {
    gauge.resize(140, 140);
    return gauge.grab().toImage();
}

void SetScale(PowerGauge& gauge, double minimum, double maximum, double step) {
    gauge.setMinimum(minimum);
    gauge.setMaximum(maximum);
    gauge.setStep(step);
    gauge.setLowerMark(minimum + (maximum - minimum) * 0.6);
    gauge.setUpperMark(minimum + (maximum - minimum) * 0.85);
}

TEST(PowerGauge, NeedleStopsAtTheEndsOfTheScale) {
    const struct {
        double inside;
        double outside;
    } cases[] = {{50, 80}, {50, std::numeric_limits<double>::infinity()}, {0, -12}, {0, NAN}};
    for (const auto& c : cases) {
        PowerGauge gauge;
        SetScale(gauge, 0, 50, 5);
        gauge.setValue(c.inside);
        const QImage atEnd = Render(gauge);
        gauge.setValue(c.outside);
        EXPECT_EQ(Render(gauge), atEnd) << c.outside;
        gauge.setValue(25);
        EXPECT_NE(Render(gauge), atEnd) << "the needle moves";
    }
}

TEST(PowerGauge, DrawsAnyScaleItIsGiven) {
    // Degenerate settings must neither hang nor crash the drawing.
    const struct {
        double minimum, maximum, step;
    } cases[] = {
        {0, 50, 0}, {0, 50, -5},   {0, 50, 1e-9},      {0, 50, NAN}, {0, 50, 1000}, {50, 50, 5},
        {50, 0, 5}, {0, 1e300, 1}, {-1e308, 1e308, 1}, {NAN, 50, 5}, {0, 37.5, 5},  {10, 200, 20},
    };
    for (const auto& c : cases) {
        PowerGauge gauge;
        SetScale(gauge, c.minimum, c.maximum, c.step);
        gauge.setValue(20);
        gauge.setCaption("Power(W)");
        EXPECT_FALSE(Render(gauge).isNull()) << c.minimum << " " << c.maximum << " " << c.step;
    }
}

}  // namespace
}  // namespace cellwatch
