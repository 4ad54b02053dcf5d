// What an alarm tells, as figures: the values, limits, cells, run and times
// a window or page words in its own language. The one English line made of
// them (alarmLine) is what the journal, the log's output, the broker and an
// --on-alarm command get, and what a journal or a broker gives back: read
// back into figures by readAlarmLine.
//
//   cell-high, cell-low  "Cell 3 at 4.26 V (limit 4.25 V)"
//   cell-spread          "Cells 0.11 V apart: cell 2 at 4.11 V, cell 1 at
//                         4.00 V (limit 0.10 V)"
//   temperature          "External temperature 51 °C (limit 50 °C)",
//                        "Internal temperature 71 °C (limit 70 °C)", or the
//                        two joined: "...; internal temperature ..."
//   input-low            "Input at 10.99 V (limit 11.00 V)"
//   finished             "The charge finished after 0:01:15 (no charging or
//                         discharging for 10 s)"
//   stalled              "No new row for 30 s while the discharge was running
//                         (last row at 1:00:00)"
//   lost                 "Link lost during the charge, last row at 0:00:58",
//                        then ": REASON" when the link told one
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "alarms/alarm_rules.h"
#include "protocol/decimal.h"

namespace cellwatch::alarms {

enum class Run { Charge, Discharge };

struct Figures {
    // cell-high, cell-low: the cell (1 = the first) and its voltage;
    // cell-spread: the highest cell; input-low: the input voltage;
    // temperature: the external temperature (when `external`).
    int cell = 0;
    Decimal value;
    Decimal limit;
    // cell-spread: the lowest cell, its voltage, and how far apart they are.
    int lowCell = 0;
    Decimal lowValue;
    Decimal spread;
    // temperature: which of the two are over their limits.
    bool external = false;
    bool internal = false;
    Decimal internalValue;
    Decimal internalLimit;
    // finished, stalled, lost: the run, the elapsed seconds of its last row,
    // the rule's seconds (finished, stalled) and the link's reason (lost).
    Run run = Run::Charge;
    std::uint32_t lastRowSeconds = 0;
    std::uint32_t seconds = 0;
    std::string reason;

    bool operator==(const Figures&) const = default;
};

// The English line of an alarm of `kind` with `figures`.
std::string alarmLine(Kind kind, const Figures& figures);

// The figures of `line`, an alarm line of `kind`; none for a line in no
// form alarmLine writes (an older journal's, another program's).
std::optional<Figures> readAlarmLine(Kind kind, std::string_view line);

}  // namespace cellwatch::alarms
