#include "chart/range_cursors.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>
#include <cmath>

#include "chart/chart_view.h"
#include "readout/cursor_search.h"

namespace cellwatch {
namespace {

const QColor kCursorColour(0, 200, 255);
const char* const kNames[2] = {"A", "B"};

}  // namespace

RangeCursors::RangeCursors(ChartView& chart, QObject* parent)
    : QObject(parent), chart_(chart), plot_(chart.plot()) {
    QCustomPlot* plot = chart_.plot();
    QCPAxis* time = chart_.axis(ChartAxis::Bottom);
    QCPLayer* overlay = plot->layer(QStringLiteral("overlay"));
    for (std::size_t i = 0; i < 2; ++i) {
        auto* line = new QCPItemStraightLine(plot);
        line->setLayer(overlay);
        line->setSelectable(false);
        line->setClipAxisRect(time->axisRect());
        for (QCPItemPosition* p : {line->point1, line->point2}) {
            p->setAxes(time, chart_.axis(ChartAxis::Left));
            p->setAxisRect(time->axisRect());
            p->setTypeX(QCPItemPosition::ptPlotCoords);
            p->setTypeY(QCPItemPosition::ptAxisRectRatio);
        }
        line->setVisible(false);
        lines_[i] = line;

        auto* label = new QCPItemText(plot);
        label->setLayer(overlay);
        label->setSelectable(false);
        label->setClipToAxisRect(false);
        label->setText(QString::fromLatin1(kNames[i]));
        label->setColor(kCursorColour);
        label->setPositionAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        label->position->setAxes(time, chart_.axis(ChartAxis::Left));
        label->position->setAxisRect(time->axisRect());
        label->position->setTypeX(QCPItemPosition::ptPlotCoords);
        label->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
        label->setVisible(false);
        labels_[i] = label;
    }
    plot->installEventFilter(this);
}

RangeCursors::~RangeCursors() = default;

void RangeCursors::setActive(bool on) {
    if (on == active_) {
        return;
    }
    active_ = on;
    QCustomPlot* plot = chart_.plot();
    if (on) {
        // At a third and two thirds of what the view shows of the data (the
        // time axis may reach well past the last row); where they stood
        // before when both are still in view.
        const QCPRange view = chart_.axis(ChartAxis::Bottom)->range();
        const bool keep = placed_ && view.contains(x_[A]) && view.contains(x_[B]);
        if (!keep) {
            QCPRange span = view;
            if (chart_.pointCount(0) > 0) {
                const double lower = std::max(view.lower, chart_.dataMin(ChartAxis::Bottom));
                const double upper = std::min(view.upper, chart_.dataMax(ChartAxis::Bottom));
                if (lower < upper) {
                    span = QCPRange(lower, upper);
                }
            }
            x_[A] = span.lower + span.size() / 3;
            x_[B] = span.lower + span.size() * 2 / 3;
        }
        placed_ = true;
        chosen_ = A;
        savedFocus_ = plot->focusPolicy();
        plot->setFocusPolicy(Qt::StrongFocus);
    } else {
        endDrag();
        plot->setFocusPolicy(savedFocus_);
    }
    for (std::size_t i = 0; i < 2; ++i) {
        lines_[i]->setVisible(on);
        labels_[i]->setVisible(on);
    }
    place();
    redraw();
    if (on) {
        emit moved();
    }
}

void RangeCursors::setX(Cursor which, double x) {
    if (!std::isfinite(x)) {
        return;
    }
    x_[which] = x;
    place();
    redraw();
    emit moved();
}

void RangeCursors::choose(Cursor which) {
    chosen_ = which;
    place();
    redraw();
}

double RangeCursors::pixel(Cursor which) const {
    return chart_.axis(ChartAxis::Bottom)->coordToPixel(x_[which]);
}

void RangeCursors::stepChosen(int steps) {
    const std::size_t count = chart_.pointCount(0);
    if (count == 0 || steps == 0) {
        return;
    }
    const double x = x_[chosen_];
    std::size_t row = 0;
    if (const auto found = findPointAtOrBefore(chart_, 0, x)) {
        row = *found;
    } else if (x >= chart_.pointX(0, 0)) {
        row = count - 1;
    } else {
        steps = steps > 0 ? steps - 1 : 0;  // left of the first: the first is one step on
    }
    const auto target = static_cast<std::ptrdiff_t>(row) + steps;
    const auto last = static_cast<std::ptrdiff_t>(count - 1);
    setX(chosen_,
         chart_.pointX(0, static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(target, 0, last))));
}

void RangeCursors::place() {
    for (std::size_t i = 0; i < 2; ++i) {
        lines_[i]->point1->setCoords(x_[i], 0);
        lines_[i]->point2->setCoords(x_[i], 1);
        labels_[i]->position->setCoords(x_[i], 0);
        QPen pen(kCursorColour, i == static_cast<std::size_t>(chosen_) ? 2 : 1);
        pen.setStyle(i == static_cast<std::size_t>(chosen_) ? Qt::SolidLine : Qt::DashLine);
        lines_[i]->setPen(pen);
    }
}

void RangeCursors::redraw() {
    if (chart_.autoRepaint()) {
        lines_[0]->layer()->replot();
    }
}

int RangeCursors::cursorNear(double pixelX) const {
    int best = -1;
    double bestDistance = kGrabPixels;
    for (int i = 0; i < 2; ++i) {
        const double distance = std::fabs(pixel(static_cast<Cursor>(i)) - pixelX);
        if (distance <= bestDistance && (best < 0 || distance < bestDistance)) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

void RangeCursors::endDrag() {
    if (dragging_ >= 0) {
        dragging_ = -1;
        chart_.plot()->setInteractions(savedInteractions_);
    }
}

bool RangeCursors::eventFilter(QObject* watched, QEvent* event) {
    if (!active_ || watched != plot_) {
        return QObject::eventFilter(watched, event);
    }
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton) {
                break;
            }
            const int near = cursorNear(mouse->position().x());
            if (near < 0) {
                break;
            }
            // The press belongs to the cursor: the plot must not pan with it.
            savedInteractions_ = chart_.plot()->interactions();
            chart_.plot()->setInteraction(QCP::iRangeDrag, false);
            dragging_ = near;
            chart_.plot()->setFocus(Qt::MouseFocusReason);
            choose(static_cast<Cursor>(near));
            return true;
        }
        case QEvent::MouseMove: {
            if (dragging_ < 0) {
                break;
            }
            auto* mouse = static_cast<QMouseEvent*>(event);
            setX(static_cast<Cursor>(dragging_), chart_.xAtPixel(mouse->position().x()));
            // The cross line and the readouts still follow the mouse.
            return false;
        }
        case QEvent::MouseButtonRelease: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (dragging_ >= 0 && mouse->button() == Qt::LeftButton) {
                endDrag();
                return true;
            }
            break;
        }
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right) {
                stepChosen(key->key() == Qt::Key_Left ? -1 : 1);
                return true;
            }
            if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
                choose(chosen_ == A ? B : A);
                return true;
            }
            break;
        }
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace cellwatch
