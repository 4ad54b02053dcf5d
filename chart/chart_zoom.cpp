#include "chart/chart_zoom.h"

#include <qcustomplot.h>
#include <QKeyEvent>
#include <QLayout>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "chart/chart_view.h"

namespace cellwatch {
namespace {

constexpr ChartAxis kValueAxes[] = {ChartAxis::Left, ChartAxis::Right, ChartAxis::Capacity,
                                    ChartAxis::Temperature};
constexpr ChartAxis kAllAxes[] = {ChartAxis::Bottom, ChartAxis::Left, ChartAxis::Right,
                                  ChartAxis::Capacity, ChartAxis::Temperature};

// Value axes zoom no narrower and no wider than these spans.
constexpr double kMinValueSpan = 1e-4;
constexpr double kMaxValueSpan = 1e7;
// The time axis zooms out to this many times the whole recording.
constexpr double kMaxTimeSpanOfWhole = 10;
// A press moves this far (in pixels) before it is a drag.
constexpr int kDragDistance = 2;

}  // namespace

ChartZoom::ChartZoom(ChartView& chart) : QObject(&chart), chart_(chart), plot_(chart.plot()) {
    QCustomPlot* plot = chart_.plot();
    time_ = chart_.axis(ChartAxis::Bottom);
    QList<QCPAxis*> values;
    for (ChartAxis a : kValueAxes) {
        values << chart_.axis(a);
    }
    // Whichever rect is under the pointer, the same axes move.
    rects_ = {time_->axisRect(), chart_.axis(ChartAxis::Capacity)->axisRect(),
              chart_.axis(ChartAxis::Temperature)->axisRect()};
    for (QCPAxisRect* rect : rects_) {
        rect->setRangeDragAxes({time_}, values);
        rect->setRangeZoomAxes({time_}, values);
        rect->setRangeDrag(Qt::Horizontal);
        rect->setRangeZoom(Qt::Horizontal);
        rect->setRangeZoomFactor(kWheelStepFactor);
    }
    plot->installEventFilter(this);

    bar_ = new QScrollBar(Qt::Horizontal, &chart_);
    bar_->setObjectName(QStringLiteral("chartScrollBar"));
    bar_->setRange(0, 0);
    bar_->setPageStep(kScrollSteps);
    bar_->setVisible(false);
    if (QLayout* layout = chart_.layout()) {
        layout->addWidget(bar_);
    }
    connect(bar_, &QScrollBar::valueChanged, this, &ChartZoom::scrollTo);
    connect(time_, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this,
            [this] { updateBar(); });
    // The whole grows as points arrive.
    connect(plot, &QCustomPlot::afterReplot, this, [this] { updateBar(); });
}

void ChartZoom::setEnabled(bool on) {
    enabled_ = on;
    QCustomPlot* plot = chart_.plot();
    QCP::Interactions interactions = plot->interactions();
    interactions.setFlag(QCP::iRangeDrag, on);
    interactions.setFlag(QCP::iRangeZoom, on);
    plot->setInteractions(interactions);
    plot->setFocusPolicy(on ? Qt::WheelFocus : Qt::NoFocus);
    bar_->setVisible(on);
    if (!on) {
        pressed_ = false;
        showWhole();
    }
    updateBar();
}

bool ChartZoom::following() const {
    return !chart_.viewHeld();
}

void ChartZoom::hold() {
    chart_.setViewHeld(true);
}

void ChartZoom::showWhole() {
    const bool wasHeld = chart_.viewHeld();
    chart_.setViewHeld(false);
    for (ChartAxis a : kAllAxes) {
        const AxisRange r = chart_.axisRange(a);
        chart_.setAxisRange(a, r.min, r.max);
    }
    chart_.repaint();
    if (wasHeld) {
        emit viewChanged();
    }
}

void ChartZoom::zoomTime(double factor, double centre) {
    if (!canZoom(time_, factor)) {
        return;
    }
    hold();
    time_->scaleRange(factor, centre);
    chart_.plot()->replot();
    emit viewChanged();
}

void ChartZoom::panTime(double days) {
    hold();
    time_->moveRange(days);
    chart_.plot()->replot();
    emit viewChanged();
}

double ChartZoom::wholeLower() const {
    return std::min(chart_.axisRange(ChartAxis::Bottom).min, chart_.dataMin(ChartAxis::Bottom));
}

double ChartZoom::wholeUpper() const {
    return std::max(chart_.axisRange(ChartAxis::Bottom).max, chart_.dataMax(ChartAxis::Bottom));
}

bool ChartZoom::canZoom(QCPAxis* axis, double factor) const {
    if (!std::isfinite(factor) || factor <= 0) {
        return false;
    }
    const double span = axis->range().size() * factor;
    if (axis == time_) {
        const double whole = std::max(wholeUpper() - wholeLower(), kMinTimeSpan);
        return factor < 1 ? span >= kMinTimeSpan : span <= whole * kMaxTimeSpanOfWhole;
    }
    return factor < 1 ? span >= kMinValueSpan : span <= kMaxValueSpan;
}

void ChartZoom::updateBar() {
    const double lower = wholeLower();
    const double whole = wholeUpper() - lower;
    const QCPRange shown = time_->range();
    int page = kScrollSteps;
    int value = 0;
    if (whole > 0 && shown.size() < whole) {
        page = std::max(1, static_cast<int>(std::lround(shown.size() / whole * kScrollSteps)));
        value = static_cast<int>(std::lround((shown.lower - lower) / whole * kScrollSteps));
    }
    const QSignalBlocker blocker(bar_);
    bar_->setRange(0, kScrollSteps - page);
    bar_->setPageStep(page);
    bar_->setSingleStep(std::max(1, page / 10));
    bar_->setValue(std::clamp(value, 0, kScrollSteps - page));
}

void ChartZoom::scrollTo(int value) {
    const double lower = wholeLower();
    const double whole = wholeUpper() - lower;
    if (!enabled_ || !(whole > 0)) {
        return;
    }
    const double size = time_->range().size();
    hold();
    time_->setRange(lower + whole * value / kScrollSteps,
                    lower + whole * value / kScrollSteps + size);
    chart_.plot()->replot();
    emit viewChanged();
}

bool ChartZoom::eventFilter(QObject* watched, QEvent* event) {
    if (!enabled_ || watched != plot_) {
        return QObject::eventFilter(watched, event);
    }
    switch (event->type()) {
        case QEvent::Wheel: {
            auto* wheel = static_cast<QWheelEvent*>(event);
            const bool values = wheel->modifiers().testFlag(Qt::ControlModifier);
            const double factor = std::pow(kWheelStepFactor, wheel->angleDelta().y() / 120.0);
            bool allowed = true;
            if (values) {
                for (ChartAxis a : kValueAxes) {
                    allowed = allowed && canZoom(chart_.axis(a), factor);
                }
            } else {
                allowed = canZoom(time_, factor);
            }
            if (!allowed || wheel->angleDelta().y() == 0) {
                return true;  // no narrower or wider than the limits
            }
            for (QCPAxisRect* rect : rects_) {
                rect->setRangeZoom(values ? Qt::Vertical : Qt::Horizontal);
            }
            hold();
            emit viewChanged();
            return false;  // QCustomPlot zooms and replots
        }
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) {
                const bool values = mouse->modifiers().testFlag(Qt::ControlModifier);
                for (QCPAxisRect* rect : rects_) {
                    rect->setRangeDrag(values ? Qt::Horizontal | Qt::Vertical : Qt::Horizontal);
                }
                pressed_ = true;
                pressedAt_ = mouse->position().toPoint();
            }
            break;
        }
        case QEvent::MouseMove: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            // A drag that a range cursor took leaves the range drag off.
            if (pressed_ && mouse->buttons().testFlag(Qt::LeftButton) &&
                chart_.plot()->interactions().testFlag(QCP::iRangeDrag) &&
                (mouse->position().toPoint() - pressedAt_).manhattanLength() >= kDragDistance &&
                following()) {
                hold();
                emit viewChanged();
            }
            break;
        }
        case QEvent::MouseButtonRelease:
            pressed_ = false;
            break;
        case QEvent::MouseButtonDblClick:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                showWhole();
            }
            break;
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Home) {
                showWhole();
                return true;
            }
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace cellwatch
