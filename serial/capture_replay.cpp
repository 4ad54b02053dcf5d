#include "serial/capture_replay.h"

#include <QTimeZone>
#include <algorithm>
#include <cmath>
#include <limits>

namespace cellwatch {

namespace {

// a + b, held at the ends of the range instead of overflowing.
std::int64_t addSaturated(std::int64_t a, std::int64_t b) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    if (b > 0 && a > kMax - b) {
        return kMax;
    }
    if (b < 0 && a < kMin - b) {
        return kMin;
    }
    return a + b;
}

// Simulated ms after `real` ms at `speed`, within the 64-bit range.
std::int64_t simulatedMs(std::int64_t real, double speed) {
    const double ms = static_cast<double>(real) * speed;
    // 2^63 is the first double beyond the range; every smaller one converts.
    constexpr double kBeyond = 9'223'372'036'854'775'808.0;
    return ms < kBeyond ? static_cast<std::int64_t>(ms) : std::numeric_limits<std::int64_t>::max();
}

}  // namespace

QDateTime captureTime(std::int64_t wallMs, std::int32_t utcOffsetSeconds) {
    return QDateTime::fromMSecsSinceEpoch(wallMs, QTimeZone(utcOffsetSeconds));
}

std::optional<double> parseReplaySpeed(const QString& text) {
    bool ok = false;
    const double speed = text.toDouble(&ok);
    if (!ok || !(speed >= 0 && speed <= kMaxReplaySpeed)) {  // also refuses NaN
        return std::nullopt;
    }
    return speed;
}

// --- the replay ------------------------------------------------------------------------------

CaptureReplay::CaptureReplay(CaptureReader& reader, Receiver receiver, ManualTickClock& ticks,
                             WallSetter setWall)
    : reader_(reader),
      receiver_(std::move(receiver)),
      ticks_(ticks),
      setWall_(std::move(setWall)),
      utcOffsetSeconds_(reader.start().utcOffsetSeconds),
      lastReadTicks_(reader.start().ticks),
      anchorTicks_(reader.start().ticks),
      anchorWallMs_(reader.start().wallMs) {
    ticks_.set(anchorTicks_);
    setWall_(captureTime(anchorWallMs_, utcOffsetSeconds_));
    readAhead();
}

std::optional<std::int64_t> CaptureReplay::nextAt() const {
    if (!pending_) {
        return std::nullopt;
    }
    return nextPosition_;
}

void CaptureReplay::readAhead() {
    pending_ = reader_.next(next_);
    if (!pending_) {
        return;
    }
    // The tick counter only runs forward (and wraps); a step back would be
    // a 49-day step forward, so it counts as no time at all.
    std::uint32_t step = ticksBetween(lastReadTicks_, next_.ticks);
    if (step > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) {
        step = 0;
    }
    nextPosition_ = addSaturated(nextPosition_, step);
    lastReadTicks_ = next_.ticks;
}

bool CaptureReplay::playNext() {
    if (!pending_) {
        return false;
    }
    position_ = std::max(position_, nextPosition_);
    anchorTicks_ = next_.ticks;
    anchorWallMs_ = next_.wallMs;
    anchorPosition_ = position_;
    ticks_.set(anchorTicks_);
    setWall_(captureTime(anchorWallMs_, utcOffsetSeconds_));

    if (next_.direction == CaptureDirection::Received) {
        receiver_(next_.bytes);  // what the program wrote is not played again
    }
    ++played_;
    bytes_ += next_.bytes.size();
    readAhead();
    return true;
}

void CaptureReplay::playTo(std::int64_t ms) {
    while (pending_ && nextPosition_ <= ms) {
        playNext();
    }
    if (ms > position_) {
        position_ = ms;
        const std::int64_t since = ms - anchorPosition_;
        ticks_.set(anchorTicks_ + static_cast<std::uint32_t>(since));
        setWall_(captureTime(addSaturated(anchorWallMs_, since), utcOffsetSeconds_));
    }
}

// --- pacing -----------------------------------------------------------------------------------

ReplayRunner::ReplayRunner(CaptureReplay& replay, double speed, QObject* parent)
    : QObject(parent), replay_(replay), speed_(speed > 0 ? std::min(speed, kMaxReplaySpeed) : 0.0) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &ReplayRunner::step);
}

void ReplayRunner::start() {
    real_.start();
    startPosition_ = replay_.position();
    timer_.start(0);
}

void ReplayRunner::stop() {
    timer_.stop();
}

void ReplayRunner::step() {
    if (keepGoing_ && !keepGoing_()) {
        emit stopped();
        return;
    }
    try {
        if (speed_ == 0) {
            QElapsedTimer slice;
            slice.start();
            while (replay_.playNext() && slice.elapsed() < kSliceMs) {
            }
        } else {
            replay_.playTo(addSaturated(startPosition_, simulatedMs(real_.elapsed(), speed_)));
        }
    } catch (const CaptureError& e) {
        emit failed(QString::fromLocal8Bit(e.what()));
        return;
    }
    const std::optional<std::int64_t> next = replay_.nextAt();
    if (!next) {
        emit finished();
        return;
    }
    int waitMs = 0;
    if (speed_ > 0) {
        const double realMs = static_cast<double>(*next - replay_.position()) / speed_;
        waitMs = static_cast<int>(std::clamp(std::ceil(realMs), 0.0, double{kMaxWaitMs}));
    }
    timer_.start(waitMs);
}

}  // namespace cellwatch
