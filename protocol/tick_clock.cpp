#include "protocol/tick_clock.h"

#include <chrono>

namespace cellwatch {

std::uint32_t SystemTickClock::tickCount() const {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms.count()));
}

}  // namespace cellwatch
