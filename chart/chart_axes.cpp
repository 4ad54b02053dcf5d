#include "chart/chart_axes.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace cellwatch {
namespace {

// Space between the right axis's labels and the stacked axes' line.
constexpr int kStackedAxisGap = 8;

// Time axis labels: X is in days, labels read "h:mm:ss" at steps of whole
// seconds, minutes or hours.
class ElapsedTicker : public QCPAxisTicker {
protected:
    double getTickStep(const QCPRange& range) override {
        static constexpr double kSteps[] = {1,   2,   5,    10,   15,   30,    60,    120,   300,
                                            600, 900, 1800, 3600, 7200, 10800, 21600, 43200, 86400};
        const double wanted = range.size() * kSecondsPerDay / (mTickCount + 1e-10);
        for (double step : kSteps) {
            if (step >= wanted) {
                return step / kSecondsPerDay;
            }
        }
        return cleanMantissa(wanted / kSecondsPerDay);
    }

    int getSubTickCount(double) override { return 0; }

    QString getTickLabel(double tick, const QLocale&, QChar, int) override {
        const qint64 signedSeconds = qRound64(tick * kSecondsPerDay);
        const qint64 seconds = signedSeconds < 0 ? -signedSeconds : signedSeconds;
        return QStringLiteral("%1%2:%3:%4")
            .arg(signedSeconds < 0 ? QStringLiteral("-") : QString())
            .arg(seconds / 3600)
            .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    }
};

// Labels at whole multiples of a label step: the step between two labels
// is the label step times 1, 2 or 5 times a power of ten, whichever comes
// nearest to the automatic spacing, and never less than the label step. So
// an axis with the label step 1 never shows 2.5, and one with 0.01 never
// shows 12.425.
class WholeStepTicker : public QCPAxisTicker {
public:
    explicit WholeStepTicker(double labelStep) : labelStep_(labelStep) {}

protected:
    double getTickStep(const QCPRange& range) override {
        const double wanted = range.size() / (mTickCount + 1e-10) / labelStep_;
        if (!(wanted > 1) || !std::isfinite(wanted)) {
            return labelStep_;
        }
        const double magnitude = std::pow(10.0, std::floor(std::log10(wanted)));
        const double mantissa = wanted / magnitude;  // 1 to 10
        double multiple = 10;
        if (mantissa < 1.5) {
            multiple = 1;
        } else if (mantissa < 3.5) {
            multiple = 2;
        } else if (mantissa < 7.5) {
            multiple = 5;
        }
        return labelStep_ * multiple * magnitude;
    }

private:
    double labelStep_;
};

// QCPAxis::calculateMargin is protected; QCPAxisRect reaches it as a friend.
// A stacked axis rect has no margins of its own, so its axis's extent is
// read here directly.
struct AxisExtent : QCPAxis {
    static int of(QCPAxis* axis) {
        int (QCPAxis::*calculate)() = &AxisExtent::calculateMargin;
        return (axis->*calculate)();
    }
};

}  // namespace

QSharedPointer<QCPAxisTicker> elapsedTicker() {
    return QSharedPointer<ElapsedTicker>::create();
}

QSharedPointer<QCPAxisTicker> wholeStepTicker(double labelStep) {
    return QSharedPointer<WholeStepTicker>::create(labelStep);
}

void styleAxis(QCPAxis* axis, const QColor& lineColour, const QColor& labelColour,
               const QString& title, const QSharedPointer<QCPAxisTicker>& ticker) {
    axis->setVisible(true);
    axis->setBasePen(QPen(lineColour, 1));
    // Tick marks are hidden by an empty pen: QCPAxis::setTicks(false) would
    // drop the labels as well.
    axis->setTickPen(QPen(Qt::NoPen));
    axis->setSubTicks(false);
    axis->setTickLabelColor(labelColour);
    axis->setLabelColor(labelColour);
    axis->setLabel(title);
    axis->grid()->setVisible(false);
    axis->grid()->setSubGridVisible(false);
    axis->grid()->setZeroLinePen(QPen(Qt::NoPen));
    axis->setTicker(ticker);
}

namespace {

// The ticker's own count, which QCPAxisTicker starts with.
constexpr int kUsualTickCount = 5;

// Whether two labels of `axis` come closer than a label's height.
bool labelsCrowd(const QCPAxis* axis) {
    const double height = QFontMetricsF(axis->tickLabelFont()).height();
    double last = std::numeric_limits<double>::quiet_NaN();
    for (const double tick : axis->tickVector()) {
        if (!axis->range().contains(tick)) {
            continue;
        }
        const double y = axis->coordToPixel(tick);
        if (std::abs(y - last) < height) {
            return true;
        }
        last = y;
    }
    return false;
}

}  // namespace

