// What a window really shows, against a fresh drawing.
#pragma once

#include <QImage>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace cellwatch::test {

// Pixels of `widget` where its window's backing store (what the window last
// painted, not a new rendering) differs from a fresh, whole drawing of the
// widget; -1 when the two are not the same size.
inline int stalePixels(QWidget& widget) {
    QWidget* window = widget.window();
    const QPoint at = widget.mapTo(window, QPoint(0, 0));
    const QImage shown =
        window->screen()
            ->grabWindow(window->winId(), at.x(), at.y(), widget.width(), widget.height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
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
