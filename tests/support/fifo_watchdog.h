// Should opening a FIFO wait after all, a FifoWatchdog opens its other end
// after a while, so that a test fails on what it reads instead of hanging.
// It ends with its scope, also when an assertion returns early.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace cellwatch::testing {

class FifoWatchdog {
public:
    explicit FifoWatchdog(std::string fifo)
        : thread_([this, fifo = std::move(fifo)] {
              const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
              while (!done_ && std::chrono::steady_clock::now() < until) {
                  std::this_thread::sleep_for(std::chrono::milliseconds(10));
              }
              if (!done_) {
                  if (const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK); fd >= 0) {
                      ::close(fd);
                  }
              }
          }) {}
    ~FifoWatchdog() {
        done_ = true;
        thread_.join();
    }
    FifoWatchdog(const FifoWatchdog&) = delete;
    FifoWatchdog& operator=(const FifoWatchdog&) = delete;

private:
    std::atomic<bool> done_{false};
    std::thread thread_;
};

}  // namespace cellwatch::testing
