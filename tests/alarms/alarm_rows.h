// The rows the alarm tests start from.
#pragma once

#include "alarms/alarm_monitor.h"

namespace cellwatch::alarms::test {

inline Decimal hundredths(std::int64_t h) {
    return Decimal::fromHundredths(h);
}

// A healthy lithium charge row of four cells at 4.00 V, `elapsed` seconds in
// (within the spread's grace unless told otherwise).
inline RowValues healthyCharge(std::uint32_t elapsed = 30) {
    RowValues r;
    r.elapsedSeconds = elapsed;
    r.chemistry = Chemistry::Lithium;
    r.state = ChargeState::Charging;
    r.extTemperature = Decimal::fromInt(25);
    r.intTemperature = Decimal::fromInt(30);
    r.inputVoltage = hundredths(1200);
    for (int i = 0; i < 4; ++i) {
        r.cells[static_cast<std::size_t>(i)] = hundredths(400);
    }
    return r;
}

}  // namespace cellwatch::alarms::test
