// The alarm monitor: told the rows of a recording, the charger's messages,
// the link's fate and the time, it says which alarms are raised.
//
// It holds no timer and reads no clock: every call carries the present
// moment as a millisecond tick count (differences modulo 2^32), so the
// window, the logger and the tests all drive it on the clocks they have.
// The time rules (finished, stalled) are looked at in every call; tick()
// is for the moments in between.
//
// A rule is raised once when its condition starts and again only after the
// condition has cleared. The row rules look at recorded rows only. The
// threshold rules clear with hysteresis (alarm_rules.h): their value must be
// back past the limit by the rule's margin in every row for kRearmHoldMs of
// the clock given; the other rules clear with the first row (or moment)
// where their condition no longer holds. A new recording (a restart after a
// pause, a new connection) starts every rule afresh.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "alarms/alarm_figures.h"
#include "alarms/alarm_rules.h"
#include "protocol/decimal.h"
#include "protocol/reading.h"

namespace cellwatch::alarms {

// What the row rules read of a recorded row.
struct RowValues {
    std::uint32_t elapsedSeconds = 0;  // the row's time: 1 for the first row
    Chemistry chemistry = Chemistry::Unknown;
    ChargeState state = ChargeState::Idle;
    // Empty where the charger does not report it (no probe, no input
    // voltage): a rule on it then never holds.
    std::optional<Decimal> extTemperature, intTemperature, inputVoltage;
    std::array<Decimal, 12> cells{};  // 0 for an absent cell
};

struct Alarm {
    Kind kind = Kind::CellHigh;
    std::string text;  // one line, English: alarmLine(kind, *figures)
    // When it was raised: ms since 1970 UTC on the session's clock (the
    // source's, for a replay or a watch), so that every front end and the
    // phone page tell the same moment. 0 until a session stamps it.
    std::int64_t raisedMs = 0;
    // What it tells; none for an alarm known by its line only, one that
    // could not be read back (readAlarmLine).
    std::optional<Figures> figures = std::nullopt;
    bool operator==(const Alarm&) const = default;
};

// The seconds of a recording from which on cell-spread is looked at.
inline constexpr std::uint32_t kSpreadGraceSeconds = 60;

class AlarmMonitor {
public:
    explicit AlarmMonitor(const AlarmSettings& settings = AlarmSettings::defaults());

    // New settings; a rule turned off ends its episode.
    void setSettings(const AlarmSettings& settings);
    const AlarmSettings& settings() const { return settings_; }

    // A connection starts a recording.
    std::vector<Alarm> connected(std::uint32_t now);
    // The port closed by the user: nothing is watched until connected again.
    void disconnected();
    // The port is open again and the recording it interrupted goes on (a
    // reconnect). The time without the link is no stall: the time rules
    // watch afresh from `now`.
    void linkOpened(std::uint32_t now);
    // A recorded row.
    std::vector<Alarm> row(const RowValues& values, std::uint32_t now);
    // The recording was cleared after a pause; a new one starts. Nothing is
    // judged against the rows of the one cleared.
    std::vector<Alarm> restarted(std::uint32_t now);
    // The readouts went to the idle state (a message came too late).
    std::vector<Alarm> idleShown(std::uint32_t now);
    // A message was decoded; `working` when it is charging or discharging.
    std::vector<Alarm> messageDecoded(bool working, std::uint32_t now);
    // The port went away; `reason` as the link tells it (may be empty).
    std::vector<Alarm> linkLost(const std::string& reason, std::uint32_t now);
    // Time passes.
    std::vector<Alarm> tick(std::uint32_t now);
    // An alarm of `kind` telling `figures`, with its line.
    static Alarm alarm(Kind kind, const Figures& figures);

    // Whether the recording has rows, and whether a rule's episode is on.
    bool hasRows() const { return hasRows_; }
    bool active(Kind kind) const { return active_[static_cast<std::size_t>(kind)]; }

private:
    // Raises `kind` with `figures` when `holds` starts; ends the episode when
    // it does not hold.
    void update(Kind kind, bool holds, const Figures& figures, std::vector<Alarm>& raised);
    // The same for a threshold rule: its episode ends once `clear` (the
    // value back past the limit by the margin) has held for kRearmHoldMs.
    void updateThreshold(Kind kind, bool holds, bool clear, const Figures& figures,
                         std::uint32_t now, std::vector<Alarm>& raised);
    void checkTime(std::uint32_t now, std::vector<Alarm>& raised);
    // The run and time of the last row.
    Figures lastRowFigures() const;
    void startRecording(std::uint32_t now);
    bool enabled(Kind kind) const { return settings_[kind].enabled; }
    std::uint32_t limitMs(Kind kind) const;

    AlarmSettings settings_;
    std::array<bool, kKindCount> active_{};
    // Of a raised threshold rule: since when its value is back past the margin.
    std::array<std::optional<std::uint32_t>, kKindCount> clearSince_{};
    bool connected_ = false;
    bool hasRows_ = false;
    RowValues last_;                             // the last row
    std::uint32_t lastRowAt_ = 0;                // when it came
    std::optional<std::uint32_t> stoppedSince_;  // first idle word since the last row
};

}  // namespace cellwatch::alarms
