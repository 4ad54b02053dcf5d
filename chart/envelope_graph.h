// A line graph that holds all its points in an envelope and draws only what
// the present width and time range can show (about four points per pixel
// column for each stretch of the curve that reaches into the range).
//
// It draws each stretch of the curve as a polyline of its own: QCustomPlot
// keeps a graph's points sorted by X, which would join overlapping
// stretches, and its per-call cost would make many short stretches slow. No
// line runs back from the end of one stretch to the start of the next.
#pragma once

#include <qcustomplot.h>

#include <vector>

#include "chart/series_envelope.h"

namespace cellwatch {

class EnvelopeGraph : public QCPGraph {
public:
    // A plain line, no scatter points, not selectable, against the time
    // axis (the bottom axis) of `valueAxis`'s own axis rect.
    explicit EnvelopeGraph(QCPAxis* valueAxis);

    SeriesEnvelope& points() { return points_; }
    const SeriesEnvelope& points() const { return points_; }

protected:
    void draw(QCPPainter* painter) override;

private:
    SeriesEnvelope points_;
    std::vector<CurveLine> shown_;
    QVector<QPointF> pixels_;
};

}  // namespace cellwatch
