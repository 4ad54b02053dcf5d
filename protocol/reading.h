// One decoded reading of one charger channel: what every driver makes and
// everything above the drivers reads. No maker's byte layout and no
// maker's texts reach past it, except the texts kept for display.
//
// Values are fixed-point Decimals, as the chargers report them. A value a
// charger does not report is left empty (std::nullopt), never 0: a charger
// without a temperature probe has no temperature, not 0 °C.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/decimal.h"

namespace cellwatch {

// What a channel is doing, in the charger's own terms mapped to one set.
enum class ChargeState : std::uint8_t {
    Idle,
    Charging,
    Discharging,
    Resting,    // a pause between cycles, or waiting before the next step
    Balancing,  // balancing the cells without charging the pack
    Storage,    // bringing a pack to its storage voltage
    Done,       // finished; the pack may still be connected
    Error,      // stopped by a fault the charger reports (errorCode)
};
inline constexpr int kChargeStateCount = 8;

enum class Chemistry : std::uint8_t {
    Unknown,
    Lithium,  // a lithium chemistry the charger does not tell apart
    LiPo,
    LiHV,
    LiIon,
    LiFe,
    NiMH,
    NiCd,
    Pb,
};
inline constexpr int kChemistryCount = 9;

// A short, language-free id ("charging", "lipo"), for files, MQTT and the page.
std::string_view chargeStateId(ChargeState state);
std::string_view chemistryId(Chemistry chemistry);
std::optional<ChargeState> chargeStateFromId(std::string_view id);
std::optional<Chemistry> chemistryFromId(std::string_view id);

// Whether a pack of this chemistry has cells a balancer watches.
constexpr bool isLithium(Chemistry c) {
    return c == Chemistry::Lithium || c == Chemistry::LiPo || c == Chemistry::LiHV ||
           c == Chemistry::LiIon || c == Chemistry::LiFe;
}
// Whether the pack takes or gives charge in this state.
constexpr bool isActive(ChargeState s) {
    return s == ChargeState::Charging || s == ChargeState::Discharging ||
           s == ChargeState::Storage || s == ChargeState::Balancing;
}

inline constexpr int kMostCells = 16;

// Each cell's resistance, in mΩ; none where it is not reported.
using CellResistances = std::array<std::optional<Decimal>, kMostCells>;

struct Reading {
    // Which charger and channel: the driver's id, and the channel as the
    // charger numbers it (1 for a charger of one channel).
    std::string charger;
    int channel = 1;
    // When it arrived: milliseconds since the recording started (the
    // elapsed time a row shows), and the wall clock (ms since the epoch,
    // 0 when not known).
    std::uint32_t elapsedMs = 0;
    std::int64_t receivedMs = 0;

    ChargeState state = ChargeState::Idle;
    std::string stateText;  // the charger's own word for it, for display
    Chemistry chemistry = Chemistry::Unknown;
    std::string chemistryText;  // likewise

    Decimal voltage;                      // V, the pack
    Decimal current;                      // A, negative while discharging
    Decimal capacity;                     // mAh, as the charger counts it (after any roll-over fix)
    std::optional<Decimal> energy;        // Wh
    std::optional<Decimal> power;         // W, never negative
    std::optional<Decimal> inputVoltage;  // V
    std::optional<Decimal> intTemperature;  // °C, inside the charger
    std::optional<Decimal> extTemperature;  // °C, the probe on the pack
    std::optional<Decimal> packResistance;  // mΩ

    // Cells 1..cellCount; a charger that reports a fixed number of cell
    // slots reports an absent cell as 0 V.
    int cellCount = 0;
    std::array<Decimal, kMostCells> cells{};
    CellResistances cellResistance{};  // mΩ

    std::optional<int> errorCode;  // the charger's own code, when it reports one

    double elapsedDays() const { return static_cast<double>(elapsedMs) / 86'400'000.0; }
    bool isIdle() const { return state == ChargeState::Idle; }
};

}  // namespace cellwatch
