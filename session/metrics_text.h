// The latest readings of the chargers a program watches, as a metrics
// scrape reads them: the plain text exposition format 0.0.4, a HELP and a
// TYPE line before each family's samples.
//
// Readings are gauges in base units (volts, amperes, coulombs, ohms, watts,
// joules, degrees Celsius), labelled by charger, channel and pack,
// and cell for a cell's values. A value the charger does not report has no
// sample (never 0); a cell reported as 0 V is an empty slot. Counters
// (alarms by kind, rows) count from the program's start.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "alarms/alarm_rules.h"
#include "protocol/reading.h"
#include "session/live_session.h"

namespace cellwatch::session {

struct ChannelMetrics {
    int channel = 1;
    std::string pack;               // empty: none named
    std::optional<Reading> latest;  // none before the first row
    std::array<std::uint64_t, alarms::kKindCount> alarms{};
    std::uint64_t rows = 0;
    std::optional<double> lastRowAgeSeconds;
};

struct ChargerMetrics {
    std::string charger;
    LinkState link = LinkState::Disconnected;
    std::vector<ChannelMetrics> channels;
};

// The content type of metricsText().
inline constexpr const char* kMetricsContentType = "text/plain; version=0.0.4; charset=utf-8";

std::string metricsText(const std::vector<ChargerMetrics>& chargers);

// A label's value as the format writes it between quotes.
std::string metricsLabelValue(const std::string& value);

}  // namespace cellwatch::session
