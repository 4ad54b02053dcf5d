// The chart's axes: how the time and value axes label their ticks, how an
// axis is styled, and the main axis rect that makes room for the stacked
// axes in its right margin.
#pragma once

#include <qcustomplot.h>
#include <QColor>
#include <QSharedPointer>
#include <QString>
#include <array>

namespace cellwatch {

// The time axis counts in days, as the table's time stamps do.
inline constexpr double kSecondsPerDay = 86400.0;

// Time axis labels: X is in days; "h:mm:ss" at steps of whole seconds,
// minutes or hours.
QSharedPointer<QCPAxisTicker> elapsedTicker();
// Value axis labels at whole multiples of `labelStep` only.
QSharedPointer<QCPAxisTicker> wholeStepTicker(double labelStep);

void styleAxis(QCPAxis* axis, const QColor& lineColour, const QColor& labelColour,
               const QString& title, const QSharedPointer<QCPAxisTicker>& ticker);

// Each visible value axis of `plot`, as now laid out, asks for fewer ticks
// than its ticker's usual five while two of its labels would lie on one
// another (a low plot), and for the five again once it has the height. Run
// after the layout, before the axes are drawn.
void fitTickCounts(QCustomPlot* plot);

// The main axis rect. Its right margin holds the right axis and, pushed out
// past it, the axes of the two stacked rects in its inset layout: capacity
// over the upper part of the plot's height and temperature over the lower,
// a gap of at least a tick label's height (and 3 % of the height) between
// them, so that no label of one lies on a label of the other. When the plot
// is too low for each title to fit along its half, the two stand side by
// side instead, each over the whole height (temperature outside).
class ChartAxisRect : public QCPAxisRect {
public:
    explicit ChartAxisRect(QCustomPlot* plot) : QCPAxisRect(plot, true) {}

    void setStackedRects(std::array<QCPAxisRect*, 2> rects) { stacked_ = rects; }
    bool sideBySide() const { return sideBySide_; }

    void update(UpdatePhase phase) override;

protected:
    int calculateAutoMargin(QCP::MarginSide side) override;

private:
    // Whether the stacked axes fit one above the other over `height` pixels.
    bool fitsStacked(int height) const;
    int gapPixels(int height) const;

    std::array<QCPAxisRect*, 2> stacked_{};
    bool sideBySide_ = false;
    bool settling_ = false;
};

}  // namespace cellwatch
