// A recording cut into phases by its state: the rows while charging, while
// discharging and while resting (idle or any other state), each run of rows
// of one state a phase of its own. What each phase came to:
//
//   capacity   from the counter's own increments: the sum over consecutive
//              rows of the phase of (mAh_k - mAh_(k-1)). The first row's
//              count is where the phase starts (a recording that starts
//              part-way, with the counter already at 700 mAh, counts what
//              it saw, not the 700). A count that falls back to less than
//              half the one before is a counter that restarted: the step
//              adds the new count (what it counted since its restart) and
//              the restart is counted. A smaller fall adds nothing.
//   charge     the same from the current: the trapezoid sum of |I| over
//              time, in mAh (a cross-check of the counter);
//   energy     the trapezoid sum of |V x I| over time, in Wh, as the
//              summary takes it (energyStepWh);
//   duration   the sum of the steps forward between consecutive rows (a
//              time that falls back, a restart of the recording's origin,
//              adds nothing);
//   current    the mean of the signed current over the rows (negative while
//              discharging) and the largest by size, with its sign;
//   cells      the last row's cell voltages (NaN for an absent or 0 cell).
//
// A recording with a charge and a discharge phase has an efficiency: the
// discharge phases' energy over the charge phases' energy, and their
// capacities likewise.
//
// Rows without an elapsed time are passed over. Numbers in, numbers out:
// texts for display are made elsewhere (phase_format.h).
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

#include "analysis/range_stats.h"

namespace cellwatch {

// The counter's first count above which a phase is taken to have started
// part-way (the charge was running before the recording began).
inline constexpr double kPartWayMah = 5.0;

struct Phase {
    RowState kind = RowState::Rest;
    std::size_t firstRow = 0;  // data rows, 0 = the recording's first; inclusive
    std::size_t lastRow = 0;
    std::size_t rows = 0;     // timed rows counted
    double startSeconds = 0;  // elapsed time of its first and last row
    double endSeconds = 0;
    double durationS = 0;
    double capacityMah = 0;  // from the counter's increments
    double counterFirstMah = 0;
    double counterLastMah = 0;
    int counterRestarts = 0;
    bool startedPartWay = false;  // counterFirstMah > kPartWayMah
    double currentMah = 0;        // from the current over time
    double energyWh = 0;
    double currentMeanA = 0;  // signed
    double currentPeakA = 0;  // signed, the largest by size
    double voltageFirstV = 0;
    double voltageLastV = 0;
    double tempExtMeanC = 0;  // NaN when no row tells
    double tempExtMaxC = 0;
    int cells = 0;  // the last row's non-zero cells
    std::array<double, 12> cellsLastV{};
};

struct PhaseTotals {
    int chargePhases = 0;
    int dischargePhases = 0;
    double chargeMah = 0;  // counter increments of all charge phases
    double dischargeMah = 0;
    double chargeWh = 0;
    double dischargeWh = 0;
    // Discharge over charge; nothing unless both are above zero.
    std::optional<double> efficiencyWh;
    std::optional<double> efficiencyMah;
};

struct RecordingPhases {
    // The first kKeptPhases phases; the totals count every phase.
    std::vector<Phase> phases;
    std::size_t omitted = 0;  // phases past those kept
    PhaseTotals totals;
};

// Phases kept of one recording at most: a recording that flips its state
// every few rows (a million phases in a day) costs no more than this.
inline constexpr std::size_t kKeptPhases = 1000;

// Cuts rows into phases one row at a time (a live recording, or a file's
// rows as they are read).
class PhaseCutter {
public:
    // The next row; `index` its data row (0 = the first).
    void add(std::size_t index, const RangeRowNumbers& row);
    // The phases so far, the last one as far as it goes.
    RecordingPhases result() const;
    // Phases kept so far (at most kKeptPhases).
    std::size_t kept() const { return done_.size(); }

private:
    void close();

    std::vector<Phase> done_;
    std::size_t omitted_ = 0;
    PhaseTotals closedTotals_;  // of every closed phase, kept or not
    std::optional<Phase> open_;
    double lastSeconds_ = 0;
    double lastCounter_ = 0;
    double lastPower_ = 0;
    double lastCurrent_ = 0;
    bool haveCounter_ = false;
    double currentSum_ = 0;
    std::size_t currentRows_ = 0;
    double tempSum_ = 0;
    std::size_t tempRows_ = 0;
};

// The phases of every row.
RecordingPhases cutPhases(RangeRows& rows);
// Totals and efficiency of a list of phases.
PhaseTotals phaseTotals(const std::vector<Phase>& phases);
// Adds one phase to `totals`, and works out the efficiency again.
void addToTotals(PhaseTotals& totals, const Phase& phase);

// What one step of the capacity counter adds, by the rule above; says
// whether the counter restarted.
double counterStepMah(double before, double after, bool& restarted);

// The phase that holds data row `row`; nothing when none does.
std::optional<std::size_t> phaseOfRow(const std::vector<Phase>& phases, std::size_t row);

}  // namespace cellwatch
