// A chart without a window: keeps points, ranges, titles and the cursor in
// plain containers and records every axis range it is given, in order.
#pragma once

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "chart/chart_surface.h"

namespace cellwatch::testing {

namespace detail {
template <typename Array>
auto& at(Array& array, int index) {
    return array[static_cast<std::size_t>(index)];
}
template <typename Array>
auto& at(Array& array, ChartAxis axis) {
    return array[static_cast<std::size_t>(axis)];
}
}  // namespace detail

class FakeChart : public ChartSurface {
public:
    struct RangeCall {
        ChartAxis axis;
        double min;
        double max;
    };

    // Chart pixels per day of elapsed time, for xAtPixel.
    double pixelsPerDay = 86400.0;

    std::array<std::vector<std::pair<double, double>>, kSeriesCount> points;
    std::array<bool, kSeriesCount> active{true, true, true, true};
    std::array<AxisRange, 5> ranges{};
    std::array<QString, 5> titles;
    QStringList title{QString()};
    bool cursor = false;
    bool autoRepaint = true;
    int repaints = 0;
    std::vector<RangeCall> rangeCalls;

    void addPoint(int series, double x, double y) override {
        detail::at(points, series).emplace_back(x, y);
    }
    void clearSeries(int series) override { detail::at(points, series).clear(); }
    void setSeriesActive(int series, bool on) override { detail::at(active, series) = on; }
    bool seriesActive(int series) const override { return detail::at(active, series); }
    std::size_t pointCount(int series) const override { return detail::at(points, series).size(); }
    double pointX(int series, std::size_t index) const override {
        const auto& p = detail::at(points, series);
        return index < p.size() ? p[index].first : 0;
    }

    void setAxisRange(ChartAxis axis, double min, double max) override {
        detail::at(ranges, axis) = {min, max};
        rangeCalls.push_back({axis, min, max});
    }
    AxisRange axisRange(ChartAxis axis) const override { return detail::at(ranges, axis); }
    double dataMax(ChartAxis axis) const override { return extreme(axis, true); }
    double dataMin(ChartAxis axis) const override { return extreme(axis, false); }
    void setAxisTitle(ChartAxis axis, const QString& text) override {
        detail::at(titles, axis) = text;
    }
    QString axisTitle(ChartAxis axis) const override { return detail::at(titles, axis); }

    void removeTitleLine(int index) override {
        if (index >= 0 && index < title.size()) {
            title.removeAt(index);
        }
    }
    void clearTitle() override { title.clear(); }
    void addTitleLine(const QString& text) override { title.append(text); }
    QStringList titleLines() const override { return title; }

    void setCursorActive(bool on) override { cursor = on; }
    bool cursorActive() const override { return cursor; }

    double xAtPixel(double pixelX) const override { return pixelX / pixelsPerDay; }

    void repaint() override { ++repaints; }
    void setAutoRepaint(bool on) override { autoRepaint = on; }

private:
    // Largest or smallest Y of the series on a vertical axis, or X of all
    // series for the bottom axis; 0 without points.
    double extreme(ChartAxis axis, bool largest) const {
        bool any = false;
        double result = 0;
        for (int series = 0; series < kSeriesCount; ++series) {
            if (axis != ChartAxis::Bottom && axisOfSeries(series) != axis) {
                continue;
            }
            for (const auto& [x, y] : detail::at(points, series)) {
                const double v = axis == ChartAxis::Bottom ? x : y;
                result = !any ? v : largest ? std::max(result, v) : std::min(result, v);
                any = true;
            }
        }
        return result;
    }
};

}  // namespace cellwatch::testing
