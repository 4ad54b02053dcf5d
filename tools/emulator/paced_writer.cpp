#include "tools/emulator/paced_writer.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

namespace cellwatch::emulator {
namespace {

constexpr auto kLongestNap = std::chrono::milliseconds(50);

}  // namespace

PacedWriter::PacedWriter(int fd, PacingOptions options) : fd_(fd), options_(options) {
    options_.bytesPerSecond = std::max<std::uint32_t>(options_.bytesPerSecond, 1);
    options_.chunkBytes = std::max<std::size_t>(options_.chunkBytes, 1);
}

bool PacedWriter::stopRequested() const {
    return stop_ != nullptr && stop_->load(std::memory_order_relaxed);
}

bool PacedWriter::sleepUntil(Clock::time_point when) {
    for (;;) {
        if (stopRequested()) {
            return false;
        }
        const auto now = Clock::now();
        if (now >= when) {
            return true;
        }
        // A signal cuts the nap short; the loop then looks at the flag.
        std::this_thread::sleep_for(std::min<Clock::duration>(when - now, kLongestNap));
    }
}

PacedWriter::Sent PacedWriter::writeChunk(std::span<const std::uint8_t> chunk) {
    while (!chunk.empty()) {
        const ssize_t n = ::write(fd_, chunk.data(), chunk.size());
        if (n >= 0) {
            chunk = chunk.subspan(static_cast<std::size_t>(n));
            continue;
        }
        if (errno == EINTR) {
            if (stopRequested()) {
                return Sent::Stop;
            }
            continue;
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (dropWhenFull_) {
                return Sent::Dropped;
            }
            pollfd p{fd_, POLLOUT, 0};
            ::poll(&p, 1, static_cast<int>(kLongestNap.count()));
            if (stopRequested()) {
                return Sent::Stop;
            }
            continue;
        }
        error_ = errno;
        return Sent::Stop;
    }
    return Sent::All;
}

PacedWriter::Sent PacedWriter::send(std::span<const std::uint8_t> bytes, bool message) {
    if (!options_.paced) {
        return writeChunk(bytes);
    }
    using std::chrono::microseconds;
    auto at = std::max(lineFree_, Clock::now());
    while (!bytes.empty()) {
        if (!sleepUntil(at)) {
            return Sent::Stop;
        }
        if (message && listening_ && !listening_()) {
            return Sent::Dropped;
        }
        const auto chunk = bytes.first(std::min(options_.chunkBytes, bytes.size()));
        const Sent sent = writeChunk(chunk);
        if (sent != Sent::All) {
            return sent;
        }
        bytes = bytes.subspan(chunk.size());
        at += microseconds(
            static_cast<std::int64_t>(chunk.size() * 1000000 / options_.bytesPerSecond));
        lineFree_ = at;
    }
    return Sent::All;
}

PacedWriter::Outcome PacedWriter::stopOutcome() const {
    if (error_ != 0) {
        return error_ == EPIPE ? Outcome::Closed : Outcome::Failed;
    }
    return Outcome::Stopped;
}

PacedWriter::Outcome PacedWriter::play(const std::vector<Step>& steps) {
    if (!started_) {
        started_ = true;
        nextMessage_ = lineFree_ = Clock::now();
    }
    for (const Step& step : steps) {
        if (stopRequested()) {
            return Outcome::Stopped;
        }
        if (step.kind == Step::Kind::Silence) {
            if (options_.paced) {
                // The line stays quiet this long after the last byte; the
                // message rhythm starts again when the silence ends.
                const auto end =
                    std::max(lineFree_, Clock::now()) + std::chrono::milliseconds(step.ms);
                if (!sleepUntil(end)) {
                    return Outcome::Stopped;
                }
                nextMessage_ = lineFree_ = end;
            }
            continue;
        }

        const std::vector<std::uint8_t> bytes = encodeStep(step);
        if (step.kind == Step::Kind::Garbage) {
            if (listening_ && !listening_()) {
                continue;
            }
            const Sent sent = send(bytes, false);
            if (sent == Sent::Stop) {
                return stopOutcome();
            }
            continue;
        }

        if (options_.paced) {
            const auto start = std::max(nextMessage_, lineFree_);
            if (!sleepUntil(start)) {
                return Outcome::Stopped;
            }
            nextMessage_ = start + std::chrono::milliseconds(options_.intervalMs);
        }
        if (listening_ && !listening_()) {
            ++dropped_;
            continue;
        }
        std::span<const std::uint8_t> all(bytes);
        Sent sent = Sent::All;
        if (step.kind == Step::Kind::LateMessage && all.size() > kLateHeadBytes) {
            sent = send(all.first(kLateHeadBytes), true);
            if (sent == Sent::All && options_.paced) {
                const auto resume = lineFree_ + std::chrono::milliseconds(step.ms);
                if (!sleepUntil(resume)) {
                    return Outcome::Stopped;
                }
                lineFree_ = resume;
            }
            if (sent == Sent::All) {
                sent = send(all.subspan(kLateHeadBytes), true);
            }
        } else {
            sent = send(all, true);
        }
        if (sent == Sent::Stop) {
            return stopOutcome();
        }
        ++(sent == Sent::All ? written_ : dropped_);
    }
    return Outcome::Finished;
}

}  // namespace cellwatch::emulator
