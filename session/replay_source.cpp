#include "session/replay_source.h"

#include <QFile>
#include <QFileInfo>

namespace cellwatch::session {

ReplaySource::ReplaySource(SourceEvents events, const QString& file, double speed)
    : events_(std::move(events)),
      name_(QFileInfo(file).fileName()),
      reader_(QFile::encodeName(file).toStdString()),
      replay_(reader_, events_.take, ticks_, [this](const QDateTime& t) { wall_.set(t); }),
      runner_(replay_, speed) {
    QObject::connect(&runner_, &ReplayRunner::finished, &runner_, [this] {
        open_ = false;
        events_.ended();
    });
    QObject::connect(&runner_, &ReplayRunner::failed, &runner_, [this](const QString& why) {
        open_ = false;
        events_.failed(why);
    });
}

ReplaySource::~ReplaySource() {
    runner_.stop();
}

void ReplaySource::open() {
    open_ = true;
    // Opened, the session follows these clocks; the recording begins at the
    // capture's start once the session holds the source.
    QMetaObject::invokeMethod(
        &runner_,
        [this] {
            if (open_) {
                events_.started();
                runner_.start();
            }
        },
        Qt::QueuedConnection);
}

void ReplaySource::close() {
    open_ = false;
    runner_.stop();
}

}  // namespace cellwatch::session
