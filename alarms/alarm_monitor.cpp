#include "alarms/alarm_monitor.h"

#include "protocol/reading_format.h"
#include "protocol/table_fields.h"

namespace cellwatch::alarms {
namespace {

std::string volts(Decimal v) {
    return v.format(kFormat2) + " V";
}

std::string degrees(Decimal t) {
    return t.plainText() + " °C";
}

std::string limitText(const std::string& value) {
    return " (limit " + value + ")";
}

// The cell limit for the pack's chemistry; none for chemistries without one.
std::optional<Decimal> cellLimit(const Rule& rule, Chemistry chemistry) {
    if (isLithium(chemistry)) {
        return rule.limit;
    }
    if (chemistry == Chemistry::Pb) {
        return rule.second;
    }
    return std::nullopt;
}

struct Extremes {
    int highest = -1;  // cell indexes, 0-based; -1 without non-zero cells
    int lowest = -1;
};

Extremes extremes(const RowValues& row) {
    Extremes e;
    for (int i = 0; i < static_cast<int>(row.cells.size()); ++i) {
        const Decimal v = row.cells[static_cast<std::size_t>(i)];
        if (v.isZero()) {
            continue;
        }
        if (e.highest < 0 || v > row.cells[static_cast<std::size_t>(e.highest)]) {
            e.highest = i;
        }
        if (e.lowest < 0 || v < row.cells[static_cast<std::size_t>(e.lowest)]) {
            e.lowest = i;
        }
    }
    return e;
}

std::string cellText(const RowValues& row, int index) {
    return "Cell " + std::to_string(index + 1) + " at " +
           volts(row.cells[static_cast<std::size_t>(index)]);
}

std::string runName(const RowValues& row) {
    return row.state == ChargeState::Discharging ? "discharge" : "charge";
}

}  // namespace

AlarmMonitor::AlarmMonitor(const AlarmSettings& settings) : settings_(settings) {}

void AlarmMonitor::setSettings(const AlarmSettings& settings) {
    settings_ = settings;
    for (Kind kind : kAllKinds) {
        if (!enabled(kind)) {
            active_[static_cast<std::size_t>(kind)] = false;
            clearSince_[static_cast<std::size_t>(kind)].reset();
        }
    }
}

std::uint32_t AlarmMonitor::limitMs(Kind kind) const {
    return static_cast<std::uint32_t>(settings_[kind].limit.roundedToInt()) * 1000U;
}

void AlarmMonitor::update(Kind kind, bool holds, const std::string& text,
                          std::vector<Alarm>& raised) {
    bool& on = active_[static_cast<std::size_t>(kind)];
    holds = holds && enabled(kind);
    if (holds && !on) {
        raised.push_back({kind, text});
    }
    on = holds;
}

void AlarmMonitor::updateThreshold(Kind kind, bool holds, bool clear, const std::string& text,
                                   std::uint32_t now, std::vector<Alarm>& raised) {
    const auto k = static_cast<std::size_t>(kind);
    bool& on = active_[k];
    std::optional<std::uint32_t>& since = clearSince_[k];
    if (!enabled(kind)) {
        on = false;
        since.reset();
        return;
    }
    if (on) {
        if (!clear) {
            since.reset();
            return;
        }
        if (!since) {
            since = now;
        }
        if (now - *since >= kRearmHoldMs) {
            on = false;  // re-armed; a clear row raises nothing
            since.reset();
        }
        return;
    }
    if (holds) {
        raised.push_back({kind, text});
        on = true;
        since.reset();
    }
}

void AlarmMonitor::startRecording(std::uint32_t now) {
    active_ = {};
    clearSince_ = {};
    hasRows_ = false;
    stoppedSince_.reset();
    lastRowAt_ = now;
}

std::vector<Alarm> AlarmMonitor::connected(std::uint32_t now) {
    connected_ = true;
    startRecording(now);
    return {};
}

void AlarmMonitor::disconnected() {
    connected_ = false;
    startRecording(0);
}

void AlarmMonitor::linkOpened(std::uint32_t now) {
    connected_ = true;
    active_[static_cast<std::size_t>(Kind::Finished)] = false;
    active_[static_cast<std::size_t>(Kind::Stalled)] = false;
    stoppedSince_.reset();
    lastRowAt_ = now;
}

std::vector<Alarm> AlarmMonitor::restarted(std::uint32_t now) {
    startRecording(now);
    return {};
}

std::vector<Alarm> AlarmMonitor::row(const RowValues& values, std::uint32_t now) {
    std::vector<Alarm> raised;
    checkTime(now, raised);
    hasRows_ = true;
    last_ = values;
    lastRowAt_ = now;
    stoppedSince_.reset();
    update(Kind::Finished, false, {}, raised);
    update(Kind::Stalled, false, {}, raised);

    const Extremes e = extremes(values);
    const auto cell = [&values](int index) {
        return values.cells[static_cast<std::size_t>(index)];
    };
    {
        const Kind kind = Kind::CellHigh;
        const std::optional<Decimal> limit = cellLimit(settings_[kind], values.chemistry);
        const bool watched = limit && e.highest >= 0;
        const bool holds = watched && cell(e.highest) > *limit;
        const bool clear = !watched || cell(e.highest) <= *limit - rearmMargin(kind);
        updateThreshold(
            kind, holds, clear,
            holds ? cellText(values, e.highest) + limitText(volts(*limit)) : std::string(), now,
            raised);
    }
    {
        const Kind kind = Kind::CellLow;
        const std::optional<Decimal> limit = cellLimit(settings_[kind], values.chemistry);
        const bool watched = limit && values.state == ChargeState::Discharging && e.lowest >= 0;
        const bool holds = watched && cell(e.lowest) < *limit;
        const bool clear = !watched || cell(e.lowest) >= *limit + rearmMargin(kind);
        updateThreshold(
            kind, holds, clear,
            holds ? cellText(values, e.lowest) + limitText(volts(*limit)) : std::string(), now,
            raised);
    }
    {
        const Kind kind = Kind::CellSpread;
        const Decimal limit = settings_[kind].limit;
        const bool graceOver = values.elapsedSeconds >= kSpreadGraceSeconds;
        Decimal spread;
        if (e.highest >= 0) {
            spread = cell(e.highest) - cell(e.lowest);
        }
        const bool holds = graceOver && spread > limit;
        const bool clear = spread <= limit - rearmMargin(kind);
        updateThreshold(
            kind, holds, clear,
            holds ? "Cells " + volts(spread) + " apart: cell " + std::to_string(e.highest + 1) +
                        " at " + volts(cell(e.highest)) + ", cell " + std::to_string(e.lowest + 1) +
                        " at " + volts(cell(e.lowest)) + limitText(volts(limit))
                  : std::string(),
            now, raised);
    }
    {
        const Kind kind = Kind::Temperature;
        const Rule& rule = settings_[kind];
        const std::optional<Decimal>& ext = values.extTemperature;
        const std::optional<Decimal>& in = values.intTemperature;
        std::string text;
        if (ext && *ext > rule.limit) {
            text = "External temperature " + degrees(*ext) + limitText(degrees(rule.limit));
        }
        if (in && *in > rule.second) {
            text += (text.empty() ? "Internal temperature " : "; internal temperature ") +
                    degrees(*in) + limitText(degrees(rule.second));
        }
        const Decimal margin = rearmMargin(kind);
        const bool clear =
            (!ext || *ext <= rule.limit - margin) && (!in || *in <= rule.second - margin);
        updateThreshold(kind, !text.empty(), clear, text, now, raised);
    }
    {
        // A charger that does not report its input never raises it.
        const Kind kind = Kind::InputLow;
        const Decimal limit = settings_[kind].limit;
        const std::optional<Decimal>& input = values.inputVoltage;
        const bool holds = input && *input < limit;
        const bool clear = !input || *input >= limit + rearmMargin(kind);
        updateThreshold(
            kind, holds, clear,
            holds ? "Input at " + volts(*input) + limitText(volts(limit)) : std::string(), now,
            raised);
    }
    return raised;
}

std::vector<Alarm> AlarmMonitor::idleShown(std::uint32_t now) {
    return messageDecoded(false, now);
}

std::vector<Alarm> AlarmMonitor::messageDecoded(bool working, std::uint32_t now) {
    std::vector<Alarm> raised;
    if (!working && hasRows_ && !stoppedSince_) {
        stoppedSince_ = now;
    }
    checkTime(now, raised);
    return raised;
}

std::vector<Alarm> AlarmMonitor::linkLost(const std::string& reason, std::uint32_t now) {
    std::vector<Alarm> raised;
    checkTime(now, raised);
    if (hasRows_) {
        std::string text = "Link lost during the " + runName(last_) + ", last row at " +
                           ReadingFormat::elapsedText(last_.elapsedSeconds * 1000U);
        if (!reason.empty()) {
            text += ": " + reason;
        }
        update(Kind::Lost, true, text, raised);
    }
    connected_ = false;
    return raised;
}

std::vector<Alarm> AlarmMonitor::tick(std::uint32_t now) {
    std::vector<Alarm> raised;
    checkTime(now, raised);
    return raised;
}

void AlarmMonitor::checkTime(std::uint32_t now, std::vector<Alarm>& raised) {
    if (!connected_ || !hasRows_) {
        return;
    }
    if (stoppedSince_) {
        const std::uint32_t limit = limitMs(Kind::Finished);
        if (now - *stoppedSince_ >= limit) {
            update(Kind::Finished, true,
                   "The " + runName(last_) + " finished after " +
                       ReadingFormat::elapsedText(last_.elapsedSeconds * 1000U) +
                       " (no charging or discharging for " + std::to_string(limit / 1000U) + " s)",
                   raised);
        }
        return;
    }
    const std::uint32_t limit = limitMs(Kind::Stalled);
    if (now - lastRowAt_ >= limit) {
        update(Kind::Stalled, true,
               "No new row for " + std::to_string(limit / 1000U) + " s while the " +
                   runName(last_) + " was running (last row at " +
                   ReadingFormat::elapsedText(last_.elapsedSeconds * 1000U) + ")",
               raised);
    }
}

}  // namespace cellwatch::alarms
