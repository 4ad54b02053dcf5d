// Other recordings drawn over the chart for comparison ("overlays").
//
// Each overlay has four curves placed as the chart's own: voltage on the
// left axis, current on the right axis, capacity and temperature on the two
// stacked right-hand axes, all against the same time axis. An overlay's X is
// its rows' own elapsed time, so every recording starts at X 0 however much
// later it was made, and the curves can be compared at the same time into
// the charge.
//
// Look: an overlay's curve has the hue of the chart's curve of the same
// quantity, at kOverlayAlpha of full opacity, kOverlayPenWidth wide (the
// chart's own curves are 1 pixel wide and opaque), and a dash pattern of its
// own (overlay slot 0 dashes, slot 1 dots, ...), so that several overlays
// can be told apart and from the recording itself. They are drawn below the
// chart's own curves. A legend at the top left of the plot names each
// overlay beside a sample of its voltage line; the caller gives the text.
//
// Cost: the points of each curve live in a SeriesEnvelope of their own, so
// a million-row overlay draws only about four points per pixel column, as
// the chart's own curves do.
//
// The curve switches: an overlay's curve shows while the chart's curve of
// the same quantity shows. The chart's data extremes (and with them the
// axis scaling) take in every overlay once attached (attach()).
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <array>
#include <optional>
#include <span>
#include <vector>

#include "readout/chart_surface.h"

class QCPGraph;
class QCustomPlot;
class QCPLegend;

namespace cellwatch {

class ChartView;
class EnvelopeGraph;
class SeriesEnvelope;

// The points of one overlay: per row its elapsed time in days and the four
// quantities in series order (voltage, current, capacity, temperature). A
// NaN value is a gap; a NaN time takes the row before's.
struct OverlayCurves {
    std::span<const double> days;
    std::array<std::span<const double>, kSeriesCount> values;
};

class ChartOverlays : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxOverlays = 8;
    static constexpr int kOverlayAlpha = 150;  // of 255
    static constexpr double kOverlayPenWidth = 0.8;

    // Draws on `view`, which must outlive this; the chart's data extremes
    // take in the overlays from now on.
    explicit ChartOverlays(ChartView& view, QObject* parent = nullptr);
    ~ChartOverlays() override;

    ChartOverlays(const ChartOverlays&) = delete;
    ChartOverlays& operator=(const ChartOverlays&) = delete;

    // Adds an overlay at the end; returns its index, or -1 when
    // kMaxOverlays are shown already (nothing is added then). Series whose
    // value list is shorter than `days` take the missing values as gaps.
    int add(const QString& legendText, const OverlayCurves& curves);
    // Removes one (an index out of range does nothing); those after it move
    // down by one and keep their look.
    void remove(int index);
    void clear();

    int count() const { return static_cast<int>(overlays_.size()); }
    QString legendText(int index) const;
    void setLegendText(int index, const QString& text);

    // The graph of one curve of an overlay; nullptr out of range.
    QCPGraph* graph(int index, int series) const;
    // The points of one curve of an overlay; nullptr out of range.
    const SeriesEnvelope* points(int index, int series) const;
    // The dash pattern of an overlay's curves (in units of the pen width),
    // for drawing more of it in the same look; empty out of range.
    QList<qreal> dashPattern(int index) const;
    // The legend (hidden without overlays).
    QCPLegend* legend() const { return legend_; }

    // The smallest and largest value over all overlays on an axis (X for the
    // bottom axis); none without overlay data there.
    std::optional<AxisRange> extent(ChartAxis axis) const;

signals:
    void changed();

private:
    struct Overlay {
        int slot = 0;  // its dash pattern
        std::array<EnvelopeGraph*, kSeriesCount> graphs{};
        std::array<AxisRange, kSeriesCount> values{};
        std::array<bool, kSeriesCount> any{};
        AxisRange days;
        bool anyDays = false;
    };

    void removeGraphs(Overlay& overlay);
    void showCurveSwitch(int series, bool active);

    ChartView& view_;
    QPointer<QCustomPlot> plot_;  // null once the chart is gone
    QCPLegend* legend_ = nullptr;
    std::vector<Overlay> overlays_;
};

}  // namespace cellwatch
