// The mouse over the cells pane's plot: a click on a key entry hides or
// shows its cell, and a drag on the gap between plot and pane moves the
// split (the pointer shows the splitter's shape over the gap). It looks at
// the plot's mouse events ahead of the zoom and the range cursors, and
// takes only those that are its own.
#pragma once

#include <QObject>

namespace cellwatch {

class CellPane;
class ChartView;

class CellSplitter final : public QObject {
    Q_OBJECT
public:
    CellSplitter(ChartView& chart, CellPane& pane);

    bool dragging() const { return dragging_; }
    // The pane goes: no drag, no splitter pointer.
    void reset();

signals:
    // A drag ended at this share.
    void dragged(double share);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showSplitterPointer(bool on);

    ChartView& chart_;
    CellPane& pane_;
    QObject* plot_;  // the chart's plot, whose events come here
    bool dragging_ = false;
    bool pointerSet_ = false;
};

}  // namespace cellwatch
