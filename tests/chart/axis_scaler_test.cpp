#include "readout/axis_scaler.h"

#include <gtest/gtest.h>

#include "chart/chart_view.h"

namespace cellwatch {
namespace {

struct AxisReading {
    double voltage;
    double current;
    double capacity;
    double temperature;
};

class AxisScalerTest : public ::testing::Test {
protected:
    // One sample's points, then the scaling, as the sample pipeline does it.
    void apply(const AxisReading& r) {
        const double x = static_cast<double>(chart.pointCount(kSeriesVoltage)) / 86400.0;
        chart.addPoint(kSeriesVoltage, x, r.voltage);
        chart.addPoint(kSeriesCurrent, x, r.current);
        chart.addPoint(kSeriesCapacity, x, r.capacity);
        chart.addPoint(kSeriesTemperature, x, r.temperature);
        scaler.scaleAxes(chart);
    }
    void clearChart() {
        for (int series = 0; series < kSeriesCount; ++series) {
            chart.clearSeries(series);
        }
    }
    AxisRange range(ChartAxis axis) const { return chart.axisRange(axis); }

    ChartView chart;
    AxisScaler scaler;
};

TEST_F(AxisScalerTest, FirstSampleAfterConnect) {
    apply({12.6, 2.0, 0, 25});
    EXPECT_DOUBLE_EQ(range(ChartAxis::Left).min, 12.4);
    EXPECT_DOUBLE_EQ(range(ChartAxis::Left).max, 12.9);
    EXPECT_DOUBLE_EQ(range(ChartAxis::Right).min, 0);
    EXPECT_DOUBLE_EQ(range(ChartAxis::Right).max, 2.2);
    EXPECT_DOUBLE_EQ(range(ChartAxis::Capacity).max, 0);  // 0 lies in the band 0..0
    EXPECT_DOUBLE_EQ(range(ChartAxis::Temperature).min, 0);
    EXPECT_DOUBLE_EQ(range(ChartAxis::Temperature).max, 30);

    apply({12.6, 2.0, 1, 25});
    EXPECT_DOUBLE_EQ(range(ChartAxis::Capacity).max, 6.2);
}

// The voltage and capacity maxima stay until the data go past them.
TEST_F(AxisScalerTest, MaximaStayUntilExceeded) {
    const struct {
        double voltage, capacity;
        double voltageMax, capacityMax;
    } steps[] = {{12.60, 100, 12.9, 125},   {12.65, 110, 12.9, 125},   {12.70, 125, 12.9, 125},
                 {12.75, 126, 12.9, 156.2}, {12.80, 126, 12.9, 156.2}, {12.85, 126, 12.9, 156.2},
                 {12.90, 126, 12.9, 156.2}, {12.95, 126, 13.25, 156.2}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.voltage);
        apply({step.voltage, 1, step.capacity, 25});
        EXPECT_DOUBLE_EQ(range(ChartAxis::Left).max, step.voltageMax);
        EXPECT_DOUBLE_EQ(scaler.axisMaxVolt(), step.voltageMax);
        EXPECT_DOUBLE_EQ(range(ChartAxis::Capacity).max, step.capacityMax);
    }
}

TEST_F(AxisScalerTest, MaximaDropWhenTheDataFallBelowTheirBand) {
    apply({12.6, 2.0, 100, 25});
    ASSERT_DOUBLE_EQ(scaler.axisMaxVolt(), 12.9);
    clearChart();  // a restart after a gap: the high points are gone
    apply({11.8, 2.0, 100, 20});
    EXPECT_DOUBLE_EQ(range(ChartAxis::Left).max, 12.1);       // 12.9 > 11.8 + 1.0
    EXPECT_DOUBLE_EQ(range(ChartAxis::Temperature).max, 30);  // 30 = 20 + 10 is inside
    clearChart();
    apply({11.8, 2.0, 100, 19});
    EXPECT_DOUBLE_EQ(range(ChartAxis::Temperature).max, 24);
}

TEST_F(AxisScalerTest, VoltageMinimumIsLowestLessTwoTenthsNotBelowZero) {
    const struct {
        double lowest;
        Decimal expectedMin;
    } cases[] = {
        {0, Decimal()},  // all voltages 0: the axis is 0 to 0
        {0.1, Decimal()},
        {0.2, Decimal()},
        {0.25, Decimal::fromHundredths(5)},
        {12.6, Decimal::fromHundredths(1240)},
        {3.14159, Decimal::fromRaw(29416)},  // rounded to four decimals
    };
    for (const auto& c : cases) {
        clearChart();
        apply({c.lowest, 0, 0, 0});
        EXPECT_EQ(scaler.axisMinVolt(), c.expectedMin) << c.lowest;
        EXPECT_DOUBLE_EQ(range(ChartAxis::Left).min, c.expectedMin.toDouble());
        EXPECT_DOUBLE_EQ(range(ChartAxis::Left).max, c.lowest == 0 ? 0 : scaler.axisMaxVolt());
    }
}

}  // namespace
}  // namespace cellwatch
