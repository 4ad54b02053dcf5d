// A writer at the line's rate into a pseudo-terminal, on a thread of its
// own, for the benchmarks that feed the window as a charger does.
#pragma once

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include "bench/bench_process.h"
#include "bench/bench_support.h"
#include "tools/emulator/emulator.h"

namespace cellwatch::bench {

// Writes messages back to back at the line's rate, in chunks of 8 bytes
// that never straddle two messages, and notes when each message's last byte
// went to the master side.
class LineWriter {
public:
    LineWriter(int fd, std::vector<std::vector<std::uint8_t>> messages)
        : fd_(fd), messages_(std::move(messages)), lastByte_(messages_.size()) {}

    // Calls `finished` on the writer thread once the last byte is written.
    void start(std::function<void()> finished) {
        finished_ = std::move(finished);
        thread_ = std::thread([this] { run(); });
    }
    bool done() const { return done_.load(); }
    void join() { thread_.join(); }
    double cpuSeconds() const { return cpu_; }
    const std::vector<SteadyClock::time_point>& lastByteTimes() const { return lastByte_; }

private:
    void run() {
        const double cpu0 = threadCpuSeconds();
        const auto begin = SteadyClock::now();
        std::size_t sent = 0;
        for (std::size_t m = 0; m < messages_.size(); ++m) {
            const auto& bytes = messages_[m];
            for (std::size_t at = 0; at < bytes.size(); at += 8) {
                const std::size_t n = std::min<std::size_t>(8, bytes.size() - at);
                std::this_thread::sleep_until(
                    begin + std::chrono::microseconds((sent + n) * 1'000'000 /
                                                      emulator::kLineBytesPerSecond));
                writeAll(bytes.data() + at, n);
                sent += n;
            }
            lastByte_[m] = SteadyClock::now();
        }
        cpu_ = threadCpuSeconds() - cpu0;
        done_.store(true);
        finished_();
    }

    void writeAll(const std::uint8_t* data, std::size_t n) {
        while (n > 0) {
            const ssize_t w = ::write(fd_, data, n);
            if (w > 0) {
                data += w;
                n -= static_cast<std::size_t>(w);
            } else if (w < 0 && errno != EAGAIN && errno != EINTR) {
                std::fprintf(stderr, "write: %s\n", std::strerror(errno));
                std::exit(1);
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
    }

    int fd_;
    std::vector<std::vector<std::uint8_t>> messages_;
    std::vector<SteadyClock::time_point> lastByte_;
    std::thread thread_;
    std::function<void()> finished_;
    std::atomic<bool> done_{false};
    double cpu_ = 0;
};

}  // namespace cellwatch::bench
