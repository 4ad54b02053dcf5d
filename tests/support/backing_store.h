// What a window really shows, against a fresh drawing.
#pragma once

#include <QBackingStore>
#include <QImage>
#include <QPaintDevice>
#include <QWidget>

namespace cellwatch::test {

// Pixels of `widget` where its window's backing store (what the window last
// painted, not a new rendering) differs from a fresh, whole drawing of the
// widget, in device pixels at any scale; -1 when that cannot be read.
inline int stalePixels(QWidget& widget) {
    QWidget* window = widget.window();
    QPaintDevice* store = window->backingStore() ? window->backingStore()->paintDevice() : nullptr;
    if (store == nullptr || store->devType() != QInternal::Image) {
        return -1;  // a raster backing store holds an image (the offscreen platform's does)
    }
    const qreal ratio = widget.devicePixelRatioF();
    const QRect part(widget.mapTo(window, QPoint(0, 0)) * ratio, widget.size() * ratio);
    const QImage shown =
        static_cast<QImage*>(store)->copy(part).convertToFormat(QImage::Format_RGB32);
    const QImage drawn = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (shown.size() != drawn.size()) {
        return -1;
    }
    int differing = 0;
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            differing += shown.pixel(x, y) != drawn.pixel(x, y) ? 1 : 0;
        }
    }
    return differing;
}

}  // namespace cellwatch::test
