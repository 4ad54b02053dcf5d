#include "readout/axis_scaler.h"

#include <cmath>

namespace cellwatch {
namespace {

// The value rounded to four decimals, half away from zero; values beyond
// the range a Decimal holds comfortably are clamped.
Decimal toDecimal(double value) {
    constexpr double kLimit = 1e14;
    if (std::isnan(value)) {
        return Decimal();
    }
    const double clamped = std::fmax(-kLimit, std::fmin(kLimit, value));
    return Decimal::fromRaw(std::llround(clamped * static_cast<double>(Decimal::kScale)));
}

}  // namespace

void AxisScaler::reset() {
    *this = AxisScaler();
}

void AxisScaler::scaleAxes(ChartSurface& chart) {
    scale(chart.dataMax(ChartAxis::Left), chart.dataMin(ChartAxis::Left),
          chart.dataMax(ChartAxis::Right), chart.dataMax(ChartAxis::Capacity),
          chart.dataMax(ChartAxis::Temperature));
    applyTo(chart);
}

void AxisScaler::scale(double voltageMax, double voltageMin, double currentMax, double capacityMax,
                       double temperatureMax) {
    double m = voltageMax;
    if (axisMaxVolt_ < m || axisMaxVolt_ > m + 1.0) {
        axisMaxVolt_ = m + 0.3;
    }

    axisMinVolt_ = toDecimal(voltageMin - 0.2);
    if (axisMinVolt_ < Decimal()) {
        axisMinVolt_ = Decimal();
    }

    m = currentMax;
    if (axisMaxCurr_ < m || axisMaxCurr_ > m + 0.3) {
        axisMaxCurr_ = m + 0.2;
    }

    m = capacityMax;
    if (axisMaxCap_ < m || axisMaxCap_ > m * 1.5) {
        axisMaxCap_ = m * 1.2 + 5;
    }

    m = temperatureMax;
    if (axisMaxTemp_ < m || axisMaxTemp_ > m + 10) {
        axisMaxTemp_ = m + 5;
    }
}

void AxisScaler::applyTo(ChartSurface& chart) const {
    chart.setAxisRange(ChartAxis::Left, axisMinVolt_.toDouble(), axisMaxVolt_);
    chart.setAxisRange(ChartAxis::Right, 0, axisMaxCurr_);
    chart.setAxisRange(ChartAxis::Capacity, 0, axisMaxCap_);
    chart.setAxisRange(ChartAxis::Temperature, 0, axisMaxTemp_);
}

}  // namespace cellwatch
