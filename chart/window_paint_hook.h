// A repaint that may wait joins the next paint its window makes anyway.
//
// Widgets that throttle their repaints (the chart's replots, the receive
// lamp) would otherwise wake the program with a timer of their own and make
// a paint pass of their own, a few milliseconds after the pass that showed
// a new sample's texts. Armed, the hook runs its action just before the
// window's next paint pass (Qt's update request of the top-level widget), so
// whatever the action asks to be drawn goes into that pass. The caller keeps
// its timer for when no paint comes; the hook fires once per arming. (All
// inline: the tool bar's lamp uses it too, without the chart's library.)
#pragma once

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <utility>

#include "serial/steppable_timer.h"

namespace cellwatch {

class WindowPaintHook final : public QObject {
public:
    WindowPaintHook(QWidget* widget, std::function<void()> beforePaint)
        : QObject(widget), widget_(widget), beforePaint_(std::move(beforePaint)) {}

    // Runs the action before the next paint of the widget's window.
    void arm() {
        // The widget may have moved to another window since the last arming.
        QWidget* window = widget_->window();
        if (window != window_) {
            if (window_ != nullptr) {
                window_->removeEventFilter(this);
            }
            window_ = window;
            window_->installEventFilter(this);
        }
        armed_ = true;
    }
    void disarm() { armed_ = false; }
    bool armed() const { return armed_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::UpdateRequest && armed_ && watched == window_) {
            armed_ = false;
            beforePaint_();  // its updates are painted in the pass about to run
        }
        return false;
    }

private:
    QWidget* widget_;
    std::function<void()> beforePaint_;
    QPointer<QWidget> window_;  // the window the filter is on
    bool armed_ = false;
};

}  // namespace cellwatch
