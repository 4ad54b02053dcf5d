// Plays a charger told by a description: a charge on channel 1 and, where
// the description has a second channel, a discharge on it, one message per
// channel and interval in the description's own format. A polled charger
// is played by answering each request it is sent.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "protocol/charger_description.h"

namespace cellwatch::emulator {

// What a channel shows at one step of the played run.
struct DescribedMoment {
    ChargeState state = ChargeState::Charging;
    double voltage = 0, current = 0, capacity = 0, energy = 0, power = 0, inputVoltage = 12;
    double intTemperature = 30, extTemperature = 25, resistance = 12;
    int cells = 0;
    double cell[kMostCells] = {};
};

// The run: `step` from 0, channel from 1.
DescribedMoment describedMoment(const ChargerDescription& d, int channel, int step);

// The bytes of one message (with a text line's end) of `channel` at `m`.
std::vector<std::uint8_t> describedMessage(const ChargerDescription& d, int channel,
                                           const DescribedMoment& m);
// What a header-described stream sends before its data lines (nothing for
// other framings).
std::string describedHeader(const ChargerDescription& d);

struct DescribedPlay {
    int fd = -1;
    int steps = 60;  // a run's length; 0: forever
    std::uint32_t intervalMs = 1000;
    bool paced = true;
    std::function<bool()> listening;  // nobody listens: messages are dropped
    // A polled charger answers the requests read from fd; otherwise (a
    // file) its answers are written unasked, every channel each step.
    bool answerRequests = false;
    const std::atomic<bool>* stop = nullptr;
};

// Plays until the run ends, the stop flag is raised or the reader goes
// away; 0, or errno of a failed write.
int playDescribed(const ChargerDescription& d, const DescribedPlay& play);

}  // namespace cellwatch::emulator
