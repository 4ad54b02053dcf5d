// What the emulated charger measures at one moment, before it is put on the wire.
#pragma once

#include <array>

#include "protocol/decimal.h"

namespace cellwatch::emulator {

enum class Chemistry { Lithium, NiMH, NiCd, Lead, Unknown };
enum class Mode { Charge, Discharge, Idle };

inline constexpr int kMaxCells = 12;

struct ChargerReading {
    Mode mode = Mode::Idle;
    Chemistry chemistry = Chemistry::Lithium;
    Decimal extTemperature, intTemperature;  // whole degrees C
    Decimal inputVoltage, voltage;           // V, two decimals
    Decimal current;                         // A, magnitude >= 0, two decimals
    Decimal capacity;                        // mAh, whole, may exceed 12799
    std::array<Decimal, kMaxCells> cells{};  // V, 0 for absent cells
};

}  // namespace cellwatch::emulator
