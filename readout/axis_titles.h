// The titles of the chart's four vertical axes for every chart the program
// draws (the window's, a viewer's, a report's picture): English, or the
// translation installed (context "ChartAxes").
#pragma once

#include "readout/chart_surface.h"

namespace cellwatch {

void setChartAxisTitles(ChartSurface& chart);

}  // namespace cellwatch
