#include "chart/channel_overlays.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

#include "chart/chart_view.h"
#include "chart/envelope_graph.h"
#include "chart/overlay_key.h"
#include "protocol/table_fields.h"
#include "readout/recording.h"
#include "readout/row_store.h"

namespace cellwatch {
namespace {

const QString kChannelLayer = QStringLiteral("channelOverlays");

// Apart from each other, from the chart's own red, green, yellow and white
// curves, and from its dark panel.
const std::array<QColor, ChannelOverlays::kMostChannels> kChannelColours = {
    QColor(80, 160, 255),  QColor(255, 150, 40),  QColor(190, 110, 255), QColor(0, 215, 215),
    QColor(255, 110, 190), QColor(200, 160, 110), QColor(75, 150, 15),   QColor(0, 255, 165),
};

constexpr double kPenWidth = 1.0;
const QList<qreal> kCurrentDashes = {6, 3};

ChartAxis axisOfCurve(int curve) {
    return curve == 0 ? ChartAxis::Left : ChartAxis::Right;
}

}  // namespace

QColor ChannelOverlays::channelColour(int number) {
    const int slot = ((number - 1) % kMostChannels + kMostChannels) % kMostChannels;
    return kChannelColours[static_cast<std::size_t>(slot)];
}

ChannelOverlays::ChannelOverlays(ChartView& chart, QObject* parent)
    : QObject(parent != nullptr ? parent : &chart), chart_(chart), plot_(chart.plot()) {
    key_ = addOverlayKey(chart, kChannelLayer, 24);

    const QPointer<ChannelOverlays> self(this);
    chart.setExtraExtent([self](ChartAxis axis) -> std::optional<AxisRange> {
        return self ? self->extent(axis) : std::nullopt;
    });
    connect(&chart, &ChartView::seriesActiveChanged, this, &ChannelOverlays::showCurveSwitch);
}

ChannelOverlays::~ChannelOverlays() {
    if (plot_.isNull()) {
        return;  // the chart went first, and the graphs and the key with it
    }
    chart_.setExtraExtent({});
    for (Channel& channel : channels_) {
        removeGraphs(channel);
    }
    removeOverlayKey(key_);
}

void ChannelOverlays::setOverlays(const std::vector<const Recording*>& recordings,
                                  const std::vector<int>& numbers) {
    for (Channel& channel : channels_) {
        removeGraphs(channel);
    }
    channels_.clear();
    for (std::size_t i = 0; i < recordings.size(); ++i) {
        if (recordings[i] == nullptr || channels_.size() >= kMostChannels) {
            continue;
        }
        Channel channel;
        channel.recording = recordings[i];
        channel.number = i < numbers.size() ? numbers[i] : static_cast<int>(i) + 1;
        for (int curve = 0; curve < kCurves; ++curve) {
            auto* graph = new EnvelopeGraph(chart_.axis(axisOfCurve(curve)));
            graph->setLayer(kChannelLayer);
            QPen pen(channelColour(channel.number), kPenWidth);
            if (curve == 1) {
                pen.setDashPattern(kCurrentDashes);
            }
            graph->setPen(pen);
            graph->setName(QString::number(channel.number));
            graph->setVisible(chart_.seriesActive(curve == 0 ? kSeriesVoltage : kSeriesCurrent));
            channel.graphs[static_cast<std::size_t>(curve)] = graph;
        }
        channel.graphs[0]->addToLegend(key_);
        readRows(channel);
        channels_.push_back(channel);
    }
    key_->setVisible(!channels_.empty());
    if (channels_.empty()) {
        restoreAxes();
    } else {
        widenAxes();
    }
    chart_.requestFullReplot();
}

void ChannelOverlays::refresh() {
    for (Channel& channel : channels_) {
        readRows(channel);
    }
    widenAxes();
    chart_.requestFullReplot();
}

void ChannelOverlays::readRows(Channel& channel) {
    const RowStore& table = channel.recording->table();
    const std::size_t rows = table.dataRowCount();
    if (rows < channel.rowsRead) {
        // A new recording began on the channel: read from its first row.
        for (EnvelopeGraph* graph : channel.graphs) {
            graph->points().clear();
        }
        channel.values = {};
        channel.any = {};
        channel.anyDays = false;
        channel.rowsRead = 0;
        channel.lastDays = 0;
    }
    RowNumbers numbers;
    for (std::size_t row = channel.rowsRead; row < rows; ++row) {
        table.numbers(static_cast<int>(row) + 1, numbers);
        // A row without a time stands where the row before it does.
        const double x = numbers.timed ? numbers.seconds / 86400.0 : channel.lastDays;
        const double ys[kCurves] = {numbers.field[kFieldVoltage],
                                    std::fabs(numbers.field[kFieldCurrent])};
        for (std::size_t curve = 0; curve < kCurves; ++curve) {
            channel.graphs[curve]->points().append(x, ys[curve]);
            widenRange(channel.values[curve], channel.any[curve], ys[curve]);
        }
        widenRange(channel.days, channel.anyDays, x);
        channel.lastDays = x;
    }
    channel.rowsRead = rows;
}

void ChannelOverlays::removeGraphs(Channel& channel) {
    for (EnvelopeGraph*& graph : channel.graphs) {
        if (graph == nullptr) {
            continue;
        }
        if (QCPAbstractLegendItem* item = key_->itemWithPlottable(graph)) {
            key_->removeItem(item);
        }
        chart_.plot()->removePlottable(graph);
        graph = nullptr;
    }
}

void ChannelOverlays::widenAxes() {
    for (int curve = 0; curve < kCurves; ++curve) {
        const ChartAxis axis = axisOfCurve(curve);
        const std::optional<AxisRange> over = extent(axis);
        if (!over) {
            continue;
        }
        const AxisRange shown = chart_.axisRange(axis);
        if (over->max > shown.max || over->min < shown.min) {
            // Whole units past the highest (and below the lowest) channel.
            const AxisRange wide{std::min(shown.min, std::floor(over->min)),
                                 std::max(shown.max, std::ceil(over->max))};
            std::optional<Widened>& note = widened_[static_cast<std::size_t>(curve)];
            const bool stillOurs = note && note->set.min == shown.min && note->set.max == shown.max;
            note = Widened{stillOurs ? note->before : shown, wide};
            chart_.setAxisRange(axis, wide.min, wide.max);
        }
    }
}

void ChannelOverlays::restoreAxes() {
    for (int curve = 0; curve < kCurves; ++curve) {
        std::optional<Widened>& note = widened_[static_cast<std::size_t>(curve)];
        const ChartAxis axis = axisOfCurve(curve);
        const AxisRange shown = chart_.axisRange(axis);
        if (note && note->set.min == shown.min && note->set.max == shown.max) {
            chart_.setAxisRange(axis, note->before.min, note->before.max);
        }
        note.reset();
    }
}

void ChannelOverlays::showCurveSwitch(int series, bool active) {
    if (series != kSeriesVoltage && series != kSeriesCurrent) {
        return;
    }
    for (Channel& channel : channels_) {
        channel.graphs[series == kSeriesVoltage ? 0 : 1]->setVisible(active);
    }
}

std::optional<AxisRange> ChannelOverlays::extent(ChartAxis axis) const {
    AxisRange range;
    bool any = false;
    for (const Channel& channel : channels_) {
        AxisRange own;
        bool has = false;
        if (axis == ChartAxis::Bottom) {
            own = channel.days;
            has = channel.anyDays;
        } else if (axis == ChartAxis::Left || axis == ChartAxis::Right) {
            const auto curve = static_cast<std::size_t>(axis == ChartAxis::Left ? 0 : 1);
            own = channel.values[curve];
            has = channel.any[curve];
        }
        if (has) {
            widenRange(range, any, own.min);
            widenRange(range, any, own.max);
        }
    }
    return any ? std::optional<AxisRange>(range) : std::nullopt;
}

int ChannelOverlays::number(int index) const {
    return index >= 0 && index < count() ? channels_[static_cast<std::size_t>(index)].number : 0;
}

QCPGraph* ChannelOverlays::graph(int index, int curve) const {
    if (index < 0 || index >= count() || curve < 0 || curve >= kCurves) {
        return nullptr;
    }
    return channels_[static_cast<std::size_t>(index)].graphs[static_cast<std::size_t>(curve)];
}

}  // namespace cellwatch
