#include "readout/cell_bar.h"

#include <algorithm>
#include <cmath>

#include <QLinearGradient>
#include <QPaintEngine>
#include <QPainter>

namespace cellwatch {
namespace {

QColor Blend(const QColor& a, const QColor& b, double t) {
    return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * t),
                            static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * t),
                            static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * t));
}

}  // namespace

CellBar::CellBar(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    // The paint covers every pixel, so nothing behind a bar is drawn again
    // when its level moves.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CellBar::setValue(int value) {
    value = std::clamp(value, kMinimum, kMaximum);
    if (value != value_) {
        value_ = value;
        update();
    }
}

void CellBar::setPictureStyle(int style) {
    if (style != pictureStyle_) {
        pictureStyle_ = style;
        scaledValid_ = false;
        update();
    }
}

void CellBar::setFillPicture(const QImage& picture, const QString& source) {
    pictureSource_ = source;
    // The panel hands over the same shared image sample after sample; only a
    // different one needs scaling again.
    if (picture.cacheKey() != picture_.cacheKey()) {
        picture_ = picture;
        scaledValid_ = false;
        update();
    }
}

void CellBar::setFillColor(const QColor& color) {
    if (color != fillColor_) {
        fillColor_ = color;
        update();
    }
}

QSize CellBar::sizeHint() const {
    return {18, 120};
}

QSize CellBar::minimumSizeHint() const {
    return {8, 30};
}

QRect CellBar::trackRect() const {
    return rect().adjusted(1, 1, -1, -1);
}

const QPixmap& CellBar::scaledPicture(const QSize& size) const {
    const QSize wanted =
        pictureStyle_ == kPictureStretched ? size : QSize(size.width(), picture_.height());
    if (!scaledValid_ || scaled_.size() != wanted) {
        scaled_ = QPixmap::fromImage(
            picture_.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        scaledValid_ = true;
    }
    return scaled_;
}

const QPixmap& CellBar::groove(const QSize& size, qreal ratio) const {
    const QPalette& pal = palette();
    if (grooveSize_ != size || grooveRatio_ != ratio || grooveKey_ != pal.cacheKey()) {
        // The palette's base, slightly shaded towards the sides.
        const QColor base = pal.color(QPalette::Base);
        const QColor side = Blend(base, pal.color(QPalette::Text), 0.10);
        QLinearGradient shade(0, 0, size.width(), 0);
        shade.setColorAt(0.0, side);
        shade.setColorAt(0.5, base);
        shade.setColorAt(1.0, side);
        QPixmap pixmap(static_cast<int>(std::ceil(size.width() * ratio)),
                       static_cast<int>(std::ceil(size.height() * ratio)));
        pixmap.setDevicePixelRatio(ratio);
        QPainter painter(&pixmap);
        painter.fillRect(QRectF(QPointF(0, 0), pixmap.deviceIndependentSize()), shade);
        painter.end();
        groove_ = pixmap;
        grooveSize_ = size;
        grooveRatio_ = ratio;
        grooveKey_ = pal.cacheKey();
    }
    return groove_;
}

// Everything is copied from pictures drawn once, in pieces the raster
// engine copies row by row: a gradient or tiled fill of a tall bar would be
// split over the GUI thread pool at every level change.
void CellBar::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QPalette& pal = palette();
    const QRect track = trackRect();
    if (track.width() <= 0 || track.height() <= 0) {
        return;
    }

    const int filled = (track.height() * value_ + kMaximum / 2) / kMaximum;
    const int empty = track.height() - filled;
    if (empty > 0) {
        // The picture at the ratio of what is painted on (the screen, or a
        // print or grab); its own pixels are what the source counts in.
        const qreal ratio = painter.paintEngine()->paintDevice()->devicePixelRatioF();
        const QPixmap& empties = groove(track.size(), ratio);
        painter.drawPixmap(QRectF(track.left(), track.top(), track.width(), empty), empties,
                           QRectF(0, 0, track.width() * ratio, empty * ratio));
    }
    if (filled > 0) {
        const QRect fill(track.left(), track.top() + empty, track.width(), filled);
        if (picture_.isNull()) {
            painter.fillRect(fill, fillColor_);
        } else if (pictureStyle_ == kPictureStretched) {
            const QPixmap& pixmap = scaledPicture(track.size());
            painter.drawPixmap(fill.topLeft(), pixmap, fill.translated(-track.topLeft()));
        } else {
            // Tiles start at the bottom edge, so the lowest tile is always
            // whole; each tile is its own copy.
            const QPixmap& pixmap = scaledPicture(track.size());
            const int tile = std::max(1, pixmap.height());
            painter.setClipRect(fill);
            for (int bottom = fill.bottom() + 1; bottom > fill.top(); bottom -= tile) {
                painter.drawPixmap(fill.left(), bottom - tile, pixmap);
            }
            painter.setClipping(false);
        }
    }

    painter.setPen(Blend(pal.color(QPalette::Window), pal.color(QPalette::WindowText), 0.45));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace cellwatch
