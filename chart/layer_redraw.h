// Drawing one of QCustomPlot's buffered layers again without repainting the
// plot: QCustomPlot's own layer replot repaints the whole widget, where the
// chart repaints only the strips new points changed.
#pragma once

class QCPLayer;
class QCustomPlot;

namespace cellwatch {

// Draws a buffered layer's paint buffer anew without repainting the plot;
// false when it needs a full replot instead (no buffer of its own yet, or
// buffers to be set up again after a resize or a layer change).
bool redrawLayerBuffer(QCustomPlot* plot, QCPLayer* layer);

}  // namespace cellwatch
