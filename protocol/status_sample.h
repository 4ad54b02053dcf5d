// One decoded status message: the 22 fields that become one table row.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "protocol/decimal.h"

namespace cellwatch {

// Texts the decoders write into the sample.
inline constexpr std::string_view kStateCharge = "+CHG+";
inline constexpr std::string_view kStateDischarge = "-DSC-";
inline constexpr std::string_view kStateIdle = "Idle";

inline constexpr std::string_view kTypeLithium = "LiIo/Po/Fe";
inline constexpr std::string_view kTypeNiMH = "Ni-MH";
inline constexpr std::string_view kTypeNiCd = "Ni-Cd";
inline constexpr std::string_view kTypeLead = "Pb";
inline constexpr std::string_view kTypeUnknown = "Unknown";

inline constexpr int kCellCount = 12;
inline constexpr int kSampleFieldCount = 22;

// Field numbers; the table shows field n in column n + 1.
enum SampleField : int {
    kFieldElapsed = 0,
    kFieldBatteryType = 1,
    kFieldState = 2,
    kFieldExtTemperature = 3,
    kFieldIntTemperature = 4,
    kFieldInputVoltage = 5,
    kFieldVoltage = 6,
    kFieldCurrent = 7,
    kFieldCapacity = 8,
    kFieldPower = 9,
    kFieldCell1 = 10,  // cells 1..12 are fields 10..21
    kFieldCell12 = 21,
};

struct StatusSample {
    std::uint32_t elapsedMs = 0;              // 0: time since the recording started, in ms
    std::string batteryType;                  // 1
    std::string state;                        // 2
    Decimal extTemperature;                   // 3: degrees C, whole-valued
    Decimal intTemperature;                   // 4: degrees C, whole-valued
    Decimal inputVoltage;                     // 5: V
    Decimal voltage;                          // 6: V
    Decimal current;                          // 7: A, negative while discharging
    Decimal capacity;                         // 8: mAh, after the roll-over correction
    std::string power;                        // 9: |voltage x current| in W, already formatted
    std::array<Decimal, kCellCount> cells{};  // 10..21: V, 0 for an absent cell

    // Field 0 as a fraction of a day.
    double elapsedDays() const { return static_cast<double>(elapsedMs) / 86'400'000.0; }
    bool isIdle() const { return state == kStateIdle; }
};

}  // namespace cellwatch
