// The chart's plot as it is built once: the title row over the main axis
// rect, the capacity and temperature axis rects stacked in its inset, the
// four curves on a buffered layer of their own between the grid and the
// axes, and the two cursor lines on the buffered overlay layer, hidden.
#pragma once

#include <qcustomplot.h>
#include <array>

#include "chart/chart_axes.h"
#include "readout/chart_surface.h"

namespace cellwatch {

class EnvelopeGraph;

struct ChartPlotParts {
    ChartAxisRect* mainRect = nullptr;
    QCPTextElement* title = nullptr;
    std::array<QCPAxisRect*, 2> stackedRects{};  // capacity, temperature
    std::array<EnvelopeGraph*, kSeriesCount> graphs{};
    QCPLayer* curves = nullptr;
    QCPItemStraightLine* cursorVertical = nullptr;
    QCPItemStraightLine* cursorHorizontal = nullptr;
};

// One of the chart's five axes: time, voltage, current on the main rect, the
// capacity and temperature axes on the stacked rects.
QCPAxis* chartAxis(QCPAxisRect* mainRect, const std::array<QCPAxisRect*, 2>& stackedRects,
                   ChartAxis which);

// Replaces the plot's default layout (and its legend) by the chart's;
// `font` is the widget's, the title's size is set here.
ChartPlotParts buildChartPlot(QCustomPlot* plot, const QFont& font);

}  // namespace cellwatch
