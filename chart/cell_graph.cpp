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
    painter->setPen(pen());
    painter->setBrush(Qt::NoBrush);
    applyDefaultAntialiasingHint(painter);
    for (const CellLine& line : shown_) {
        if (line.size() < 2) {
            continue;
        }
        pixels_.resize(static_cast<qsizetype>(line.size()));
        for (std::size_t i = 0; i < line.size(); ++i) {
            pixels_[static_cast<qsizetype>(i)] =
                QPointF(key->coordToPixel(line[i].x), value->coordToPixel(line[i].y));
        }
        drawPolyline(painter, pixels_);
    }
}

}  // namespace cellwatch
