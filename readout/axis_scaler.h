// Fits the four vertical axes to the data drawn against them after every
// sample. Each axis keeps its maximum until the data maximum leaves a band
// below it, so the axes neither jitter nor stay far above the data:
//
//   axis         kept while the maximum lies in   otherwise set to
//   voltage      m .. m + 1.0                     m + 0.3
//   current      m .. m + 0.3                     m + 0.2
//   capacity     m .. m * 1.5                     m * 1.2 + 5
//   temperature  m .. m + 10                      m + 5
//
// (m: the axis's data maximum; both ends of a band count as inside). The
// voltage axis starts 0.2 below the lowest voltage (at 0 at the lowest),
// the other axes at 0. The time axis is not touched.
#pragma once

#include "protocol/decimal.h"
#include "readout/chart_surface.h"

namespace cellwatch {

class AxisScaler {
public:
    // All maxima and the voltage minimum back to 0 (at connect).
    void reset();

    // Updates the maxima from the data maxima of the four curves and the
    // voltage's minimum (0 for a curve without values).
    void scale(double voltageMax, double voltageMin, double currentMax, double capacityMax,
               double temperatureMax);
    // Sets all four vertical axes, each with both bounds in one call.
    void applyTo(ChartSurface& chart) const;
    // Both, from the chart's own data maxima and minimum.
    void scaleAxes(ChartSurface& chart);

    double axisMaxVolt() const { return axisMaxVolt_; }
    Decimal axisMinVolt() const { return axisMinVolt_; }
    double axisMaxCurr() const { return axisMaxCurr_; }
    double axisMaxCap() const { return axisMaxCap_; }
    double axisMaxTemp() const { return axisMaxTemp_; }

private:
    double axisMaxVolt_ = 0;
    Decimal axisMinVolt_;  // four decimals
    double axisMaxCurr_ = 0;
    double axisMaxCap_ = 0;
    double axisMaxTemp_ = 0;
};

}  // namespace cellwatch
