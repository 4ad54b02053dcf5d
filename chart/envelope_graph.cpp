#include "chart/envelope_graph.h"

namespace cellwatch {

EnvelopeGraph::EnvelopeGraph(QCPAxis* valueAxis)
    : QCPGraph(valueAxis->axisRect()->axis(QCPAxis::atBottom), valueAxis) {
    setLineStyle(QCPGraph::lsLine);
    setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssNone));
    setSelectable(QCP::stNone);
}

void EnvelopeGraph::draw(QCPPainter* painter) {
    QCPAxis* key = keyAxis();
    QCPAxis* value = valueAxis();
    if (key == nullptr || value == nullptr || key->range().size() <= 0) {
        return;
    }
    const QCPRange range = key->range();
    const double ratio =
        painter->device() != nullptr ? painter->device()->devicePixelRatioF() : 1.0;
    const int columns = static_cast<int>(key->axisRect()->width() * ratio);
    points_.setView(range.lower, range.upper, columns);
    if (points_.changed()) {
        points_.lines(shown_);
    }
    painter->setPen(pen());
    painter->setBrush(Qt::NoBrush);
    applyDefaultAntialiasingHint(painter);
    for (const CurveLine& line : shown_) {
        if (line.size() < 2) {
            continue;  // a single point draws no line
        }
        pixels_.resize(static_cast<qsizetype>(line.size()));
        for (std::size_t i = 0; i < line.size(); ++i) {
            pixels_[static_cast<qsizetype>(i)] =
                QPointF(key->coordToPixel(line[i].x), value->coordToPixel(line[i].y));
        }
        drawPolyline(painter, pixels_);  // breaks the line at NaN values
    }
}

}  // namespace cellwatch
