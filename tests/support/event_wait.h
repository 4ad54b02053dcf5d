// Waiting for work done in events: the event loop runs meanwhile.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <functional>

namespace cellwatch::testing {

// Runs the event loop until `done` or `ms` have passed; whether `done` held.
inline bool waitUntil(const std::function<bool()>& done, int ms = 10000) {
    const QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::sendPostedEvents();
        QThread::msleep(1);
    }
    return true;
}

}  // namespace cellwatch::testing
