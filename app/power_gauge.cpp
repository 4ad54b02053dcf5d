#include "app/power_gauge.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace cellwatch {
namespace {

// Drawing happens in a square of 200 x 200 units around the dial's centre.
constexpr double kFaceRadius = 92;
constexpr double kBandInner = 78;
constexpr double kBandOuter = 88;
constexpr double kLabelRadius = 59;
constexpr double kNeedleLength = 84;
constexpr double kStartAngle = 210;  // degrees, counter-clockwise from 3 o'clock
constexpr double kSweep = 240;       // clockwise from the start
constexpr int kMaxTicks = 100;

const QColor kGreen(58, 196, 82);
const QColor kAmber(255, 176, 0);
const QColor kRed(232, 56, 48);
const QColor kScaleText(232, 234, 238);
const QColor kCaptionText(150, 236, 160);

struct Scale {
    double low = 0;
    double high = 1;
    bool valid = false;

    double fraction(double v) const {
        if (!valid || std::isnan(v)) {
            return 0;
        }
        return std::clamp((v - low) / (high - low), 0.0, 1.0);
    }
    // Screen angle (degrees, counter-clockwise from 3 o'clock) of a value.
    double angle(double v) const { return kStartAngle - kSweep * fraction(v); }
};

QPointF Polar(double radius, double degrees) {
    const double a = degrees * std::numbers::pi / 180.0;
    return {radius * std::cos(a), -radius * std::sin(a)};
}

QRectF Circle(double radius) {
    return {-radius, -radius, 2 * radius, 2 * radius};
}

// Shortest text with at most two decimals that shows the number.
QString TickText(double v) {
    for (int decimals = 0; decimals < 2; ++decimals) {
        const double unit = std::pow(10.0, decimals);
        if (std::abs(std::round(v * unit) - v * unit) < 1e-6) {
            return QString::number(v, 'f', decimals);
        }
    }
    return QString::number(v, 'f', 2);
}

int ArcUnits(double degrees) {
    return static_cast<int>(std::lround(degrees * 16));
}

void DrawArcBand(QPainter& painter, const Scale& scale, double from, double to,
                 const QColor& color) {
    const double a0 = scale.angle(from);
    const double a1 = scale.angle(to);
    if (a0 - a1 <= 0) {
        return;
    }
    const double radius = (kBandInner + kBandOuter) / 2;
    painter.setPen(QPen(color, kBandOuter - kBandInner, Qt::SolidLine, Qt::FlatCap));
    painter.drawArc(Circle(radius), ArcUnits(a0), -ArcUnits(a0 - a1));
}

void DrawBezelAndFace(QPainter& painter) {
    painter.setPen(Qt::NoPen);
    QLinearGradient outer(0, -100, 0, 100);
    outer.setColorAt(0, QColor(215, 218, 224));
    outer.setColorAt(1, QColor(70, 74, 82));
    painter.setBrush(outer);
    painter.drawEllipse(Circle(99));

    QLinearGradient inner(0, -96, 0, 96);
    inner.setColorAt(0, QColor(60, 64, 70));
    inner.setColorAt(1, QColor(185, 190, 198));
    painter.setBrush(inner);
    painter.drawEllipse(Circle(96));

    QRadialGradient face(0, -20, 120);
    face.setColorAt(0, QColor(58, 63, 71));
    face.setColorAt(1, QColor(18, 20, 24));
    painter.setBrush(face);
    painter.drawEllipse(Circle(kFaceRadius));
}

void DrawGlass(QPainter& painter) {
    QPainterPath glare;
    glare.addEllipse(QRectF(-74, -88, 148, 96));
    QLinearGradient shine(0, -88, 0, 8);
    shine.setColorAt(0, QColor(255, 255, 255, 46));
    shine.setColorAt(1, QColor(255, 255, 255, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(shine);
    painter.drawPath(glare);
}

// Ticks and numbers: a major tick at minimum + i * step, one more at the
// maximum when the steps do not end there, minor ticks between.
void DrawScale(QPainter& painter, const Scale& scale, double step, const QFont& base) {
    struct Tick {
        double value;
        bool onStep;  // minimum + i * step; the others are the scale's ends
    };
    std::vector<Tick> majors;
    const double span = scale.high - scale.low;
    const bool stepUsable = std::isfinite(step) && step > 0 && span / step <= kMaxTicks;
    if (stepUsable) {
        const int count = static_cast<int>(std::floor(span / step + 1e-9));
        for (int i = 0; i <= count; ++i) {
            majors.push_back({scale.low + i * step, true});
        }
        if (scale.high - majors.back().value > step * 1e-6) {
            majors.push_back({scale.high, false});
        }
    } else {
        majors = {{scale.low, true}, {scale.high, true}};
    }
    const double stepDegrees = stepUsable ? kSweep * step / span : kSweep;

    // Minor ticks: five or two to a step, as room allows.
    const int minorPerStep = stepDegrees >= 18 ? 5 : (stepDegrees >= 8 ? 2 : 1);
    if (stepUsable && minorPerStep > 1) {
        painter.setPen(QPen(QColor(205, 208, 214), 0.9, Qt::SolidLine, Qt::FlatCap));
        const double minorStep = step / minorPerStep;
        const int count = static_cast<int>(std::floor(span / minorStep + 1e-9));
        for (int i = 0; i <= count; ++i) {
            if (i % minorPerStep != 0) {
                const double a = scale.angle(scale.low + i * minorStep);
                painter.drawLine(Polar(kBandInner + 3, a), Polar(kBandOuter, a));
            }
        }
    }

    painter.setPen(QPen(kScaleText, 2.2, Qt::SolidLine, Qt::FlatCap));
    for (const Tick& tick : majors) {
        const double a = scale.angle(tick.value);
        painter.drawLine(Polar(kBandInner - 5, a), Polar(kBandOuter, a));
    }

    // Numbers: on every n-th step, n chosen so that neighbours do not touch;
    // the maximum also when it has room.
    QFont font = base;
    font.setPixelSize(13);
    painter.setFont(font);
    painter.setPen(kScaleText);
    const QFontMetricsF metrics(font);
    double widest = 0;
    for (const Tick& tick : majors) {
        widest = std::max(widest, metrics.horizontalAdvance(TickText(tick.value)));
    }
    const double needed = widest + 3;
    const auto arcLength = [](double degrees) {
        return kLabelRadius * degrees * std::numbers::pi / 180.0;
    };
    const int every = std::max(1, static_cast<int>(std::ceil(needed / arcLength(stepDegrees))));
    double lastAngle = kStartAngle + 360;
    int stepIndex = 0;
    for (std::size_t i = 0; i < majors.size(); ++i) {
        const Tick& tick = majors[i];
        const double a = scale.angle(tick.value);
        bool show = tick.onStep && stepIndex++ % every == 0;
        if (!show && i + 1 == majors.size()) {
            show = arcLength(lastAngle - a) >= needed;  // the maximum, if it has room
        }
        if (!show) {
            continue;
        }
        const QPointF at = Polar(kLabelRadius, a);
        painter.drawText(QRectF(at.x() - 30, at.y() - 10, 60, 20), Qt::AlignCenter,
                         TickText(tick.value));
        lastAngle = a;
    }
}

void DrawNeedle(QPainter& painter, double angle) {
    const QPolygonF shape({QPointF(kNeedleLength, 0), QPointF(0, -3.4), QPointF(-15, -2.2),
                           QPointF(-15, 2.2), QPointF(0, 3.4)});
    painter.save();
    painter.setPen(Qt::NoPen);

    painter.save();
    painter.translate(1.8, 2.8);
    painter.rotate(-angle);
    painter.setBrush(QColor(0, 0, 0, 90));
    painter.drawPolygon(shape);
    painter.restore();

    painter.rotate(-angle);
    QLinearGradient body(0, -3.4, 0, 3.4);
    body.setColorAt(0, QColor(255, 120, 80));
    body.setColorAt(1, QColor(200, 40, 20));
    painter.setBrush(body);
    painter.drawPolygon(shape);
    painter.restore();

    QRadialGradient hub(-2.5, -2.5, 11);
    hub.setColorAt(0, QColor(235, 238, 242));
    hub.setColorAt(1, QColor(70, 74, 80));
    painter.setPen(QPen(QColor(20, 20, 22), 0.8));
    painter.setBrush(hub);
    painter.drawEllipse(Circle(8.5));
    painter.setBrush(QColor(40, 42, 46));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(Circle(2.2));
}

void DrawCaption(QPainter& painter, const QString& caption, const QFont& base) {
    const QRectF box(-38, 28, 76, 21);
    painter.setPen(QPen(QColor(92, 98, 106), 1));
    painter.setBrush(QColor(10, 12, 14));
    painter.drawRoundedRect(box, 4, 4);
    if (caption.isEmpty()) {
        return;
    }
    QFont font = base;
    font.setPixelSize(15);
    font.setBold(true);
    // Shrink a long caption until it fits the box.
    while (font.pixelSize() > 7 &&
           QFontMetricsF(font).horizontalAdvance(caption) > box.width() - 8) {
        font.setPixelSize(font.pixelSize() - 1);
    }
    painter.setFont(font);
    painter.setPen(kCaptionText);
    painter.drawText(box, Qt::AlignCenter, caption);
}

}  // namespace

PowerGauge::PowerGauge(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

QSize PowerGauge::sizeHint() const {
    return {140, 140};
}

QSize PowerGauge::minimumSizeHint() const {
    return {90, 90};
}

namespace {

// The scale of the gauge's settings; not valid unless minimum < maximum.
Scale gaugeScale(const GaugeSettings& settings) {
    Scale scale;
    scale.valid = std::isfinite(settings.minimum()) && std::isfinite(settings.maximum()) &&
                  settings.maximum() > settings.minimum();
    if (scale.valid) {
        scale.low = settings.minimum();
        scale.high = settings.maximum();
    }
    return scale;
}

}  // namespace

void PowerGauge::drawLayers(double side) {
    const qreal ratio = devicePixelRatioF();
    const QString key = QStringLiteral("%1x%2@%3|%4|%5|%6|%7|%8|%9")
                            .arg(width())
                            .arg(height())
                            .arg(ratio)
                            .arg(minimum())
                            .arg(maximum())
                            .arg(step())
                            .arg(lowerMark())
                            .arg(upperMark())
                            .arg(font().toString());
    if (key == layersKey_) {
        return;
    }
    layersKey_ = key;
    const auto begin = [&](QPixmap& layer, QPainter& painter) {
        layer = QPixmap(size() * ratio);
        layer.setDevicePixelRatio(ratio);
        layer.fill(Qt::transparent);
        painter.begin(&layer);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                               QPainter::SmoothPixmapTransform);
        painter.translate(width() / 2.0, height() / 2.0);
        painter.scale(side / 200.0, side / 200.0);
    };

    QPainter painter;
    begin(under_, painter);
    DrawBezelAndFace(painter);
    const Scale scale = gaugeScale(*this);
    // Zones, ticks and numbers. Marks outside the scale are pinned to its ends.
    if (scale.valid) {
        const auto pin = [&](double v) {
            return std::isfinite(v) ? std::clamp(v, scale.low, scale.high) : scale.high;
        };
        const double lower = pin(lowerMark());
        const double upper = std::max(lower, pin(upperMark()));
        DrawArcBand(painter, scale, scale.low, lower, kGreen);
        DrawArcBand(painter, scale, lower, upper, kAmber);
        DrawArcBand(painter, scale, upper, scale.high, kRed);
        DrawScale(painter, scale, step(), this->font());
    } else {
        DrawArcBand(painter, Scale{0, 1, true}, 0, 1, QColor(90, 94, 100));  // no usable scale
    }
    painter.end();

    begin(over_, painter);
    DrawGlass(painter);
    painter.end();
}

void PowerGauge::paintEvent(QPaintEvent* /*event*/) {
    const double side = std::min(width(), height());
    if (side < 10) {
        return;
    }
    drawLayers(side);
    QPainter painter(this);
    painter.drawPixmap(0, 0, under_);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    painter.translate(width() / 2.0, height() / 2.0);
    painter.scale(side / 200.0, side / 200.0);
    painter.setRenderHint(QPainter::TextAntialiasing);
    DrawCaption(painter, caption(), this->font());
    DrawNeedle(painter, gaugeScale(*this).angle(value()));
    painter.resetTransform();
    painter.drawPixmap(0, 0, over_);
}

}  // namespace cellwatch
