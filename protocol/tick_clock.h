// The system tick counter: milliseconds since some fixed point, as a 32-bit
// value that wraps after about 49.7 days. Differences are taken modulo 2^32.
#pragma once

#include <cstdint>

namespace cellwatch {

class TickClock {
public:
    virtual ~TickClock() = default;
    virtual std::uint32_t tickCount() const = 0;
};

// Milliseconds from `earlier` to `later`, correct across the counter's wrap.
constexpr std::uint32_t ticksBetween(std::uint32_t earlier, std::uint32_t later) {
    return later - earlier;  // unsigned arithmetic is modulo 2^32
}

// The machine's monotonic clock, suspended time included, truncated to 32 bits.
class SystemTickClock final : public TickClock {
public:
    std::uint32_t tickCount() const override;
};

// A clock that tests and simulations set by hand.
class ManualTickClock final : public TickClock {
public:
    explicit ManualTickClock(std::uint32_t start = 0) : now_(start) {}
    std::uint32_t tickCount() const override { return now_; }
    void set(std::uint32_t ticks) { now_ = ticks; }
    void advance(std::uint32_t ms) { now_ += ms; }

private:
    std::uint32_t now_;
};

}  // namespace cellwatch
