#include "protocol/tick_clock.h"

#include <chrono>
#include <ctime>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace cellwatch {

// The clock counts the time the computer was suspended, so that a sleep in
// the middle of a charge is a pause like any other silence of the charger:
// Linux's boot-time clock, the continuous monotonic clock on macOS, the
// tick count on Windows.
std::uint32_t SystemTickClock::tickCount() const {
#if defined(__linux__)
    timespec now{};
    if (clock_gettime(CLOCK_BOOTTIME, &now) == 0) {
        const auto ms = static_cast<std::uint64_t>(now.tv_sec) * 1000U +
                        static_cast<std::uint64_t>(now.tv_nsec) / 1'000'000U;
        return static_cast<std::uint32_t>(ms);
    }
#elif defined(__APPLE__)
    timespec now{};
    if (clock_gettime(CLOCK_MONOTONIC, &now) == 0) {
        const auto ms = static_cast<std::uint64_t>(now.tv_sec) * 1000U +
                        static_cast<std::uint64_t>(now.tv_nsec) / 1'000'000U;
        return static_cast<std::uint32_t>(ms);
    }
#elif defined(_WIN32)
    return static_cast<std::uint32_t>(GetTickCount64());
#endif
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms.count()));
}

}  // namespace cellwatch
