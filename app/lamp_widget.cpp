#include "app/lamp_widget.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRadialGradient>

namespace cellwatch {

LampWidget::LampWidget(QColor litColour, QWidget* parent) : QWidget(parent), colour_(litColour) {
    setFixedSize(sizeHint());
    paintHook_ = new WindowPaintHook(this, [this] {
        if (repaintTimer_.isActive()) {
            repaintTimer_.stop();
            paintOwed();
        }
    });
}

void LampWidget::settle() {
    if (flipsSincePaint_ == 0 && shown_ != lit_) {  // flips owed are painted anyway
        shown_ = lit_;
        update();
    }
}

void LampWidget::setLit(bool lit) {
    flipsSincePaint_ = 0;
    if (lit == lit_ && lit == shown_) {
        return;
    }
    lit_ = lit;
    owePaint();
}

void LampWidget::flip() {
    lit_ = !lit_;
    ++flipsSincePaint_;
    owePaint();
}

void LampWidget::owePaint() {
    if (!repaintTimer_.isActive()) {
        repaintTimer_.start(kLatestRepaintMs);
        paintHook_->arm();
    }
}

void LampWidget::paintOwed() {
    const bool before = shown_;
    shown_ = flipsSincePaint_ > 0 && lit_ == shown_ ? !shown_ : lit_;
    flipsSincePaint_ = 0;
    if (shown_ != before) {
        update();
    }
    // Showing the other state, it goes back to its own once the flips stop
    // (at the line's full rate the next message comes first).
    if (shown_ != lit_) {
        settleTimer_.start(kLatestRepaintMs);
    } else {
        settleTimer_.stop();
    }
}

// The band's background behind the lamp when it is one plain colour: the
// lamp's pictures then carry it and the lamp covers its square itself, so a
// flip repaints the lamp alone rather than the band under it first.
std::optional<QColor> LampWidget::plainBackground() const {
    const QWidget* band = parentWidget();
    if (band == nullptr || !band->autoFillBackground()) {
        return std::nullopt;
    }
    const QBrush& brush = band->palette().brush(band->backgroundRole());
    if (brush.style() != Qt::SolidPattern || !brush.isOpaque()) {
        return std::nullopt;
    }
    return brush.color();
}

const QPixmap& LampWidget::picture(const std::optional<QColor>& background) const {
    QPixmap& picture = pictures_[shown_ ? 1 : 0];
    const qreal ratio = devicePixelRatioF();
    const QColor fill = background.value_or(QColor(Qt::transparent));
    if (picture.isNull() || picture.devicePixelRatio() != ratio ||
        pictureBackgrounds_[shown_ ? 1 : 0] != fill) {
        pictureBackgrounds_[shown_ ? 1 : 0] = fill;
        picture = QPixmap(size() * ratio);
        picture.setDevicePixelRatio(ratio);
        picture.fill(fill);
        QPainter p(&picture);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r = QRectF(rect()).adjusted(3, 3, -3, -3);
        QRadialGradient g(r.center() - QPointF(2, 2), r.width() / 1.5);
        const QColor base = shown_ ? colour_ : QColor(90, 90, 90);
        g.setColorAt(0, base.lighter(shown_ ? 170 : 130));
        g.setColorAt(1, base.darker(shown_ ? 110 : 140));
        p.setBrush(g);
        p.setPen(QPen(QColor(40, 40, 40), 1));
        p.drawEllipse(r);
    }
    return picture;
}

// Drawn once per state into a picture; a flip copies it.
void LampWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(
        0, 0, picture(testAttribute(Qt::WA_OpaquePaintEvent) ? plainBackground() : std::nullopt));
}

// Opaque (Qt then skips the band under it) only while the pictures can carry
// the band's background.
void LampWidget::updateOpaque() {
    setAttribute(Qt::WA_OpaquePaintEvent, plainBackground().has_value());
}

void LampWidget::showEvent(QShowEvent* event) {
    updateOpaque();
    QWidget::showEvent(event);
}

void LampWidget::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange) {
        updateOpaque();
    }
    QWidget::changeEvent(event);
}

void LampWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit clicked();
    }
}

}  // namespace cellwatch
