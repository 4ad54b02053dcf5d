#include "protocol/sample_bridge.h"

namespace cellwatch {

ChargeState stateOfText(std::string_view text) {
    if (text == kStateCharge) {
        return ChargeState::Charging;
    }
    if (text == kStateDischarge) {
        return ChargeState::Discharging;
    }
    return ChargeState::Idle;
}

Chemistry chemistryOfText(std::string_view text) {
    if (text == kTypeLithium) {
        return Chemistry::Lithium;
    }
    if (text == kTypeNiMH) {
        return Chemistry::NiMH;
    }
    if (text == kTypeNiCd) {
        return Chemistry::NiCd;
    }
    if (text == kTypeLead) {
        return Chemistry::Pb;
    }
    return Chemistry::Unknown;
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
