#include "readout/cell_bar.h"

#include <algorithm>

#include <QLinearGradient>
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

void CellBar::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QPalette& pal = palette();
    const QRect track = trackRect();
    if (track.width() <= 0 || track.height() <= 0) {
        return;
    }

    // Empty part: the palette's base, slightly shaded towards the sides.
    const QColor base = pal.color(QPalette::Base);
    QLinearGradient groove(track.topLeft(), track.topRight());
    groove.setColorAt(0.0, Blend(base, pal.color(QPalette::Text), 0.10));
    groove.setColorAt(0.5, base);
    groove.setColorAt(1.0, Blend(base, pal.color(QPalette::Text), 0.10));
    painter.fillRect(track, groove);

    const int filled = (track.height() * value_ + kMaximum / 2) / kMaximum;
    if (filled > 0) {
        const QRect fill(track.left(), track.bottom() - filled + 1, track.width(), filled);
        if (picture_.isNull()) {
            painter.fillRect(fill, fillColor_);
        } else if (pictureStyle_ == kPictureStretched) {
            const QPixmap& pixmap = scaledPicture(track.size());
            painter.drawPixmap(fill, pixmap, fill.translated(-track.topLeft()));
        } else {
            const QPixmap& pixmap = scaledPicture(track.size());
            const int tile = std::max(1, pixmap.height());
            // Tiles start at the bottom edge, so the lowest tile is always whole.
            painter.drawTiledPixmap(fill, pixmap, QPoint(0, (tile - filled % tile) % tile));
        }
    }

    painter.setPen(Blend(pal.color(QPalette::Window), pal.color(QPalette::WindowText), 0.45));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace cellwatch
