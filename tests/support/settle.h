// Waiting until the windows are quiet, and what their widgets painted.
//
// A window's work after a change comes in posted events (update requests,
// layouts, queued calls), each of which may post more; how many passes of
// the event loop that takes depends on the machine, so tests never count
// passes. They settle: run the loop until it has delivered nothing for a
// quiet spell, and then look at what was painted, not how often.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QMetaEnum>
#include <QPaintEvent>
#include <QPointer>
#include <QRegion>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <map>
#include <set>
#include <string>

namespace cellwatch::test {

namespace detail {

// Notes every event delivered while it is installed, timer events aside: a
// timer that fires is no work of its own, only what it does is (tests hold
// and step the timers they must see fire, see SteppableTimer).
class WorkWatch final : public QObject {
public:
    WorkWatch() { qApp->installEventFilter(this); }
    ~WorkWatch() override { qApp->removeEventFilter(this); }
    WorkWatch(const WorkWatch&) = delete;
    WorkWatch& operator=(const WorkWatch&) = delete;

    int seen = 0;
    std::string last;  // the last event seen and its receiver, for the failure

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Timer) {
            ++seen;
            const char* type = QMetaEnum::fromType<QEvent::Type>().valueToKey(event->type());
            last = std::string(type != nullptr ? type : "an event") + " to " +
                   watched->metaObject()->className() + " \"" +
                   watched->objectName().toStdString() + '"';
        }
        return false;
    }
};

}  // namespace detail

// The quiet spell: passes of the event loop in a row that deliver nothing,
// lasting this long at least (so that work coming from another thread or
// process, or a zero timer of Qt's own, has had its turn).
inline constexpr int kQuietPasses = 3;
inline constexpr int kQuietMs = 40;

// Runs the event loop until it is quiet: no paint, no update request and
// no posted event delivered for the quiet spell. Work that keeps coming
// for `boundMs` fails the test loudly, naming the last event; whether the
// loop became quiet.
inline bool settle(int boundMs = 10000) {
    detail::WorkWatch work;
    const QDeadlineTimer bound(boundMs);
    QElapsedTimer quietFor;
    quietFor.start();
    int quietPasses = 0;
    for (;;) {
        const int before = work.seen;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (work.seen != before) {
            quietPasses = 0;
            quietFor.restart();
        } else if (++quietPasses >= kQuietPasses && quietFor.elapsed() >= kQuietMs) {
            return true;
        }
        if (bound.hasExpired()) {
            ADD_FAILURE() << "the event loop was still busy after " << boundMs
                          << " ms; the last event: " << work.last;
            return false;
        }
        if (work.seen == before) {
            QThread::msleep(1);  // nothing came: let a timer or another thread get there
        }
    }
}

// Runs the event loop until a timer of the test's own, started now, fires
// `ms` from now. Qt runs due timers in the order of their deadlines, so
// every timer of the program due before then (a poll of a shorter interval,
// already running) has run by the time this returns, however late the
// machine let the loop get there: a check that such a timer did nothing
// follows the timer's turn, not a guess at how long it takes.
inline void runTimersDueWithin(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// What widgets painted while the record was on: for each widget, the union
// of its paint events' regions, in the coordinates of its window (so that
// what a widget and the widget under it painted can be compared), and the
// window passes (update requests of the top-level widget) it painted in.
class PaintRecord final : public QObject {
public:
    PaintRecord() { qApp->installEventFilter(this); }
    ~PaintRecord() override { qApp->removeEventFilter(this); }
    PaintRecord(const PaintRecord&) = delete;
    PaintRecord& operator=(const PaintRecord&) = delete;

    void clear() {
        regions_.clear();
        passesOf_.clear();
    }
    // What `widget` painted, in its window's coordinates.
    QRegion of(const QWidget* widget) const {
        const auto it = regions_.find(widget);
        return it == regions_.end() ? QRegion() : it->second;
    }
    bool painted(const QWidget* widget) const { return !of(widget).isEmpty(); }
    // The window passes `widget` painted in (numbered from 1, as counted
    // since the record began).
    std::set<int> passesOf(const QWidget* widget) const {
        const auto it = passesOf_.find(widget);
        return it == passesOf_.end() ? std::set<int>() : it->second;
    }
    // A widget's rectangle in its window's coordinates.
    static QRect rectOf(const QWidget& widget) {
        return {widget.mapTo(widget.window(), QPoint(0, 0)), widget.size()};
    }

    // Paints while a pause is held (a grab of a widget paints it into a
    // picture of its own, not into the window) are not recorded.
    class Pause {
    public:
        explicit Pause(PaintRecord& record) : record_(record) { ++record_.paused_; }
        ~Pause() { --record_.paused_; }
        Pause(const Pause&) = delete;
        Pause& operator=(const Pause&) = delete;

    private:
        PaintRecord& record_;
    };

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (paused_ > 0 || !watched->isWidgetType()) {
            return false;
        }
        auto* widget = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::UpdateRequest && widget->isWindow()) {
            ++passes_;
        } else if (event->type() == QEvent::Paint) {
            const QRegion region = static_cast<QPaintEvent*>(event)->region();
            regions_[widget] += region.translated(widget->mapTo(widget->window(), QPoint(0, 0)));
            passesOf_[widget].insert(passes_);
        }
        return false;
    }

private:
    std::map<const QWidget*, QRegion> regions_;
    std::map<const QWidget*, std::set<int>> passesOf_;
    int passes_ = 0;
    int paused_ = 0;
};

}  // namespace cellwatch::test
