// The cells pane: an axis rect of its own under the chart's plot, one curve
// per cell in use against the chart's time axis (zooming and panning the
// chart moves it too), in volts or as each cell's difference from the mean
// of the row's cells in mV. Off, the chart is exactly as it is without it.
//
// The curves are drawn from CellCurves' per-pixel-column envelope, so the
// pane costs the same at a million rows as at a thousand. While the chart's
// cross line is on, the pane shows the same vertical line.
//
// A key at the pane's top right names the cells in use in their colours; a
// click on a cell's entry hides its curve (and again shows it). The colours
// stay apart from each other and from the panel on the dark panel and on
// the light theme's white paper. The pane's share of the chart's height is
// set by dragging the gap between the plot and the pane (a splitter).
//
// Compared recordings (overlays) bring their cells too: each overlay's rows
// are curves of their own, against the same time axis (X each row's own
// elapsed time, as the overlay's four curves have it), read in the pane's
// mode. A compared cell has its cell's colour, fainter, thinner and in the
// overlay's dash pattern; the overlays are drawn under the pane's own curves
// and the value axis takes them in.
#pragma once

#include <QColor>
#include <QList>
#include <QObject>
#include <QString>
#include <array>
#include <memory>
#include <vector>

#include "analysis/cell_curves.h"

class QCPAxisRect;
class QCPItemStraightLine;
class QCPMarginGroup;

namespace cellwatch {

class CellGraph;
class CellKey;
class CellSplitter;
class ChartView;
class RangeRows;

class CellPane : public QObject {
    Q_OBJECT
public:
    static constexpr int kCells = CellCurves::kCells;

    explicit CellPane(ChartView& chart);
    ~CellPane() override;

    // The colour of a cell's curve (0-based; sixteen that tell apart on the
    // chart's dark panel, and sixteen others on the light theme's white).
    static QColor cellColour(int cell, bool light = false);

    // The light theme (white paper): the curves' and the key's colours.
    void setLightTheme(bool light);
    bool lightTheme() const { return light_; }
    // A hidden cell's curve is not drawn (its key entry is faint) and the
    // value axis leaves it out. Kept while the pane is off.
    void setCellHidden(int cell, bool hidden);
    bool cellHidden(int cell) const;
    CellKey* key() const { return key_.get(); }

    // The pane's share of the height of plot and pane together (a
    // fraction, kept within kMinShare..kMaxShare).
    static constexpr double kDefaultShare = 0.38;
    static constexpr double kMinShare = 0.15;
    static constexpr double kMaxShare = 0.75;
    void setShare(double share);
    double share() const { return share_; }
    // Plot pixels: whether `y` is on the gap between plot and pane (where a
    // drag moves the split).
    bool onSplitter(double y) const;

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

    // Another recording's rows laid over the pane's own, its cells drawn
    // with `dashes` (in units of the pen width); returns its index.
    int addOverlay(std::shared_ptr<RangeRows> rows, const QList<qreal>& dashes);
    // Removes one (an index out of range does nothing); those after it move
    // down by one.
    void removeOverlay(int index);
    void clearOverlays();
    int overlayCount() const { return static_cast<int>(overlays_.size()); }
    const CellCurves& overlayCurves(int index) const;
    // While shown: a cell's graph (0-based) of an overlay; nullptr out of range.
    CellGraph* overlayGraph(int index, int cell) const;

    void setCrossLine(bool on);
    // The value axis fitted to what the cells shown hold.
    void fitValueAxis();

signals:
    // The user dragged the split to a new share (when the drag ends).
    void shareChanged(double share);
    void cellHiddenChanged(int cell, bool hidden);

private:
    struct Overlay {
        std::shared_ptr<RangeRows> source;
        std::unique_ptr<CellCurves> curves;
        QList<qreal> dashes;
        std::array<CellGraph*, kCells> graphs{};
    };

    // The chart's language changed: the axis title follows.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void retranslate();
    void build();
    void makeOverlayGraphs(Overlay& overlay);
    void removeOverlayGraphs(Overlay& overlay);
    static void readRows(RangeRows& rows, CellCurves& curves);
    void tearDown();
    void followMouse(int x);
    void reloadAll();
    void applyShare();
    void repaintCells();
    void updateKey();

    ChartView& chart_;
    std::unique_ptr<CellCurves> curves_;
    std::shared_ptr<RangeRows> source_;
    QCPAxisRect* rect_ = nullptr;
    QCPMarginGroup* margins_ = nullptr;
    std::array<CellGraph*, kCells> graphs_{};
    std::vector<Overlay> overlays_;
    QCPItemStraightLine* cross_ = nullptr;
    bool crossOn_ = false;
    bool light_ = false;
    std::array<bool, kCells> hidden_{};
    std::unique_ptr<CellKey> key_;
    int cellRow_ = 0;  // the pane's row of the plot's layout
    double share_ = kDefaultShare;
    CellSplitter* splitter_ = nullptr;
};

}  // namespace cellwatch
