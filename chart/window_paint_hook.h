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

// The timer such a widget keeps beside the hook (for when no paint comes, to
// show a state again later, to look at the time every second): a QTimer,
// which a test can hold and step by hand. Held, the QTimer never runs: start
// and stop only note whether the timer is due and after how long, and step()
// runs a due timeout at once, so a test decides when "150 ms later" has come
// instead of waiting for it on a clock it does not own. (A hold on the timer
// rather than a clock handed in: these widgets are built deep inside the
// window, where a test hands nothing in, and it reaches them once they exist.)
class SteppableTimer final {
public:
    explicit SteppableTimer(std::function<void()> timeout, bool singleShot = true)
        : timeout_(std::move(timeout)) {
        timer_.setSingleShot(singleShot);
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { timeout_(); });
    }
    SteppableTimer(const SteppableTimer&) = delete;
    SteppableTimer& operator=(const SteppableTimer&) = delete;

    void start(int ms) {
        interval_ = ms;
        due_ = true;
        if (!held_) {
            timer_.start(ms);
        }
    }
    void start() { start(interval_); }
    void stop() {
        due_ = false;
        timer_.stop();
    }
    bool isActive() const { return held_ ? due_ : timer_.isActive(); }
    // The time of the last start (or the interval set), in milliseconds.
    int interval() const { return interval_; }
    void setInterval(int ms) {
        interval_ = ms;
        timer_.setInterval(ms);
    }

    // From now on the timer runs only when stepped; a start already made
    // stays due.
    void hold() {
        due_ = timer_.isActive();
        held_ = true;
        timer_.stop();
    }
    bool held() const { return held_; }
    // Held and due: runs the timeout now (a single-shot timer is then no
    // longer due, unless the timeout starts it again). Whether it ran.
    bool step() {
        if (!held_ || !due_) {
            return false;
        }
        due_ = !timer_.isSingleShot();
        timeout_();
        return true;
    }

private:
    QTimer timer_;
    std::function<void()> timeout_;
    int interval_ = 0;
    bool held_ = false;
    bool due_ = false;  // while held: started and neither stopped nor run out
};

}  // namespace cellwatch
