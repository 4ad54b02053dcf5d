// The alarm rules: what each watches, its limits, and whether it is on.
//
//   cell-high    any cell above the limit (lithium 4.25 V, lead 2.45 V)
//   cell-low     while discharging, any non-zero cell below the limit
//                (lithium 3.00 V, lead 1.75 V)
//   cell-spread  highest minus lowest non-zero cell above the limit (0.10 V),
//                from the 60th second of a recording on
//   temperature  external temperature above its limit (50 °C), or internal
//                above its own (70 °C)
//   input-low    input voltage below the limit (11.00 V)
//   finished     a recording with rows followed by the idle state or by
//                messages that are neither charging nor discharging, for
//                10 s
//   stalled      connected, the charge still running by its last row, and
//                no new row (and no word from the charger that it stopped)
//                for 30 s
//   lost         the link lost while a recording has rows
//
// The cell rules know the limits of lithium ("LiIo/Po/Fe") and lead ("Pb")
// cells; for other battery types they stay quiet. All limits are strict:
// a value exactly at its limit raises nothing.
//
// The threshold rules (cell-high, cell-low, cell-spread, temperature,
// input-low) re-arm with hysteresis: once raised, a rule is raised again
// only after its value has gone back past the limit by the rule's margin
// (rearmMargin) and stayed there for kRearmHoldMs on the session's clock,
// so a value wavering around its limit raises one alarm, not one a minute.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/decimal.h"

namespace cellwatch::alarms {

enum class Kind { CellHigh, CellLow, CellSpread, Temperature, InputLow, Finished, Stalled, Lost };
inline constexpr int kKindCount = 8;
inline constexpr std::array<Kind, kKindCount> kAllKinds = {
    Kind::CellHigh, Kind::CellLow,  Kind::CellSpread, Kind::Temperature,
    Kind::InputLow, Kind::Finished, Kind::Stalled,    Kind::Lost};

// "cell-high", "cell-low", ... as the log and the journal write them.
std::string_view kindName(Kind kind);
std::optional<Kind> kindFromName(std::string_view name);

// A rule's settings. `limit` is the main limit (lithium cells, the external
// temperature, the input voltage, the seconds of finished and stalled);
// `second` the other one (lead cells, the internal temperature). Lost has
// no limit.
struct Rule {
    bool enabled = true;
    Decimal limit;
    Decimal second;
    bool operator==(const Rule&) const = default;
};

// How far back past its limit a threshold rule's value must go before the
// rule can be raised again: 0.02 V for cell voltages and the spread, 0.20 V
// for the input, 2 °C for temperatures; 0 for the rules without one.
Decimal rearmMargin(Kind kind);
// How long the value must stay back past the margin.
inline constexpr std::uint32_t kRearmHoldMs = 30000;

// Which limits a kind has: 0, 1 or 2.
int limitCount(Kind kind);
// The unit of a kind's limits: "V", "°C" or "s".
std::string_view limitUnit(Kind kind);

struct AlarmSettings {
    std::array<Rule, kKindCount> rules;

    static AlarmSettings defaults();
    Rule& operator[](Kind kind) { return rules[static_cast<std::size_t>(kind)]; }
    const Rule& operator[](Kind kind) const { return rules[static_cast<std::size_t>(kind)]; }
    bool operator==(const AlarmSettings&) const = default;
};

inline constexpr std::string_view kLeadSuffix = ":pb";
inline constexpr std::string_view kInternalSuffix = ":internal";

// Applies one "KIND=LIMIT" (the main limit), "cell-high:pb=LIMIT",
// "cell-low:pb=LIMIT" or "temperature:internal=LIMIT". The limit is a plain
// decimal (up to two decimals), not negative, at most 1000 (3600 seconds
// for finished and stalled, at least 1). Returns an empty text on success,
// otherwise what is wrong.
std::string applyLimit(AlarmSettings& settings, std::string_view assignment);

}  // namespace cellwatch::alarms
