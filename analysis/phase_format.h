// A recording's phases and resistance estimates as JSON (the report's
// --json) and as text lines under its summary.
#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <optional>
#include <vector>

#include "analysis/phases.h"
#include "analysis/recording_summary.h"
#include "analysis/resistance.h"

namespace cellwatch {

// "charge", "discharge" or "rest".
QString phaseKindName(RowState kind);
// "+4.00" or "-4.00": a current in amperes, its sign always written.
QString signedAmps(double amps);

// One object per phase: kind, first_row, last_row (data rows, 0 = the
// first), start_s, end_s (elapsed seconds of its first and last row),
// duration_s, capacity_mah (the counter's increments), counter_first_mah,
// counter_last_mah, counter_restarts, started_part_way, current_mah (from
// the current over time), energy_wh, current_mean_a and current_peak_a
// (signed: negative while discharging), voltage_first_v, voltage_last_v,
// temp_ext_mean_c, temp_ext_max_c (null when not known), cells and
// cells_last_v (null for an absent cell).
QJsonArray phasesJson(const std::vector<Phase>& phases);
// {charge_phases, discharge_phases, charge_mah, discharge_mah, charge_wh,
// discharge_wh, efficiency_wh, efficiency_mah (null unless the recording
// has both kinds)}.
QJsonObject phaseTotalsJson(const PhaseTotals& totals);
// One object per estimate: row, at_s, current_before_a, current_after_a,
// voltage_before_v, voltage_after_v, ohms, uncertainty_ohms, shown (false:
// over 25 % uncertain, not to be shown as a figure), temp_ext_c,
// phase_mah_so_far, net_mah_so_far, cells (one per cell: null when absent,
// else {ohms, uncertainty_ohms, shown}).
QJsonArray resistanceJson(const std::vector<ResistanceEstimate>& estimates);

// What the summary's whole-recording figures mean for a recording that is
// not one charge or one discharge; empty for one that is.
QString mixedSummaryNote(const RecordingSummaryValues& summary);

// Lines under a summary: one per charge and discharge phase (rests are
// left out), the efficiency, one per resistance estimate ("uncertain" in
// place of the figure for one not to be shown). Nothing without them.
QString phasesText(const RecordingPhases& phases);
QString resistanceText(const std::vector<ResistanceEstimate>& estimates);

// A resistance in milliohms with its uncertainty: "180.0 ± 5.8 mΩ"; for one
// not to be shown, "uncertain (± 105 %)".
QString ohmsText(double ohms, double uncertaintyOhms, bool shown);
// How uncertain a resistance is, in percent of it (rounded); none for a
// resistance of 0 or less.
std::optional<long> uncertaintyPercent(double ohms, double uncertaintyOhms);

// One phase as the report's line has it after "phase N: " ("charge from
// 0:00:00 for 0:30:00, 2000 mAh, 24.000 Wh, mean +4.00 A, largest +4.00 A");
// a rest the same way, without the counter's notes.
QString phaseDescription(const Phase& phase);
// "82.5 % of the energy, 90.0 % of the capacity"; empty for totals without
// an efficiency.
QString efficiencyDescription(const PhaseTotals& totals);

// A median resistance with the median of its uncertainties.
struct MedianOhms {
    double ohms = 0;
    double uncertaintyOhms = 0;
    bool shown = false;  // within the estimates' shown uncertainty (25 %)
};

// The pack's resistance over the estimates to be shown: their median with
// the median of their uncertainties, and each cell's likewise.
struct ResistanceMedian {
    int estimates = 0;     // all of them; 0 for none
    int steps = 0;         // those to be shown, of which the median is
    int limitPercent = 0;  // the uncertainty beyond which one is not shown
    MedianOhms pack;       // when steps > 0
    // Cells 1..n up to the last one present in an estimate; none for a cell
    // absent in every estimate, one not shown for a cell whose figure would
    // be over the limit.
    std::vector<std::optional<MedianOhms>> cells;
};
ResistanceMedian resistanceMedian(const std::vector<ResistanceEstimate>& estimates);

}  // namespace cellwatch
