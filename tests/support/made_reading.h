// Readings of the first charger family made from the few values a test
// sets, as its driver hands them over.
#pragma once

#include <initializer_list>
#include <string_view>

#include "protocol/reading.h"
#include "protocol/reading_format.h"
#include "protocol/tkrx_driver.h"

namespace cellwatch::testing {

inline Decimal dec(std::string_view text) {
    return Decimal::parse(text).value();
}

// The charger's words for type and state, the battery's voltage and
// current; power is |V x A| to two places, the other values 0, every cell
// slot 0 V until set. `elapsedMs` as the driver times it.
inline Reading madeReading(std::string_view type, std::string_view state, std::string_view volts,
                           std::string_view amps, std::uint32_t elapsedMs = 0) {
    Reading r;
    r.charger = std::string(kFirstDriverId);
    r.elapsedMs = elapsedMs;
    r.chemistryText = std::string(type);
    r.chemistry = ReadingFormat::chemistryOf(type);
    r.stateText = std::string(state);
    r.state = ReadingFormat::stateOf(state);
    r.voltage = dec(volts);
    r.current = dec(amps);
    r.power = (r.voltage * r.current).abs().rounded(2);
    r.inputVoltage = Decimal();
    r.intTemperature = Decimal();
    r.extTemperature = Decimal();
    r.cellCount = kCellCount;
    return r;
}

// The same with the temperatures, input voltage, capacity and cells set.
inline Reading madeReading(std::string_view type, std::string_view state, int ext, int internal,
                           std::string_view input, std::string_view volts, std::string_view amps,
                           int capacity, std::initializer_list<std::string_view> cells = {}) {
    Reading r = madeReading(type, state, volts, amps);
    r.extTemperature = Decimal::fromInt(ext);
    r.intTemperature = Decimal::fromInt(internal);
    r.inputVoltage = dec(input);
    r.capacity = Decimal::fromInt(capacity);
    std::size_t k = 0;
    for (std::string_view cell : cells) {
        r.cells[k++] = dec(cell);
    }
    return r;
}

}  // namespace cellwatch::testing
