// Playing a capture back through the receive path on simulated clocks.
//
// CaptureReplay sets the tick counter and the wall clock to the moment each
// record arrived and then hands its bytes on (to the session's driver), as
// the port did, so that everything reading the clocks (the decoder's freshness test,
// the recording's elapsed times and its 4-second pause rule, the chart's
// time axis) sees the times of the live run. Between records the clocks
// move on with the simulated time, never back.
//
// ReplayRunner paces a replay against real time from the event loop: speed
// 1 is real time, 2 twice as fast, 0 as fast as it goes, in slices of a few
// milliseconds per turn of the event loop so that a window stays responsive.
#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "protocol/byte_source.h"
#include "protocol/tick_clock.h"
#include "serial/capture.h"

namespace cellwatch {

// A capture's wall-clock time as the local time of the machine that made it.
QDateTime captureTime(std::int64_t wallMs, std::int32_t utcOffsetSeconds);

// The fastest replay: a million times real time (a year of capture in 32 s).
inline constexpr double kMaxReplaySpeed = 1e6;
// What a replay speed may be, for usage messages.
inline constexpr const char* kReplaySpeedRule =
    "0 as fast as possible, or a number up to 1000000: 1 real time, 2 twice as fast";

// A replay speed as given on a command line: 0, or a positive number up to
// kMaxReplaySpeed. Nothing for anything else (a negative, infinite or larger
// number, or no number at all).
std::optional<double> parseReplaySpeed(const QString& text);

class CaptureReplay {
public:
    using WallSetter = std::function<void(const QDateTime&)>;
    // The bytes of one record, on the clocks of its arrival.
    using Receiver = std::function<void(std::span<const std::uint8_t>)>;

    // Sets `ticks` and, through `setWall`, the wall clock to the capture's
    // start, so that a recording begun now begins as the live one did.
    CaptureReplay(CaptureReader& reader, Receiver receiver, ManualTickClock& ticks,
                  WallSetter setWall);

    // Simulated ms since the capture's start: where the clocks stand.
    std::int64_t position() const { return position_; }
    // When the next record arrived; nothing once the capture is played.
    std::optional<std::int64_t> nextAt() const;
    bool atEnd() const { return !pending_; }

    // Plays the next record: clocks to its arrival, then its bytes. False at the end.
    bool playNext();
    // Plays every record that arrived up to `ms`, then sets the clocks to `ms`
    // (when later than where they stand).
    void playTo(std::int64_t ms);

    std::uint64_t recordsPlayed() const { return played_; }
    std::uint64_t bytesPlayed() const { return bytes_; }

private:
    void readAhead();

    CaptureReader& reader_;
    Receiver receiver_;
    ManualTickClock& ticks_;
    WallSetter setWall_;

    std::int32_t utcOffsetSeconds_ = 0;
    std::int64_t position_ = 0;

    // The record read ahead, and where it lies.
    CaptureRecord next_;
    bool pending_ = false;
    std::int64_t nextPosition_ = 0;
    std::uint32_t lastReadTicks_ = 0;

    // The clocks of the last record played (or the start), and its position:
    // simulated time after it counts on from these.
    std::uint32_t anchorTicks_ = 0;
    std::int64_t anchorWallMs_ = 0;
    std::int64_t anchorPosition_ = 0;

    std::uint64_t played_ = 0;
    std::uint64_t bytes_ = 0;
};

class ReplayRunner final : public QObject {
    Q_OBJECT
public:
    // `speed`: 0 as fast as possible, otherwise simulated ms per real ms;
    // a speed above kMaxReplaySpeed plays at that speed, one that is no
    // number or below 0 as fast as possible.
    ReplayRunner(CaptureReplay& replay, double speed, QObject* parent = nullptr);

    // Asked before each step; the runner stops (without finished) once it is false.
    void setKeepGoing(std::function<bool()> keepGoing) { keepGoing_ = std::move(keepGoing); }

    void start();
    void stop();
    bool running() const { return timer_.isActive(); }

    // Work done per event-loop turn at speed 0.
    static constexpr int kSliceMs = 5;
    // The longest wait between steps at a paced speed, so that the clocks
    // move on through a quiet stretch.
    static constexpr int kMaxWaitMs = 200;

signals:
    // Every record is played.
    void finished();
    // Stopped because keepGoing said so.
    void stopped();
    // The capture could not be read on; the replay stops.
    void failed(const QString& why);

private:
    void step();

    CaptureReplay& replay_;
    double speed_;
    std::function<bool()> keepGoing_;
    QTimer timer_;
    QElapsedTimer real_;
    std::int64_t startPosition_ = 0;
};

}  // namespace cellwatch
