// A recorded row and a raised alarm as lines of a time-series database's
// line protocol:
//
//   cellwatch,charger=C,channel=N[,pack=P] voltage_v=..,current_a=..,... TIME
//   cellwatch_alarm,charger=C,channel=N[,pack=P],kind=K text="...",limit=.. TIME
//
// TIME is the row's own moment (when it was recorded) in nanoseconds since
// 1970 UTC. Only the values the charger reports
// become fields: an absent optional value is left out, never written as 0.
// Numbers are written as ReadingFormat writes them in JSON messages; the
// state is an integer field (ChargeState's order).
//
// Tag values (charger, pack) are names: blanks, commas and equal signs are
// escaped; line breaks and other control characters become blanks, and a
// backslash becomes '/' (a backslash before the end of a tag would escape
// what parts it from the next one). An empty tag is left out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "alarms/alarm_monitor.h"
#include "protocol/decimal.h"
#include "protocol/reading.h"

namespace cellwatch::net {

inline constexpr std::string_view kInfluxRowMeasurement = "cellwatch";
inline constexpr std::string_view kInfluxAlarmMeasurement = "cellwatch_alarm";

struct InfluxTags {
    std::string charger;  // the charger's name
    int channel = 1;
    std::string pack;  // empty: none
};

// Appends one row's line (without a line break).
void appendInfluxRow(std::string& out, const InfluxTags& tags, const Reading& reading,
                     std::int64_t timeNs);
// Appends one alarm's line (without a line break), with the limit of its
// rule when it has one.
void appendInfluxAlarm(std::string& out, const InfluxTags& tags, const alarms::Alarm& alarm,
                       std::int64_t timeNs, std::optional<Decimal> limit = {});

// A tag value (key or value) and a string field's value, escaped.
void appendInfluxTag(std::string& out, std::string_view text);
void appendInfluxString(std::string& out, std::string_view text);

}  // namespace cellwatch::net
