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

// The main axis rect. Its right margin holds the right axis and, pushed out
// past it, the axes of the two stacked rects in its inset layout.
class ChartAxisRect : public QCPAxisRect {
public:
    explicit ChartAxisRect(QCustomPlot* plot) : QCPAxisRect(plot, true) {}

    void setStackedRects(std::array<QCPAxisRect*, 2> rects) { stacked_ = rects; }

protected:
    int calculateAutoMargin(QCP::MarginSide side) override;

private:
    std::array<QCPAxisRect*, 2> stacked_{};
};

}  // namespace cellwatch
