#include "protocol/sample_bridge.h"

#include "protocol/reading_format.h"

namespace cellwatch {

ChargeState stateOfText(std::string_view text) {
    return ReadingFormat::stateOf(text);
}

Chemistry chemistryOfText(std::string_view text) {
    return ReadingFormat::chemistryOf(text);
}

Reading readingFromSample(const StatusSample& s) {
    Reading r;
    r.charger = std::string(kFirstDriverId);
    r.elapsedMs = s.elapsedMs;
    r.state = stateOfText(s.state);
    r.stateText = s.state;
    r.chemistry = chemistryOfText(s.batteryType);
    r.chemistryText = s.batteryType;
    r.voltage = s.voltage;
    r.current = s.current;
    r.capacity = s.capacity;
    r.power = Decimal::parse(s.power).value_or(Decimal());
    r.inputVoltage = s.inputVoltage;
    r.intTemperature = s.intTemperature;
    r.extTemperature = s.extTemperature;
    r.cellCount = kCellCount;
    for (int k = 0; k < kCellCount; ++k) {
        r.cells[static_cast<std::size_t>(k)] = s.cells[static_cast<std::size_t>(k)];
    }
    return r;
}

}  // namespace cellwatch
