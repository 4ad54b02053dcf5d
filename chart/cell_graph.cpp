#include "chart/cell_graph.h"

namespace cellwatch {

CellGraph::CellGraph(QCPAxisRect* rect, const CellCurves& curves, int cell)
    : QCPGraph(rect->axis(QCPAxis::atBottom), rect->axis(QCPAxis::atLeft)),
      curves_(curves),
      cell_(cell) {
    setLineStyle(QCPGraph::lsLine);
    setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssNone));
    setSelectable(QCP::stNone);
}

void CellGraph::draw(QCPPainter* painter) {
    QCPAxis* key = keyAxis();
    QCPAxis* value = valueAxis();
    shown_.clear();
    if (key == nullptr || value == nullptr || key->range().size() <= 0 ||
        cell_ >= curves_.cellCount()) {
        return;
    }
    const QCPRange range = key->range();
    const double ratio =
        painter->device() != nullptr ? painter->device()->devicePixelRatioF() : 1.0;
    const int columns = std::max(1, static_cast<int>(key->axisRect()->width() * ratio));
    curves_.envelope(cell_, range.lower, range.upper, columns, shown_);
    // Both axes are linear: a point's pixel is a scale and an offset away
    // (the axes' own conversion, point by point, cost as much as the drawing).
    const double keyAt = key->coordToPixel(0);
    const double keyScale = key->coordToPixel(1) - keyAt;
    const double valueAt = value->coordToPixel(0);
    const double valueScale = value->coordToPixel(1) - valueAt;
    painter->setPen(pen());
    painter->setBrush(Qt::NoBrush);
    // A line of more than two points a pixel column is the envelope's
    // strokes, which look the same without antialiasing at a third of its
    // cost (twelve of them at a million rows each); sparser lines keep it.
    const auto dense = static_cast<std::size_t>(2 * columns);
    for (const CellLine& line : shown_) {
        if (line.size() < 2) {
            continue;
        }
        if (line.size() > dense) {
            painter->setAntialiasing(false);
        } else {
            applyDefaultAntialiasingHint(painter);
        }
        pixels_.resize(static_cast<qsizetype>(line.size()));
        for (std::size_t i = 0; i < line.size(); ++i) {
            pixels_[static_cast<qsizetype>(i)] =
                QPointF(keyAt + keyScale * line[i].x, valueAt + valueScale * line[i].y);
        }
        drawPolyline(painter, pixels_);
    }
}

}  // namespace cellwatch
