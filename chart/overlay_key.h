// What the chart's two kinds of overlay (other recordings, other channels)
// share: a layer of their own below the chart's curves, a key at the top left
// of the plot, and their extents.
#pragma once

#include <QString>

#include "readout/chart_surface.h"

class QCPLegend;

namespace cellwatch {

class ChartView;

// Makes the layer `layer` below the chart's curves (once) and a hidden key
// at the plot's top left, light on dark, with icons `iconWidth` wide.
QCPLegend* addOverlayKey(ChartView& chart, const QString& layer, int iconWidth);
// Takes the key out of the plot's layout (it is deleted with its inset).
void removeOverlayKey(QCPLegend* key);
// Widens `range` to take `value` in (`any`: whether it holds one yet); NaN
// leaves it as it is.
void widenRange(AxisRange& range, bool& any, double value);

}  // namespace cellwatch
