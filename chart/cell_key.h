// The cells pane's key: a row of the cell numbers in use, each beside a
// stroke of its cell's colour, at the pane's top right (inside the plot, so
// that saving, printing and the report's picture show it too). A hidden
// cell's entry is drawn faint. The key reads the colours and what is hidden
// from the pane each time it draws.
#pragma once

#include <QColor>
#include <QPointF>
#include <functional>

class QCPAxisRect;
class QCPLegend;

namespace cellwatch {

class CellKey {
public:
    struct Look {
        std::function<QColor(int cell)> colour;
        std::function<bool(int cell)> hidden;
        std::function<bool()> light;  // the light theme's paper and ink
    };

    // Placed in `rect`'s inset layout (and deleted with it).
    CellKey(QCPAxisRect* rect, Look look);

    // One entry per cell 0..count-1.
    void setCells(int count);
    int cells() const { return cells_; }
    // The cell whose entry is at `pos` (plot pixels); -1 for none.
    int cellAt(QPointF pos) const;
    // Follows the theme: background and text.
    void restyle();
    QCPLegend* legend() const { return legend_; }

private:
    QCPLegend* legend_ = nullptr;
    Look look_;
    int cells_ = 0;
};

}  // namespace cellwatch
