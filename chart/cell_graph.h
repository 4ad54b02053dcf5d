// One cell's curve in the cells pane: drawn from the cell curves' per-pixel-
// column envelope for the present time range and width, so a million rows
// draw as quickly as a thousand. Each stretch of the recording is a line of
// its own, as the chart's own curves have it.
#pragma once

#include <qcustomplot.h>

#include <vector>

#include "analysis/cell_curves.h"

namespace cellwatch {

class CellGraph : public QCPGraph {
public:
    // Cell `cell` (0-based) of `curves`, against the bottom and left axes of
    // `rect`. The curves must outlive the graph.
    CellGraph(QCPAxisRect* rect, const CellCurves& curves, int cell);

    int cell() const { return cell_; }
    // The curves it draws from.
    const CellCurves& curves() const { return curves_; }
    // The lines drawn at the last draw, in plot coordinates.
    const std::vector<CellLine>& shownLines() const { return shown_; }

protected:
    void draw(QCPPainter* painter) override;

private:
    const CellCurves& curves_;
    int cell_;
    std::vector<CellLine> shown_;
    QVector<QPointF> pixels_;
};

}  // namespace cellwatch
