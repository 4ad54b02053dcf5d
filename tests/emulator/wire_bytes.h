// Reading values back out of encoded messages, the way a receiver does.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace cellwatch::emulator::testing {

// A pair at `offset` as a count of hundredths: whole * 100 + hundredths,
// both parts biased by 128.
inline std::int64_t pairAt(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    return (static_cast<std::int64_t>(bytes[offset]) - 128) * 100 +
           (static_cast<std::int64_t>(bytes[offset + 1]) - 128);
}

// The receiver's capacity roll-over correction: once the largest capacity
// seen is 12791 or more, a smaller value gets 12798 added until it is not.
struct RollOverTracker {
    std::int64_t largest = 0;
    std::int64_t correct(std::int64_t capacity) {
        while (largest >= 12791 && capacity < largest) {
            capacity += 12798;
        }
        largest = std::max(largest, capacity);
        return capacity;
    }
};

}  // namespace cellwatch::emulator::testing
