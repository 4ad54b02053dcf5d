// The other channels of a charger with several, drawn over the chart of
// the channel it shows: each channel's voltage (on the left axis, solid)
// and current (on the right axis, dashed) in a colour of the channel's own,
// under the chart's own curves, and a key at the top left naming each
// channel by its number beside a sample of its voltage line.
//
// X is each row's elapsed time, as the chart's own curves have it for
// channels that began together. The points live in envelopes (as the
// chart's own), so a long recording draws as quickly as a short one;
// refresh() takes in the rows added since and reads a channel anew when its
// table got shorter (a new recording began).
//
// The chart's data extremes take the overlays in, and refresh() widens the
// voltage and current axes where a channel goes past them, so no curve runs
// off the chart (call it after every row of any channel: the chosen
// channel's own rows set its axes back to its own scale); taken away, the
// overlays leave the axes as they found them. Use it on a chart without
// ChartOverlays (both take the chart's data extremes).
#pragma once

#include <QColor>
#include <QObject>
#include <QPointer>
#include <array>
#include <optional>
#include <vector>

#include "readout/chart_surface.h"

class QCPGraph;
class QCPLegend;
class QCustomPlot;

namespace cellwatch {

class ChartView;
class EnvelopeGraph;
class Recording;

class ChannelOverlays : public QObject {
    Q_OBJECT
public:
    // The voltage and the current of a channel.
    static constexpr int kCurves = 2;
    static constexpr int kMostChannels = 8;

    explicit ChannelOverlays(ChartView& chart, QObject* parent = nullptr);
    ~ChannelOverlays() override;

    ChannelOverlays(const ChannelOverlays&) = delete;
    ChannelOverlays& operator=(const ChannelOverlays&) = delete;

    // The channels to draw and the numbers the key gives them (1, 2, ... in
    // order when not given). Null recordings are left out. An empty list
    // takes every overlay away and the chart is as it was.
    void setOverlays(const std::vector<const Recording*>& recordings,
                     const std::vector<int>& numbers = {});
    void clear() { setOverlays({}); }
    // The rows added since (or a table read anew), and the axes widened.
    void refresh();

    int count() const { return static_cast<int>(channels_.size()); }
    int number(int index) const;
    // Curve 0 voltage, 1 current; nullptr out of range.
    QCPGraph* graph(int index, int curve) const;
    QCPLegend* key() const { return key_; }

    // The colour of a channel by its number (1 ...); each apart from the
    // chart's own curves.
    static QColor channelColour(int number);

private:
    struct Channel {
        const Recording* recording = nullptr;
        int number = 0;
        std::array<EnvelopeGraph*, kCurves> graphs{};
        std::array<AxisRange, kCurves> values{};
        std::array<bool, kCurves> any{};
        AxisRange days;
        bool anyDays = false;
        std::size_t rowsRead = 0;
        double lastDays = 0;
    };

    void readRows(Channel& channel);
    void removeGraphs(Channel& channel);
    void widenAxes();
    // Puts back the ranges widenAxes changed, unless set since.
    void restoreAxes();
    void showCurveSwitch(int series, bool active);
    std::optional<AxisRange> extent(ChartAxis axis) const;

    ChartView& chart_;
    QPointer<QCustomPlot> plot_;
    QCPLegend* key_ = nullptr;
    std::vector<Channel> channels_;
    // Per curve's axis: the range before widening and the range set.
    struct Widened {
        AxisRange before;
        AxisRange set;
    };
    std::array<std::optional<Widened>, kCurves> widened_{};
};

}  // namespace cellwatch
