#include "chart/chart_overlays.h"

#include <qcustomplot.h>
#include <QPointer>
#include <algorithm>
#include <cmath>

#include "chart/chart_view.h"
#include "chart/envelope_graph.h"
#include "chart/overlay_key.h"
#include "chart/series_envelope.h"

namespace cellwatch {
namespace {

const QString kOverlayLayer = QStringLiteral("overlays");

// One dash pattern per overlay slot, in units of the pen width.
const QList<QList<qreal>> kDashPatterns = {
    {10, 4}, {2, 4}, {10, 4, 2, 4}, {10, 4, 2, 4, 2, 4},
    {20, 6}, {4, 4}, {16, 4, 4, 4}, {6, 2, 6, 8},
};

QColor dimmed(QColor colour) {
    colour.setAlpha(ChartOverlays::kOverlayAlpha);
    return colour;
}

}  // namespace

ChartOverlays::ChartOverlays(ChartView& view, QObject* parent)
    : QObject(parent != nullptr ? parent : &view), view_(view), plot_(view.plot()) {
    legend_ = addOverlayKey(view, kOverlayLayer, 36);

    const QPointer<ChartOverlays> self(this);
    view.setExtraExtent([self](ChartAxis axis) -> std::optional<AxisRange> {
        return self ? self->extent(axis) : std::nullopt;
    });
    connect(&view, &ChartView::seriesActiveChanged, this, &ChartOverlays::showCurveSwitch);
}

ChartOverlays::~ChartOverlays() {
    // The plot goes first when the chart itself is closed; then the graphs
    // and the legend went with it.
    if (plot_.isNull()) {
        return;
    }
    for (Overlay& overlay : overlays_) {
        removeGraphs(overlay);
    }
    removeOverlayKey(legend_);
}

int ChartOverlays::add(const QString& legendText, const OverlayCurves& curves) {
    if (count() >= kMaxOverlays) {
        return -1;
    }
    Overlay overlay;
    // The lowest slot no other overlay has: a removed one's look is reused.
    while (std::any_of(overlays_.begin(), overlays_.end(),
                       [&](const Overlay& o) { return o.slot == overlay.slot; })) {
        ++overlay.slot;
    }
    for (int series = 0; series < kSeriesCount; ++series) {
        QCPAxis* valueAxis = view_.axis(axisOfSeries(series));
        auto* graph = new EnvelopeGraph(valueAxis);
        graph->setLayer(kOverlayLayer);
        QPen pen(dimmed(view_.graph(series)->pen().color()), kOverlayPenWidth);
        pen.setDashPattern(kDashPatterns[overlay.slot % kDashPatterns.size()]);
        graph->setPen(pen);
        graph->setVisible(view_.seriesActive(series));
        graph->setName(legendText);

        const std::size_t index = static_cast<std::size_t>(series);
        const std::span<const double> values = curves.values[index];
        SeriesEnvelope& points = graph->points();
        double lastX = 0;
        for (std::size_t row = 0; row < curves.days.size(); ++row) {
            const double x = std::isnan(curves.days[row]) ? lastX : curves.days[row];
            const double y = row < values.size() ? values[row] : std::nan("");
            points.append(x, y);
            lastX = x;
            widenRange(overlay.values[index], overlay.any[index], y);
            if (series == 0) {
                widenRange(overlay.days, overlay.anyDays, x);
            }
        }
        overlay.graphs[index] = graph;
    }
    overlay.graphs[0]->addToLegend(legend_);
    legend_->setVisible(true);
    overlays_.push_back(overlay);
    view_.plot()->replot(QCustomPlot::rpQueuedReplot);
    emit changed();
    return count() - 1;
}

void ChartOverlays::removeGraphs(Overlay& overlay) {
    for (EnvelopeGraph*& graph : overlay.graphs) {
        if (QCPAbstractLegendItem* item = legend_->itemWithPlottable(graph)) {
            legend_->removeItem(item);
        }
        view_.plot()->removePlottable(graph);
        graph = nullptr;
    }
}

void ChartOverlays::remove(int index) {
    if (index < 0 || index >= count()) {
        return;
    }
    removeGraphs(overlays_[static_cast<std::size_t>(index)]);
    overlays_.erase(overlays_.begin() + index);
    legend_->setVisible(!overlays_.empty());
    view_.plot()->replot(QCustomPlot::rpQueuedReplot);
    emit changed();
}

void ChartOverlays::clear() {
    while (count() > 0) {
        remove(count() - 1);
    }
}

QString ChartOverlays::legendText(int index) const {
    return index >= 0 && index < count()
               ? overlays_[static_cast<std::size_t>(index)].graphs[0]->name()
               : QString();
}

void ChartOverlays::setLegendText(int index, const QString& text) {
    if (index < 0 || index >= count()) {
        return;
    }
    for (EnvelopeGraph* graph : overlays_[static_cast<std::size_t>(index)].graphs) {
        graph->setName(text);
    }
    view_.plot()->replot(QCustomPlot::rpQueuedReplot);
}

QCPGraph* ChartOverlays::graph(int index, int series) const {
    if (index < 0 || index >= count() || series < 0 || series >= kSeriesCount) {
        return nullptr;
    }
    return overlays_[static_cast<std::size_t>(index)].graphs[static_cast<std::size_t>(series)];
}

QList<qreal> ChartOverlays::dashPattern(int index) const {
    if (index < 0 || index >= count()) {
        return {};
    }
    const int slot = overlays_[static_cast<std::size_t>(index)].slot;
    return kDashPatterns[slot % kDashPatterns.size()];
}

const SeriesEnvelope* ChartOverlays::points(int index, int series) const {
    if (index < 0 || index >= count() || series < 0 || series >= kSeriesCount) {
        return nullptr;
    }
    return &overlays_[static_cast<std::size_t>(index)]
                .graphs[static_cast<std::size_t>(series)]
                ->points();
}

std::optional<AxisRange> ChartOverlays::extent(ChartAxis axis) const {
    AxisRange range;
    bool any = false;
    const int series = seriesOfAxis(axis);
    for (const Overlay& overlay : overlays_) {
        const auto index = static_cast<std::size_t>(std::max(series, 0));
        const bool has = series < 0 ? overlay.anyDays : overlay.any[index];
        const AxisRange& own = series < 0 ? overlay.days : overlay.values[index];
        if (has) {
            widenRange(range, any, own.min);
            widenRange(range, any, own.max);
        }
    }
    return any ? std::optional<AxisRange>(range) : std::nullopt;
}

void ChartOverlays::showCurveSwitch(int series, bool active) {
    for (Overlay& overlay : overlays_) {
        if (series >= 0 && series < kSeriesCount) {
            overlay.graphs[static_cast<std::size_t>(series)]->setVisible(active);
        }
    }
}

}  // namespace cellwatch
