// A timer that tests can hold and step by hand.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <utility>

namespace cellwatch {

// A timer a widget or a session keeps (for when no paint comes, to show a
// state again later, to look at the time every second): a QTimer,
// which a test can hold and step by hand. Held, the QTimer never runs: start
// and stop only note whether the timer is due and after how long, and step()
// runs a due timeout at once, so a test decides when "150 ms later" has come
// instead of waiting for it on a clock it does not own. (A hold on the timer
// rather than a clock handed in: such widgets are built deep inside the
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
