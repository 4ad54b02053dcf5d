#include "alarms/alarm_monitor.h"

#include "protocol/table_fields.h"

namespace cellwatch::alarms {
namespace {

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

Alarm AlarmMonitor::alarm(Kind kind, const Figures& figures) {
    Alarm a;
    a.kind = kind;
    a.text = alarmLine(kind, figures);
    a.figures = figures;
    return a;
}

void AlarmMonitor::update(Kind kind, bool holds, const Figures& figures,
                          std::vector<Alarm>& raised) {
    bool& on = active_[static_cast<std::size_t>(kind)];
    holds = holds && enabled(kind);
    if (holds && !on) {
        raised.push_back(alarm(kind, figures));
    }
    on = holds;
}

void AlarmMonitor::updateThreshold(Kind kind, bool holds, bool clear, const Figures& figures,
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
        raised.push_back(alarm(kind, figures));
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
    // A cell's figures against its limit.
    const auto cellFigures = [&cell](int index, Decimal limit) {
        Figures f;
        f.cell = index + 1;
        f.value = cell(index);
        f.limit = limit;
        return f;
    };
    {
        const Kind kind = Kind::CellHigh;
        const std::optional<Decimal> limit = cellLimit(settings_[kind], values.chemistry);
        const bool watched = limit && e.highest >= 0;
        const bool holds = watched && cell(e.highest) > *limit;
        const bool clear = !watched || cell(e.highest) <= *limit - rearmMargin(kind);
        updateThreshold(kind, holds, clear, holds ? cellFigures(e.highest, *limit) : Figures{}, now,
                        raised);
    }
    {
        const Kind kind = Kind::CellLow;
        const std::optional<Decimal> limit = cellLimit(settings_[kind], values.chemistry);
        const bool watched = limit && values.state == ChargeState::Discharging && e.lowest >= 0;
        const bool holds = watched && cell(e.lowest) < *limit;
        const bool clear = !watched || cell(e.lowest) >= *limit + rearmMargin(kind);
        updateThreshold(kind, holds, clear, holds ? cellFigures(e.lowest, *limit) : Figures{}, now,
                        raised);
    }
    {
        const Kind kind = Kind::CellSpread;
        const Decimal limit = settings_[kind].limit;
        const bool graceOver = values.elapsedSeconds >= kSpreadGraceSeconds;
        Figures f;
        if (e.highest >= 0) {
            f = cellFigures(e.highest, limit);
            f.lowCell = e.lowest + 1;
            f.lowValue = cell(e.lowest);
            f.spread = f.value - f.lowValue;
        }
        const bool holds = graceOver && f.spread > limit;
        const bool clear = f.spread <= limit - rearmMargin(kind);
        updateThreshold(kind, holds, clear, f, now, raised);
    }
    {
        const Kind kind = Kind::Temperature;
        const Rule& rule = settings_[kind];
        const std::optional<Decimal>& ext = values.extTemperature;
        const std::optional<Decimal>& in = values.intTemperature;
        Figures f;
        if (ext && *ext > rule.limit) {
            f.external = true;
            f.value = *ext;
            f.limit = rule.limit;
        }
        if (in && *in > rule.second) {
            f.internal = true;
            f.internalValue = *in;
            f.internalLimit = rule.second;
        }
        const Decimal margin = rearmMargin(kind);
        const bool clear =
            (!ext || *ext <= rule.limit - margin) && (!in || *in <= rule.second - margin);
        updateThreshold(kind, f.external || f.internal, clear, f, now, raised);
    }
    {
        // A charger that does not report its input never raises it.
        const Kind kind = Kind::InputLow;
        const Decimal limit = settings_[kind].limit;
        const std::optional<Decimal>& input = values.inputVoltage;
        const bool holds = input && *input < limit;
        const bool clear = !input || *input >= limit + rearmMargin(kind);
        Figures f;
        if (holds) {
            f.value = *input;
            f.limit = limit;
        }
        updateThreshold(kind, holds, clear, f, now, raised);
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
        Figures f = lastRowFigures();
        f.reason = reason;
        update(Kind::Lost, true, f, raised);
    }
    connected_ = false;
    return raised;
}

std::vector<Alarm> AlarmMonitor::tick(std::uint32_t now) {
    std::vector<Alarm> raised;
    checkTime(now, raised);
    return raised;
}

Figures AlarmMonitor::lastRowFigures() const {
    Figures f;
    f.run = last_.state == ChargeState::Discharging ? Run::Discharge : Run::Charge;
    f.lastRowSeconds = last_.elapsedSeconds;
    return f;
}

void AlarmMonitor::checkTime(std::uint32_t now, std::vector<Alarm>& raised) {
    if (!connected_ || !hasRows_) {
        return;
    }
    if (stoppedSince_) {
        const std::uint32_t limit = limitMs(Kind::Finished);
        if (now - *stoppedSince_ >= limit) {
            Figures f = lastRowFigures();
            f.seconds = limit / 1000U;
            update(Kind::Finished, true, f, raised);
        }
        return;
    }
    const std::uint32_t limit = limitMs(Kind::Stalled);
    if (now - lastRowAt_ >= limit) {
        Figures f = lastRowFigures();
        f.seconds = limit / 1000U;
        update(Kind::Stalled, true, f, raised);
    }
}

}  // namespace cellwatch::alarms
