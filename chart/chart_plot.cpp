#include "chart/chart_plot.h"

#include "chart/envelope_graph.h"

namespace cellwatch {
namespace {

const QColor kPanelColour(0, 20, 50);
const QColor kSilver(192, 192, 192);
const QColor kVoltageColour(255, 0, 0);
const QColor kCurrentColour(0, 255, 0);
const QColor kCapacityColour(255, 255, 0);
const QColor kTemperatureColour(255, 255, 255);

constexpr int kTitlePixelSize = 21;
// Keeps the top label of the vertical axes clear of the title.
constexpr int kTopMargin = 10;
// Vertical extents of the stacked axes, as fractions of the plot height.
const QRectF kCapacityExtent(0.0, 0.0, 1.0, 0.48);
const QRectF kTemperatureExtent(0.0, 0.51, 1.0, 0.49);

QCPAxisRect* addStackedRect(QCustomPlot* plot, ChartAxisRect* main, const QRectF& extent,
                            const QColor& colour, const QString& title) {
    auto* rect = new QCPAxisRect(plot, true);
    rect->setAutoMargins(QCP::msNone);
    rect->setMinimumMargins(QMargins());
    rect->setMargins(QMargins());
    rect->setBackground(Qt::NoBrush);
    rect->axis(QCPAxis::atLeft)->setVisible(false);
    rect->axis(QCPAxis::atTop)->setVisible(false);
    rect->axis(QCPAxis::atBottom)->setVisible(false);
    styleAxis(rect->axis(QCPAxis::atRight), colour, colour, title, wholeStepTicker(1.0));
    main->insetLayout()->addElement(rect, extent);
    // The stacked graphs share the time axis.
    QObject::connect(plot->xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged),
                     rect->axis(QCPAxis::atBottom), qOverload<const QCPRange&>(&QCPAxis::setRange));
    return rect;
}

QCPItemStraightLine* addCursorLine(QCustomPlot* plot, QCPLayer* layer, QCPAxisRect* clip) {
    auto* line = new QCPItemStraightLine(plot);
    line->setLayer(layer);
    line->setPen(QPen(kSilver, 1));
    line->setSelectable(false);
    line->setClipAxisRect(clip);
    line->point1->setType(QCPItemPosition::ptAbsolute);
    line->point2->setType(QCPItemPosition::ptAbsolute);
    line->setVisible(false);
    return line;
}

}  // namespace

QCPAxis* chartAxis(QCPAxisRect* mainRect, const std::array<QCPAxisRect*, 2>& stackedRects,
                   ChartAxis which) {
    switch (which) {
        case ChartAxis::Bottom:
            return mainRect->axis(QCPAxis::atBottom);
        case ChartAxis::Left:
            return mainRect->axis(QCPAxis::atLeft);
        case ChartAxis::Right:
            return mainRect->axis(QCPAxis::atRight);
        case ChartAxis::Capacity:
            return stackedRects[0]->axis(QCPAxis::atRight);
        case ChartAxis::Temperature:
            return stackedRects[1]->axis(QCPAxis::atRight);
    }
    return nullptr;
}

ChartPlotParts buildChartPlot(QCustomPlot* plot, const QFont& font) {
    ChartPlotParts parts;
    plot->setInteractions(QCP::Interactions());
    plot->setAutoAddPlottableToLegend(false);
    plot->setBackground(QBrush(kPanelColour));
    plot->setAttribute(Qt::WA_OpaquePaintEvent);
    // A replot is shown with the window's next paint (usually the one about
    // to run, which also shows the sample's texts), not by a paint of the
    // plot alone at once.
    plot->setPlottingHint(QCP::phImmediateRefresh, false);
    plot->setMouseTracking(true);

    // Replace the default axis rect (and the legend inside it) by ours.
    plot->plotLayout()->clear();
    parts.mainRect = new ChartAxisRect(plot);
    plot->plotLayout()->addElement(0, 0, parts.mainRect);
    parts.mainRect->setBackground(Qt::NoBrush);
    parts.mainRect->setMinimumMargins(QMargins(0, kTopMargin, 0, 0));
    plot->xAxis = parts.mainRect->axis(QCPAxis::atBottom);
    plot->yAxis = parts.mainRect->axis(QCPAxis::atLeft);
    plot->xAxis2 = parts.mainRect->axis(QCPAxis::atTop);
    plot->yAxis2 = parts.mainRect->axis(QCPAxis::atRight);
    plot->xAxis2->setVisible(false);

    QFont titleFont = font;
    titleFont.setPixelSize(kTitlePixelSize);
    parts.title = new QCPTextElement(plot, QString(), titleFont);
    parts.title->setTextColor(Qt::white);
    parts.title->setMinimumSize(0, QFontMetrics(titleFont).height());
    plot->plotLayout()->insertRow(0);
    plot->plotLayout()->addElement(0, 0, parts.title);

    styleAxis(plot->xAxis, kSilver, Qt::white, QString(), elapsedTicker());
    styleAxis(plot->yAxis, kVoltageColour, kVoltageColour, QStringLiteral("Voltage(V)"),
              wholeStepTicker(0.01));
    styleAxis(plot->yAxis2, kCurrentColour, kCurrentColour, QStringLiteral("Current(A)"),
              QSharedPointer<QCPAxisTicker>::create());
    parts.stackedRects = {addStackedRect(plot, parts.mainRect, kCapacityExtent, kCapacityColour,
                                         QStringLiteral("Capacity(mAh)")),
                          addStackedRect(plot, parts.mainRect, kTemperatureExtent,
                                         kTemperatureColour, QStringLiteral(u"Temperature(℃)"))};
    parts.mainRect->setStackedRects(parts.stackedRects);

    // The curves on a buffered layer of their own, between the grid and the
    // axes; the title goes with the axes.
    plot->addLayer(QStringLiteral("curves"), plot->layer(QStringLiteral("main")),
                   QCustomPlot::limAbove);
    parts.curves = plot->layer(QStringLiteral("curves"));
    parts.curves->setMode(QCPLayer::lmBuffered);
    const QColor seriesColours[kSeriesCount] = {kVoltageColour, kCurrentColour, kCapacityColour,
                                                kTemperatureColour};
    for (int series = 0; series < kSeriesCount; ++series) {
        auto* g =
            new EnvelopeGraph(chartAxis(parts.mainRect, parts.stackedRects, axisOfSeries(series)));
        g->setPen(QPen(seriesColours[series], 1));
        g->setLayer(parts.curves);
        parts.graphs[static_cast<std::size_t>(series)] = g;
    }
    parts.title->setLayer(QStringLiteral("axes"));

    // The cursor lines live on a buffered layer of their own, so following
    // the mouse redraws only them.
    QCPLayer* overlay = plot->layer(QStringLiteral("overlay"));
    overlay->setMode(QCPLayer::lmBuffered);
    parts.cursorVertical = addCursorLine(plot, overlay, parts.mainRect);
    parts.cursorHorizontal = addCursorLine(plot, overlay, parts.mainRect);
    return parts;
}

}  // namespace cellwatch
