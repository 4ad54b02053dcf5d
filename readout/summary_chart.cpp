#include "readout/summary_chart.h"

#include <algorithm>

namespace cellwatch {

void SummaryChart::addPoint(int series, double x, double y) {
    if (series < 0 || series >= kSeriesCount) {
        return;
    }
    Series& s = series_[static_cast<std::size_t>(series)];
    s.lastX = x;
    s.maxY = std::max(s.maxY, y);
    s.minY = std::min(s.minY, y);
    ++s.count;
}

void SummaryChart::clearSeries(int series) {
    if (series >= 0 && series < kSeriesCount) {
        const bool active = series_[static_cast<std::size_t>(series)].active;
        series_[static_cast<std::size_t>(series)] = Series{};
        series_[static_cast<std::size_t>(series)].active = active;
    }
}

void SummaryChart::setSeriesActive(int series, bool active) {
    if (series >= 0 && series < kSeriesCount) {
        series_[static_cast<std::size_t>(series)].active = active;
    }
}

bool SummaryChart::seriesActive(int series) const {
    return series >= 0 && series < kSeriesCount && series_[static_cast<std::size_t>(series)].active;
}

std::size_t SummaryChart::pointCount(int series) const {
    return series >= 0 && series < kSeriesCount ? series_[static_cast<std::size_t>(series)].count
                                                : 0;
}

double SummaryChart::pointX(int series, std::size_t) const {
    return series >= 0 && series < kSeriesCount ? series_[static_cast<std::size_t>(series)].lastX
                                                : 0;
}

void SummaryChart::setAxisRange(ChartAxis axis, double min, double max) {
    ranges_[static_cast<std::size_t>(axis)] = {min, max};
}

AxisRange SummaryChart::axisRange(ChartAxis axis) const {
    return ranges_[static_cast<std::size_t>(axis)];
}

double SummaryChart::dataMax(ChartAxis axis) const {
    const int s = seriesOfAxis(axis);
    if (s < 0 || series_[static_cast<std::size_t>(s)].count == 0) {
        return 0;
    }
    return series_[static_cast<std::size_t>(s)].maxY;
}

double SummaryChart::dataMin(ChartAxis axis) const {
    const int s = seriesOfAxis(axis);
    if (s < 0 || series_[static_cast<std::size_t>(s)].count == 0) {
        return 0;
    }
    return series_[static_cast<std::size_t>(s)].minY;
}

void SummaryChart::setAxisTitle(ChartAxis axis, const QString& title) {
    titles_[static_cast<std::size_t>(axis)] = title;
}

QString SummaryChart::axisTitle(ChartAxis axis) const {
    return titles_[static_cast<std::size_t>(axis)];
}

void SummaryChart::removeTitleLine(int index) {
    if (index >= 0 && index < title_.size()) {
        title_.removeAt(index);
    }
}

}  // namespace cellwatch
