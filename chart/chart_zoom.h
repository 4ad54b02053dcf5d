// Zooming and panning a ChartView with the mouse, and a scroll bar under it
// that shows which part of the whole time range is in view.
//
// While enabled:
// - the mouse wheel zooms the time axis around the pointer: the time under
//   the pointer stays under it. With Ctrl held it zooms all four value axes
//   (voltage, current, capacity, temperature) around the pointer's height
//   instead, whichever of the stacked plots the pointer is over, so the
//   curves keep their places against each other. Over an axis's own labels
//   the wheel zooms that axis alone.
// - a left drag pans the time axis; with Ctrl held it pans the value axes
//   as well. A left press that a range cursor takes (it clears
//   QCP::iRangeDrag from the plot's interactions while it drags) does not
//   pan.
// - a double-click or the Home key (with the focus on the chart) shows the
//   whole recording again: the ranges the recording last asked for.
// - dragging the scroll bar moves the visible time span along the whole.
//
// The work is QCustomPlot's own range drag and zoom: all three axis rects
// (the main one and the stacked capacity and temperature rects in its
// inset layout) drag and zoom the main rect's bottom axis, which the stacked
// rects' key axes follow, so every curve keeps to one time axis. Zooming
// replots at once and panning on the next pass of the event loop, not
// behind the chart's replot throttle; the curves draw from their per-column
// envelopes, so a view costs the same at a million points.
//
// Following and holding: as long as the user has not zoomed or panned, the
// chart follows the ranges the recording sets (a live recording's time axis
// grows, its value axes rescale). The first zoom or pan holds the view
// (ChartView::setViewHeld): the ranges the recording asks for from then on
// are kept but not shown, and showWhole() (Home) shows them and follows
// again. Disabling also follows again at once.
#pragma once

#include <QObject>
#include <QPoint>
#include <array>

class QCPAxis;
class QCPAxisRect;
class QScrollBar;

namespace cellwatch {

class ChartView;

class ChartZoom : public QObject {
    Q_OBJECT

public:
    // The factor of the visible span per wheel step (120 eighths of a
    // degree) towards the pointer; a step back divides by it.
    static constexpr double kWheelStepFactor = 0.85;
    // The narrowest time span the wheel zooms in to: one second, in days.
    static constexpr double kMinTimeSpan = 1.0 / 86400.0;
    // The scroll bar's steps over the whole time range.
    static constexpr int kScrollSteps = 10000;

    // Attaches to `chart` (and lives as long as it); disabled as created.
    explicit ChartZoom(ChartView& chart);

    void setEnabled(bool on);
    bool enabled() const { return enabled_; }

    // True while the chart shows the ranges the recording asks for.
    bool following() const;
    // Shows the whole recording (the ranges last asked for) and follows it.
    void showWhole();

    // What a wheel step or a drag does, for the keyboard and the benchmark:
    // zooms the time span by `factor` around the time `centre`, or moves it
    // by `days`. Both hold the view and replot at once.
    void zoomTime(double factor, double centre);
    void panTime(double days);

    // The span of time the scroll bar stands for: what the recording asks
    // for, widened to every point of it.
    double wholeLower() const;
    double wholeUpper() const;

    QScrollBar* scrollBar() const { return bar_; }

signals:
    // The view was zoomed, panned or shown whole by the user.
    void viewChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void hold();
    void updateBar();
    void scrollTo(int value);
    bool canZoom(QCPAxis* axis, double factor) const;

    ChartView& chart_;
    // The plot whose events are filtered, kept apart from the chart: while
    // the chart is being destroyed its plot's last events still come here.
    const QObject* plot_;
    QCPAxis* time_ = nullptr;
    // The main rect and the stacked capacity and temperature rects.
    std::array<QCPAxisRect*, 3> rects_{};
    QScrollBar* bar_ = nullptr;
    bool enabled_ = false;
    QPoint pressedAt_;
    bool pressed_ = false;
};

}  // namespace cellwatch
