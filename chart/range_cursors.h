// Two range cursors on the chart: vertical lines A and B, each labelled,
// standing at an elapsed time (the time axis's X, in days), so that they
// keep their place in the recording when the time axis moves.
//
// Switched on, they stand at 1/3 and 2/3 of the time axis's present range.
// The mouse: a left press within kGrabPixels of a line takes that cursor
// (A first when both are that near) and drags it until release; meanwhile
// the plot's own range drag is off (its interaction flags are restored on
// release), so a zoom and pan that drags the time axis never moves with it.
// Every other press is left to the plot. The keys, while the chart has the
// focus: Left and Right move the chosen cursor to the row before or after
// its own (one recorded sample: a row is what the statistics count, so one
// key press always changes the span by exactly one row); Tab chooses the
// other cursor, and so does a click on a line. The chosen cursor is drawn
// solid, the other dashed.
//
// Drawing: the lines and labels live on the chart's buffered overlay layer,
// so moving one repaints that layer only, whatever the number of points.
#pragma once

#include <QObject>
#include <QPointF>
#include <array>

#include <qcustomplot.h>

class QCPItemStraightLine;
class QCPItemText;

namespace cellwatch {

class ChartView;

class RangeCursors : public QObject {
    Q_OBJECT

public:
    static constexpr double kGrabPixels = 4;
    enum Cursor { A = 0, B = 1 };

    explicit RangeCursors(ChartView& chart, QObject* parent = nullptr);
    ~RangeCursors() override;

    RangeCursors(const RangeCursors&) = delete;
    RangeCursors& operator=(const RangeCursors&) = delete;

    void setActive(bool on);
    bool active() const { return active_; }

    double x(Cursor which) const { return x_[which]; }
    void setX(Cursor which, double x);
    Cursor chosen() const { return chosen_; }
    void choose(Cursor which);
    bool dragging() const { return dragging_ >= 0; }
    // The pixel of a cursor's line on the plot.
    double pixel(Cursor which) const;

    // Moves the chosen cursor to the point `steps` after (or before) its own.
    void stepChosen(int steps);

signals:
    // A cursor moved (by the mouse, the keys or setX), or they were switched on.
    void moved();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();
    void redraw();
    int cursorNear(double pixelX) const;
    void endDrag();

    ChartView& chart_;
    // The plot whose events are filtered, kept apart from the chart: while
    // the chart is being destroyed its plot's last events still come here.
    const QObject* plot_;
    std::array<QCPItemStraightLine*, 2> lines_{};
    std::array<QCPItemText*, 2> labels_{};
    std::array<double, 2> x_{};
    Cursor chosen_ = A;
    bool active_ = false;
    bool placed_ = false;  // placed once: switching on again keeps them where they were
    int dragging_ = -1;
    QCP::Interactions savedInteractions_;
    Qt::FocusPolicy savedFocus_ = Qt::NoFocus;
};

}  // namespace cellwatch
