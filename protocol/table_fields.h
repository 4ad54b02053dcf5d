// The fields of a table row, and the words its type and state columns show.
// A row has 22 fields; the table shows field n in column n + 1.
#pragma once

#include <string_view>

namespace cellwatch {

// The words of the state column.
inline constexpr std::string_view kStateCharge = "+CHG+";
inline constexpr std::string_view kStateDischarge = "-DSC-";
inline constexpr std::string_view kStateIdle = "Idle";

// The words of the battery type column.
inline constexpr std::string_view kTypeLithium = "LiIo/Po/Fe";
inline constexpr std::string_view kTypeNiMH = "Ni-MH";
inline constexpr std::string_view kTypeNiCd = "Ni-Cd";
inline constexpr std::string_view kTypeLead = "Pb";
inline constexpr std::string_view kTypeUnknown = "Unknown";

// Cell columns of a row (an absent cell shows 0 V).
inline constexpr int kCellCount = 12;
inline constexpr int kRowFieldCount = 22;

enum RowField : int {
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

}  // namespace cellwatch
