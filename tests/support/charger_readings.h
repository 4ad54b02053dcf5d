// The emulated charger's readings that tests, and the benchmarks, send
// down a line.
#pragma once

#include <cstddef>

#include "tools/emulator/charger_reading.h"

namespace cellwatch::testing {

// A lithium charge reading of three cells; `k` varies voltage, current,
// capacity and cells, so that neighbouring rows differ. Every `k` gives a
// plausible reading that raises no alarm.
inline emulator::ChargerReading charging(int k) {
    emulator::ChargerReading r;
    r.mode = emulator::Mode::Charge;
    r.chemistry = emulator::Chemistry::Lithium;
    r.extTemperature = Decimal::fromInt(25);
    r.intTemperature = Decimal::fromInt(30);
    r.inputVoltage = Decimal::fromHundredths(1200);
    r.voltage = Decimal::fromHundredths(1100 + k % 100);
    r.current = Decimal::fromHundredths(150 + k % 50);
    r.capacity = Decimal::fromInt(10 * (k % 100));
    for (std::size_t cell = 0; cell < 3; ++cell) {
        r.cells[cell] = Decimal::fromHundredths(380 + k % 3);
    }
    return r;
}

}  // namespace cellwatch::testing
