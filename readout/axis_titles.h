// The titles of the chart's four vertical axes, in English or Chinese, for
// every chart the program draws (the window's, a viewer's, a report's
// picture).
#pragma once

#include "readout/chart_surface.h"

namespace cellwatch {

void setChartAxisTitles(ChartSurface& chart, bool chinese);

}  // namespace cellwatch
