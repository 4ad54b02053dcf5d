// The status band's lamps.
#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>
#include <array>
#include <optional>

#include "chart/window_paint_hook.h"

namespace cellwatch {

// A round lamp: lit while enabled. The receive lamp flips on every receive
// event, which can be a hundred times a second, and a message comes in two
// of them (its start byte, then the rest). A flip is painted with the
// window's next paint (the sample the message brings), and kLatestRepaintMs
// after it at the latest when the window paints nothing till then (bytes
// that make no sample), at most once per paint of the window. A repaint
// after flips always shows a change: after an even number of them (a whole
// message) the lamp's state of that moment would look the same as before,
// and the lamp dead, so it shows the other state, and its own state again
// kLatestRepaintMs later unless more flips came (a flash per message at one
// a second, a blink per message at the line's rate, and always its own
// state once the line is quiet). A state set outright is shown as it is.
class LampWidget final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kLatestRepaintMs = 150;

    LampWidget(QColor litColour, QWidget* parent = nullptr);
    void setLit(bool lit);
    void flip();
    bool isLit() const { return lit_; }
    bool isShownLit() const { return shown_; }
    QSize sizeHint() const override { return {18, 18}; }
    // The two timers behind kLatestRepaintMs, for tests to hold and step:
    // the repaint of flips the window did not paint, and the return to the
    // lamp's own state.
    SteppableTimer& repaintTimer() { return repaintTimer_; }
    SteppableTimer& settleTimer() { return settleTimer_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

signals:
    void clicked();

private:
    std::optional<QColor> plainBackground() const;
    void updateOpaque();
    const QPixmap& picture(const std::optional<QColor>& background) const;
    void owePaint();
    void paintOwed();
    void settle();

    QColor colour_;
    bool lit_ = false;
    bool shown_ = false;  // the state painted
    int flipsSincePaint_ = 0;
    SteppableTimer repaintTimer_{[this] { paintOwed(); }};  // runs while a flip is owed
    SteppableTimer settleTimer_{[this] { settle(); }};      // runs while the other state is shown
    WindowPaintHook* paintHook_ = nullptr;
    mutable std::array<QPixmap, 2> pictures_;  // unlit, lit
    mutable std::array<QColor, 2> pictureBackgrounds_;
};

}  // namespace cellwatch
