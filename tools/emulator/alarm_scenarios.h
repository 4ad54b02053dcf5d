// Scenarios that raise the receiver's alarms, one each: a cell drifting
// high, a cell sagging low in a discharge, a pack warming past 50 °C, cells
// drifting apart, the input sagging, a charge that ends, a charger that
// freezes mid-charge. One message a second is what their timing assumes
// (the default interval).
#pragma once

#include <cstdint>
#include <vector>

#include "protocol/status_frame.h"
#include "tools/emulator/scenario.h"

namespace cellwatch::emulator {

struct AlarmScenarioInfo {
    const char* name;
    const char* description;
    std::vector<Step> (*build)(FrameLayout layout, int cells, std::uint64_t seed);
};

// The alarm scenarios, in the order --help lists them.
const std::vector<AlarmScenarioInfo>& alarmScenarios();

}  // namespace cellwatch::emulator