void fitTickCounts(QCustomPlot* plot) {
    for (QCPAxisRect* rect : plot->axisRects()) {
        const QList<QCPAxis*> axes = rect->axes(QCPAxis::atLeft | QCPAxis::atRight);
        bool reset = false;
        for (QCPAxis* axis : axes) {
            if (!axis->ticker().isNull() && axis->ticker()->tickCount() != kUsualTickCount) {
                axis->ticker()->setTickCount(kUsualTickCount);
                reset = true;
            }
        }
        if (reset) {
            rect->update(QCPLayoutElement::upPreparation);  // the ticks anew
        }
        for (QCPAxis* axis : axes) {
            const QSharedPointer<QCPAxisTicker> ticker = axis->ticker();
            while (axis->visible() && !ticker.isNull() && ticker->tickCount() > 1 &&
                   labelsCrowd(axis)) {
                ticker->setTickCount(ticker->tickCount() - 1);
                rect->update(QCPLayoutElement::upPreparation);
            }
        }
    }
}

int ChartAxisRect::calculateAutoMargin(QCP::MarginSide side) {
    const int own = QCPAxisRect::calculateAutoMargin(side);
    if (side != QCP::msRight) {
        return own;
    }
    // The height as last laid out (the layout pass that follows checks it).
    sideBySide_ = !fitsStacked(mOuterRect.height() - mMargins.top() - mMargins.bottom());
    int offset = own + kStackedAxisGap;
    int extent = own;
    for (QCPAxisRect* rect : stacked_) {
        if (rect == nullptr) {
            continue;
        }
        QCPAxis* stackedAxis = rect->axis(QCPAxis::atRight);
        stackedAxis->setOffset(offset);
        const int reach = AxisExtent::of(stackedAxis);
        extent = std::max(extent, offset + reach);
        if (sideBySide_) {
            offset += reach + kStackedAxisGap;
        }
    }
    return extent;
}

int ChartAxisRect::gapPixels(int height) const {
    int labelHeight = 0;
    for (QCPAxisRect* rect : stacked_) {
        if (rect != nullptr) {
            labelHeight = std::max(
                labelHeight, QFontMetrics(rect->axis(QCPAxis::atRight)->tickLabelFont()).height());
        }
    }
    return std::max(static_cast<int>(std::lround(height * 0.03)), labelHeight + 4);
}

bool ChartAxisRect::fitsStacked(int height) const {
    const int half = (height - gapPixels(height)) / 2;
    for (QCPAxisRect* rect : stacked_) {
        if (rect == nullptr) {
            continue;
        }
        const QCPAxis* axis = rect->axis(QCPAxis::atRight);
        // The title along its half, with a tick label's room to spare.
        const int title = QFontMetrics(axis->labelFont()).horizontalAdvance(axis->label());
        if (title + QFontMetrics(axis->tickLabelFont()).height() > half) {
            return false;
        }
    }
    return true;
}

void ChartAxisRect::update(UpdatePhase phase) {
    if (phase == upMargins && !settling_ && stacked_[0] != nullptr) {
        // Whether the stacked axes stand side by side decides the right
        // margin, and depends on the height the layout gives: the layout is
        // run once ahead, so that the margins are worked out for this size
        // and not the last one.
        settling_ = true;
        mParentPlot->plotLayout()->update(upMargins);
        mParentPlot->plotLayout()->update(upLayout);
        settling_ = false;
    }
    if (phase == upLayout && stacked_[0] != nullptr && stacked_[1] != nullptr) {
        // The height is final here: place the stacked rects for it.
        const int height = std::max(1, rect().height());
        const bool side = !fitsStacked(height);
        if (side != sideBySide_) {
            sideBySide_ = side;
            if (!settling_) {
                // The margins were worked out for the other way: once more.
                mParentPlot->replot(QCustomPlot::rpQueuedReplot);
            }
        }
        const double part =
            side ? 1.0 : std::max(0.0, (1.0 - double(gapPixels(height)) / height) / 2);
        QCPLayoutInset* inset = insetLayout();
        for (int i = 0; i < inset->elementCount(); ++i) {
            if (inset->elementAt(i) == stacked_[0]) {
                inset->setInsetRect(i, QRectF(0, 0, 1, part));
            } else if (inset->elementAt(i) == stacked_[1]) {
                inset->setInsetRect(i, QRectF(0, side ? 0 : 1 - part, 1, part));
            }
        }
    }
    QCPAxisRect::update(phase);
}

}  // namespace cellwatch
