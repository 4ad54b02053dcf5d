// What the rest of the program does with the chart: four line series on
// their own vertical axes against elapsed time (in days), fixed axis ranges,
// a title of text lines, and the cross-line cursor. The window's chart
// (QCustomPlot) implements it; a recording draws on it through the chart
// view it is given (RecordingChart, readout/recording_views.h).
//
// Series and axes by index:
//   series 0 battery voltage -> Left axis
//   series 1 current         -> Right axis
//   series 2 capacity        -> Capacity axis (custom axis 0, upper right)
//   series 3 temperature     -> Temperature axis (custom axis 1, lower right)
//
// X values are appended in ascending order, except where the recording's
// time origin moves to the present (a late message): a point whose X is
// below the one before it starts a new stretch of the curve, drawn as a line
// of its own. The data maximum and minimum of an axis are kept as points are
// appended, so reading them never scans the points.
#pragma once

#include <QString>
#include <QStringList>
#include <cstddef>
#include <vector>

namespace cellwatch {

enum class ChartAxis { Bottom, Left, Right, Capacity, Temperature };

inline constexpr int kSeriesCount = 4;
inline constexpr int kSeriesVoltage = 0;
inline constexpr int kSeriesCurrent = 1;
inline constexpr int kSeriesCapacity = 2;
inline constexpr int kSeriesTemperature = 3;

// The vertical axis a series is drawn against.
constexpr ChartAxis axisOfSeries(int series) {
    switch (series) {
        case kSeriesVoltage:
            return ChartAxis::Left;
        case kSeriesCurrent:
            return ChartAxis::Right;
        case kSeriesCapacity:
            return ChartAxis::Capacity;
        default:
            return ChartAxis::Temperature;
    }
}

// The series drawn against a vertical axis; -1 for the time axis.
constexpr int seriesOfAxis(ChartAxis axis) {
    switch (axis) {
        case ChartAxis::Left:
            return kSeriesVoltage;
        case ChartAxis::Right:
            return kSeriesCurrent;
        case ChartAxis::Capacity:
            return kSeriesCapacity;
        case ChartAxis::Temperature:
            return kSeriesTemperature;
        default:
            return -1;
    }
}

struct AxisRange {
    double min = 0;
    double max = 0;
};

class ChartSurface {
public:
    virtual ~ChartSurface() = default;

    // Series.
    virtual void addPoint(int series, double x, double y) = 0;
    virtual void clearSeries(int series) = 0;
    virtual void setSeriesActive(int series, bool active) = 0;  // inactive: hidden, still fed
    virtual bool seriesActive(int series) const = 0;
    virtual std::size_t pointCount(int series) const = 0;
    virtual double pointX(int series, std::size_t index) const = 0;
    // The index of every point whose X is below the X of the point before
    // it (the first point of each stretch but the first), ascending. Found
    // here by reading every X; a chart that keeps its stretches answers
    // without that scan.
    virtual std::vector<std::size_t> stretchStarts(int series) const {
        std::vector<std::size_t> starts;
        const std::size_t count = pointCount(series);
        for (std::size_t k = 1; k < count; ++k) {
            if (pointX(series, k) < pointX(series, k - 1)) {
                starts.push_back(k);
            }
        }
        return starts;
    }

    // Axes. The data maximum of a vertical axis is the largest Y of the
    // series drawn against it (0 when it has no points); the data minimum
    // likewise the smallest.
    virtual void setAxisRange(ChartAxis axis, double min, double max) = 0;
    virtual AxisRange axisRange(ChartAxis axis) const = 0;
    virtual double dataMax(ChartAxis axis) const = 0;
    virtual double dataMin(ChartAxis axis) const = 0;
    virtual void setAxisTitle(ChartAxis axis, const QString& title) = 0;
    virtual QString axisTitle(ChartAxis axis) const = 0;

    // Title text lines.
    virtual void removeTitleLine(int index) = 0;  // an index out of range does nothing
    virtual void clearTitle() = 0;
    virtual void addTitleLine(const QString& text) = 0;
    virtual QStringList titleLines() const = 0;

    // The cross-line cursor (off as created; drawn only while active).
    virtual void setCursorActive(bool active) = 0;
    virtual bool cursorActive() const = 0;

    // The elapsed time (days) under a horizontal pixel position of the chart.
    virtual double xAtPixel(double pixelX) const = 0;

    // Repaint now (the "Refresh" command); normal changes repaint by themselves.
    virtual void repaint() = 0;
    // The switch a reset turns on at its end: drawing follows changes again.
    virtual void setAutoRepaint(bool on) = 0;
};

}  // namespace cellwatch
