// A chart without a window that keeps no points: only what the recording
// reads back (point counts, the last X, each axis's data maximum and
// minimum, ranges, titles). A headless recording runs for days on it in
// constant memory.
#pragma once

#include <array>
#include <limits>

#include "readout/chart_surface.h"

namespace cellwatch {

class SummaryChart final : public ChartSurface {
public:
    void addPoint(int series, double x, double y) override;
    void clearSeries(int series) override;
    void setSeriesActive(int series, bool active) override;
    bool seriesActive(int series) const override;
    std::size_t pointCount(int series) const override;
    // Only the last point's X is known; any index answers it.
    double pointX(int series, std::size_t index) const override;
    // Where X fell back is not kept.
    std::vector<std::size_t> stretchStarts(int) const override { return {}; }

    void setAxisRange(ChartAxis axis, double min, double max) override;
    AxisRange axisRange(ChartAxis axis) const override;
    double dataMax(ChartAxis axis) const override;
    double dataMin(ChartAxis axis) const override;
    void setAxisTitle(ChartAxis axis, const QString& title) override;
    QString axisTitle(ChartAxis axis) const override;

    void removeTitleLine(int index) override;
    void clearTitle() override { title_.clear(); }
    void addTitleLine(const QString& text) override { title_.append(text); }
    QStringList titleLines() const override { return title_; }

    void setCursorActive(bool active) override { cursor_ = active; }
    bool cursorActive() const override { return cursor_; }
    double xAtPixel(double) const override { return 0; }
    void repaint() override {}
    void setAutoRepaint(bool) override {}

private:
    struct Series {
        std::size_t count = 0;
        double lastX = 0;
        double maxY = -std::numeric_limits<double>::infinity();
        double minY = std::numeric_limits<double>::infinity();
        bool active = true;
    };

    std::array<Series, kSeriesCount> series_{};
    std::array<AxisRange, 5> ranges_{};
    std::array<QString, 5> titles_{};
    QStringList title_{QString()};
    bool cursor_ = false;
};

}  // namespace cellwatch
