// The cells pane: an axis rect of its own under the chart's plot, one curve
// per cell in use against the chart's time axis (zooming and panning the
// chart moves it too), in volts or as each cell's difference from the mean
// of the row's cells in mV. Off, the chart is exactly as it is without it.
//
// The curves are drawn from CellCurves' per-pixel-column envelope, so the
// pane costs the same at a million rows as at a thousand. While the chart's
// cross line is on, the pane shows the same vertical line.
#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <memory>

#include "analysis/cell_curves.h"

class QCPAxisRect;
class QCPItemStraightLine;
class QCPMarginGroup;

namespace cellwatch {

class CellGraph;
class ChartView;
class RangeRows;

class CellPane : public QObject {
    Q_OBJECT
public:
    static constexpr int kCells = CellCurves::kCells;

    explicit CellPane(ChartView& chart);
    ~CellPane() override;

    // The colour of a cell's curve (0-based; twelve that tell apart on the
    // chart's dark panel).
    static QColor cellColour(int cell);

    void setShown(bool on);
    bool shown() const { return rect_ != nullptr; }
    // Volts or the difference from the mean; the curves are read again from
    // the rows last loaded.
    void setMode(CellCurveMode mode);
    CellCurveMode mode() const { return curves_->mode(); }

    // Every row of a recording, anew (kept as the source for a mode change).
    void load(std::shared_ptr<RangeRows> rows);
    // Rows of the source loaded that came since (a live recording).
    void catchUp();
    const CellCurves& curves() const { return *curves_; }

    // While shown: the pane's axis rect, a cell's graph (0-based), the
    // cross line's part in the pane.
    QCPAxisRect* rect() const { return rect_; }
    CellGraph* graph(int cell) const;
    QCPItemStraightLine* crossLine() const { return cross_; }

    void setCrossLine(bool on);
    void setLanguage(bool chinese);
    // The value axis fitted to what the cells hold.
    void fitValueAxis();

private:
    void build();
    void tearDown();
    void followMouse(int x);
    void reloadAll();

    ChartView& chart_;
    std::unique_ptr<CellCurves> curves_;
    std::shared_ptr<RangeRows> source_;
    QCPAxisRect* rect_ = nullptr;
    QCPMarginGroup* margins_ = nullptr;
    std::array<CellGraph*, kCells> graphs_{};
    QCPItemStraightLine* cross_ = nullptr;
    bool crossOn_ = false;
    bool chinese_ = false;
};

}  // namespace cellwatch
