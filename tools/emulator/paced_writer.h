// Plays a step list to a file descriptor the way a charger talks: one
// message per interval, each spread over the time the line needs for it.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "tools/emulator/scenario.h"

namespace cellwatch::emulator {

// 9600 baud, 8 data bits, no parity, 1 stop bit: ten bit times per byte.
inline constexpr std::uint32_t kLineBytesPerSecond = 960;

struct PacingOptions {
    bool paced = true;                // false: everything at once, no sleeps
    std::uint32_t intervalMs = 1000;  // from one message start to the next
    std::uint32_t bytesPerSecond = kLineBytesPerSecond;
    std::size_t chunkBytes = 8;  // bytes written together while paced
};

class PacedWriter {
public:
    enum class Outcome {
        Finished,  // every step played
        Stopped,   // the stop flag was raised
        Closed,    // the reader went away (EPIPE)
        Failed,    // another write error, see error()
    };

    PacedWriter(int fd, PacingOptions options);

    // Asked before each message: while it returns false nobody listens, and
    // the message is dropped instead of written, as a charger's bytes are
    // lost on a line nobody reads. Also stops a message half way.
    void setListenerCheck(std::function<bool()> listening) { listening_ = std::move(listening); }
    // When the descriptor is non-blocking and full, drop the rest of the
    // message (an overrun) instead of waiting for room.
    void setDropWhenFull(bool drop) { dropWhenFull_ = drop; }
    // Checked between chunks and while sleeping; sleeps wake within 50 ms.
    void setStopFlag(const std::atomic<bool>* stop) { stop_ = stop; }

    // Plays the steps. May be called again (e.g. to loop); the pacing goes on
    // from where the previous call left off.
    Outcome play(const std::vector<Step>& steps);

    int error() const { return error_; }
    std::size_t messagesWritten() const { return written_; }
    std::size_t messagesDropped() const { return dropped_; }

private:
    using Clock = std::chrono::steady_clock;

    enum class Sent { All, Dropped, Stop };

    bool stopRequested() const;
    bool sleepUntil(Clock::time_point when);
    Sent send(std::span<const std::uint8_t> bytes, bool message);
    Sent writeChunk(std::span<const std::uint8_t> chunk);
    Outcome stopOutcome() const;

    int fd_;
    PacingOptions options_;
    std::function<bool()> listening_;
    bool dropWhenFull_ = false;
    const std::atomic<bool>* stop_ = nullptr;

    bool started_ = false;
    Clock::time_point nextMessage_{};  // the earliest start of the next message
    Clock::time_point lineFree_{};     // when the bytes written so far are on the line
    int error_ = 0;
    std::size_t written_ = 0;
    std::size_t dropped_ = 0;
};

}  // namespace cellwatch::emulator
