#include "chart/chart_view.h"

#include <qcustomplot.h>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

#include "chart/chart_axes.h"
#include "chart/chart_plot.h"
#include "chart/envelope_graph.h"
#include "chart/layer_redraw.h"
#include "chart/series_envelope.h"
#include "chart/window_paint_hook.h"

namespace cellwatch {
namespace {

std::size_t axisIndex(ChartAxis axis) {
    return static_cast<std::size_t>(axis);
}

bool validSeries(int series) {
    return series >= 0 && series < kSeriesCount;
}

std::size_t seriesIndex(int series) {
    return static_cast<std::size_t>(series);
}

}  // namespace

ChartView::ChartView(QWidget* parent) : QWidget(parent), plot_(new QCustomPlot(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(plot_);

    const ChartPlotParts parts = buildChartPlot(plot_, font());
    mainRect_ = parts.mainRect;
    title_ = parts.title;
    titleLines_ = QStringList{QString()};
    stackedRects_ = parts.stackedRects;
    graphs_ = parts.graphs;
    curves_ = parts.curves;
    cursorVertical_ = parts.cursorVertical;
    cursorHorizontal_ = parts.cursorHorizontal;

    setThrottleClock(nullptr);
    paintHook_ = new WindowPaintHook(this, [this] { replotWithWindow(); });
    // A low chart (a viewer's, over its summary) shows fewer value labels.
    connect(plot_, &QCustomPlot::afterLayout, this, [this] { fitTickCounts(plot_); });
    connect(plot_, &QCustomPlot::afterReplot, this, [this] {
        noteReplot();
        fullReplotDue_ = false;
        // All points are drawn, perhaps elsewhere than before: each curve's
        // tip is its last point.
        for (int series = 0; series < kSeriesCount; ++series) {
            SeriesEnvelope& points = graphs_[seriesIndex(series)]->points();
            tips_[seriesIndex(series)] = {};
            if (points.size() > 0) {
                changesPicture(series, points.lastX(), points.y(points.size() - 1));
            }
        }
        replottedRanges_ = shownRanges();
        replottedTitle_ = title_->text();
        curvesDirty_ = {};
        curvesWhollyDirty_ = false;
    });

    connect(plot_, &QCustomPlot::mouseMove, this,
            [this](QMouseEvent* event) { onMouseMove(event->modifiers(), event->position()); });

    setAxisRange(ChartAxis::Bottom, 0, 173 / kSecondsPerDay);
    setAxisRange(ChartAxis::Left, 0, 55);
    setAxisRange(ChartAxis::Right, 0, 10);
    setAxisRange(ChartAxis::Capacity, 0, 5000);
    setAxisRange(ChartAxis::Temperature, 0, 100);
    showTitle();
}

ChartView::~ChartView() = default;

QCPAxis* ChartView::axis(ChartAxis which) const {
    return chartAxis(mainRect_, stackedRects_, which);
}

QCPGraph* ChartView::graph(int series) const {
    return validSeries(series) ? graphs_[seriesIndex(series)] : nullptr;
}

QPixmap ChartView::toPixmap(int width, int height) {
    return plot_->toPixmap(width, height);
}

void ChartView::requestReplot() {
    fullReplotDue_ = true;
    requestCurvesReplot();
}

void ChartView::requestCurvesReplot() {
    if (!autoRepaint_ || replotTimer_.isActive()) {
        return;
    }
    const qint64 since = msSinceReplot();
    replotTimer_.start(static_cast<int>(std::max<qint64>(0, kMinReplotIntervalMs - since)));
    // Usually the window paints sooner (the sample's texts): the replot
    // joins that pass once half the interval has passed.
    paintHook_->arm();
}

void ChartView::replotWithWindow() {
    if (replotTimer_.isActive() && msSinceReplot() >= kMinReplotIntervalMs / 2) {
        replotTimer_.stop();
        replotNow();
    } else if (replotTimer_.isActive()) {
        paintHook_->arm();  // too soon: the next pass, or the timer
    }
}

void ChartView::replotNow() {
    if (!autoRepaint_) {
        return;
    }
    // A range set on an axis directly (by zooming, say) shows here too. The
    // layer replots the whole itself while a paint buffer needs drawing anew.
    if (fullReplotDue_ || shownRanges() != replottedRanges_ || title_->text() != replottedTitle_) {
        plot_->replot();
        return;
    }
    if (!curvesWhollyDirty_ && curvesDirty_.isEmpty()) {
        return;  // asked to look, but no point changed the picture
    }
    if (curvesWhollyDirty_ || !redrawLayerBuffer(plot_, curves_)) {
        curves_->replot();
    } else {
        // Only the strips the new points changed reach the window: the rest
        // of the plot, and the widgets its edges touch, are not drawn again.
        plot_->update(curvesDirty_);
    }
    curvesDirty_ = {};
    curvesWhollyDirty_ = false;
    noteReplot();
    emit curvesRedrawn();
}

std::array<double, 10> ChartView::shownRanges() const {
    const QCPAxis* axes[5] = {plot_->xAxis, plot_->yAxis, plot_->yAxis2,
                              stackedRects_[0]->axis(QCPAxis::atRight),
                              stackedRects_[1]->axis(QCPAxis::atRight)};
    std::array<double, 10> ends{};
    for (std::size_t i = 0; i < 5; ++i) {
        ends[2 * i] = axes[i]->range().lower;
        ends[2 * i + 1] = axes[i]->range().upper;
    }
    return ends;
}

void ChartView::addPoint(int series, double x, double y) {
    if (!validSeries(series)) {
        return;
    }
    SeriesEnvelope& points = graphs_[seriesIndex(series)]->points();
    if (std::isnan(x)) {
        x = points.size() > 0 ? points.lastX() : 0;
    }
    // The point the line to this one starts from, if any.
    std::optional<double> fromX;
    if (points.size() > 0 && points.lastX() <= x && !std::isnan(points.y(points.size() - 1))) {
        fromX = points.lastX();
    }
    points.append(x, y);  // an X below the last starts a new stretch

    SeriesExtent& extent = extents_[seriesIndex(series)];
    if (!std::isnan(y)) {
        if (!extent.any) {
            extent = {y, y, true};
        } else {
            extent.min = std::min(extent.min, y);
            extent.max = std::max(extent.max, y);
        }
    }
    if (!autoRepaint_) {
        // Loading a recording: where the point lands matters only once
        // drawing is on again.
        tips_[seriesIndex(series)] = {};
    } else if (changesPicture(series, x, y)) {
        markCurvesDirty(series, fromX, x, y);
        requestCurvesReplot();
    }
}

void ChartView::markCurvesDirty(int series, std::optional<double> fromX, double x, double y) {
    if (std::isnan(y)) {
        curvesWhollyDirty_ = true;  // a gap: rare, and where it shows is the envelope's business
        return;
    }
    // A new point changes its own pixel column and the line to it from the
    // point before: a strip from that point's column to its own, the plot's
    // height tall, a few pixels wider for the pen and its smoothing.
    const QCPAxis* key = graphs_[seriesIndex(series)]->keyAxis();
    const double to = key->coordToPixel(x);
    const double from = fromX ? key->coordToPixel(*fromX) : to;
    const QRect plotArea = mainRect_->rect();
    constexpr int kPenMargin = 3;
    const int left = static_cast<int>(std::floor(std::min(from, to))) - kPenMargin;
    const int right = static_cast<int>(std::ceil(std::max(from, to))) + kPenMargin;
    curvesDirty_ +=
        QRect(QPoint(left, plotArea.top()), QPoint(right, plotArea.bottom())).intersected(plotArea);
}

bool ChartView::changesPicture(int series, double x, double y) {
    DrawnTip& tip = tips_[seriesIndex(series)];
    const EnvelopeGraph* g = graphs_[seriesIndex(series)];
    if (std::isnan(y)) {
        tip.valid = false;  // a gap
        return true;
    }
    const double ratio = plot_->devicePixelRatioF();
    const int column = static_cast<int>(std::floor(g->keyAxis()->coordToPixel(x) * ratio));
    const int row = static_cast<int>(std::lround(g->valueAxis()->coordToPixel(y) * ratio));
    if (tip.valid && column == tip.column) {
        if (row >= tip.low && row <= tip.high) {
            return false;
        }
        tip.low = std::min(tip.low, row);
        tip.high = std::max(tip.high, row);
    } else {
        tip = {column, row, row, true};
    }
    return true;
}

void ChartView::clearSeries(int series) {
    if (!validSeries(series)) {
        return;
    }
    graphs_[seriesIndex(series)]->points().clear();
    extents_[seriesIndex(series)] = {};
    tips_[seriesIndex(series)] = {};
    requestReplot();
}

void ChartView::truncateSeries(int series, std::size_t count) {
    if (!validSeries(series)) {
        return;
    }
    SeriesEnvelope& points = graphs_[seriesIndex(series)]->points();
    points.truncate(count);
    SeriesExtent extent;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const double y = points.y(i);
        if (!std::isnan(y)) {
            extent = extent.any
                         ? SeriesExtent{std::min(extent.min, y), std::max(extent.max, y), true}
                         : SeriesExtent{y, y, true};
        }
    }
    extents_[seriesIndex(series)] = extent;
    tips_[seriesIndex(series)] = {};
    requestReplot();
}

void ChartView::setSeriesActive(int series, bool active) {
    if (!validSeries(series)) {
        return;
    }
    graphs_[seriesIndex(series)]->setVisible(active);
    requestReplot();
    emit seriesActiveChanged(series, active);
}

bool ChartView::seriesActive(int series) const {
    return validSeries(series) && graphs_[seriesIndex(series)]->visible();
}

std::size_t ChartView::pointCount(int series) const {
    if (!validSeries(series)) {
        return 0;
    }
    return graphs_[seriesIndex(series)]->points().size();
}

double ChartView::pointX(int series, std::size_t index) const {
    return index < pointCount(series) ? graphs_[seriesIndex(series)]->points().x(index) : 0;
}

std::vector<std::size_t> ChartView::stretchStarts(int series) const {
    return validSeries(series) ? graphs_[seriesIndex(series)]->points().stretchStarts()
                               : std::vector<std::size_t>{};
}

double ChartView::pointY(int series, std::size_t index) const {
    return index < pointCount(series) ? graphs_[seriesIndex(series)]->points().y(index) : 0;
}

void ChartView::setAxisRange(ChartAxis which, double min, double max) {
    ranges_[axisIndex(which)] = {min, max};
    if (viewHeld_) {
        return;
    }
    QCPRange shown(min, max);
    if (!QCPRange::validRange(shown)) {
        const double unit = which == ChartAxis::Bottom ? 1 / kSecondsPerDay : 1.0;
        shown = QCPRange(min, min + unit);
    }
    axis(which)->setRange(shown);
    requestCurvesReplot();  // a full one when the range moved
}

AxisRange ChartView::axisRange(ChartAxis which) const {
    return ranges_[axisIndex(which)];
}

double ChartView::dataMax(ChartAxis which) const {
    if (which == ChartAxis::Bottom) {
        bool any = false;
        double max = 0;
        for (const EnvelopeGraph* g : graphs_) {
            if (g->points().size() > 0) {
                const double last = g->points().maxX();
                max = any ? std::max(max, last) : last;
                any = true;
            }
        }
        return joinExtra(which, any ? max : NAN, true);
    }
    const SeriesExtent& extent = extents_[seriesIndex(seriesOfAxis(which))];
    return joinExtra(which, extent.any ? extent.max : NAN, true);
}

double ChartView::dataMin(ChartAxis which) const {
    if (which == ChartAxis::Bottom) {
        bool any = false;
        double min = 0;
        for (const EnvelopeGraph* g : graphs_) {
            if (g->points().size() > 0) {
                const double first = g->points().minX();
                min = any ? std::min(min, first) : first;
                any = true;
            }
        }
        return joinExtra(which, any ? min : NAN, false);
    }
    const SeriesExtent& extent = extents_[seriesIndex(seriesOfAxis(which))];
    return joinExtra(which, extent.any ? extent.min : NAN, false);
}

// The own extreme (NaN without points) joined with the extra data's; 0 without either.
double ChartView::joinExtra(ChartAxis which, double own, bool max) const {
    const std::optional<AxisRange> extra = extraExtent_ ? extraExtent_(which) : std::nullopt;
    const double other = !extra ? own : max ? extra->max : extra->min;
    const double joined = std::isnan(own) ? other
                          : max           ? std::max(own, other)
                                          : std::min(own, other);
    return std::isnan(joined) ? 0 : joined;
}

void ChartView::setAxisTitle(ChartAxis which, const QString& title) {
    if (which == ChartAxis::Bottom) {
        bottomTitle_ = title;
        return;
    }
    if (axis(which)->label() != title) {  // the recording sets it sample after sample
        axis(which)->setLabel(title);
        requestReplot();
    }
}

QString ChartView::axisTitle(ChartAxis which) const {
    return which == ChartAxis::Bottom ? bottomTitle_ : axis(which)->label();
}

void ChartView::showTitle() {
    // The recording clears and sets it sample after sample: only a title
    // different from the one drawn last needs a full replot.
    title_->setText(titleLines_.join(QLatin1Char('\n')));
    requestCurvesReplot();
}

void ChartView::removeTitleLine(int index) {
    if (index < 0 || index >= titleLines_.size()) {
        return;
    }
    titleLines_.removeAt(index);
    showTitle();
}

void ChartView::clearTitle() {
    titleLines_.clear();
    showTitle();
}

void ChartView::addTitleLine(const QString& text) {
    titleLines_.append(text);
    showTitle();
}

QStringList ChartView::titleLines() const {
    return titleLines_;
}

void ChartView::placeCursor(QPointF position) {
    for (QCPItemPosition* point : {cursorVertical_->point1, cursorVertical_->point2,
                                   cursorHorizontal_->point1, cursorHorizontal_->point2}) {
        point->setType(QCPItemPosition::ptAbsolute);
    }
    cursorVertical_->point1->setCoords(position.x(), 0);
    cursorVertical_->point2->setCoords(position.x(), 1);
    cursorHorizontal_->point1->setCoords(0, position.y());
    cursorHorizontal_->point2->setCoords(1, position.y());
    cursorPlaced_ = true;
}

void ChartView::setCursorActive(bool active) {
    cursorActive_ = active;
    if (active && !cursorPlaced_) {
        // Until the mouse comes, the cross stands in the middle of the plot.
        for (QCPItemPosition* point : {cursorVertical_->point1, cursorVertical_->point2,
                                       cursorHorizontal_->point1, cursorHorizontal_->point2}) {
            point->setType(QCPItemPosition::ptAxisRectRatio);
            point->setAxisRect(mainRect_);
        }
        cursorVertical_->point1->setCoords(0.5, 0);
        cursorVertical_->point2->setCoords(0.5, 1);
        cursorHorizontal_->point1->setCoords(0, 0.5);
        cursorHorizontal_->point2->setCoords(1, 0.5);
    }
    cursorVertical_->setVisible(active);
    cursorHorizontal_->setVisible(active);
    requestReplot();
}

bool ChartView::cursorActive() const {
    return cursorActive_;
}

void ChartView::onMouseMove(Qt::KeyboardModifiers modifiers, QPointF position) {
    if (cursorActive_) {
        placeCursor(position);
        if (autoRepaint_) {
            cursorVertical_->layer()->replot();
        }
    }
    emit mouseMoved(modifiers, qRound(position.x()), qRound(position.y()));
}

double ChartView::xAtPixel(double pixelX) const {
    return mainRect_->axis(QCPAxis::atBottom)->pixelToCoord(pixelX);
}

void ChartView::repaint() {
    replotTimer_.stop();
    plot_->replot(QCustomPlot::rpRefreshHint);
}

void ChartView::setThrottleClock(std::function<qint64()> nowMs) {
    if (!nowMs) {
        nowMs = [] {
            return std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::steady_clock::now().time_since_epoch())
                .count();
        };
    }
    nowMs_ = std::move(nowMs);
    lastReplotMs_.reset();  // a time on the old clock means nothing on the new one
}

// Long enough when there was no replot yet.
qint64 ChartView::msSinceReplot() const {
    return lastReplotMs_ ? nowMs_() - *lastReplotMs_ : kMinReplotIntervalMs;
}

void ChartView::setAutoRepaint(bool on) {
    autoRepaint_ = on;
    // What changed while it was off asked for what it needs; points added
    // meanwhile are not tracked, so the curves are drawn whole.
    curvesWhollyDirty_ = true;
    requestCurvesReplot();
}

}  // namespace cellwatch
