// A recording's analysis, its pack's health and the pack's cell count as a
// window shows them, in the installed language. The English forms the
// command-line tools write stay below the window (analysis/phase_format.h,
// readout/pack_file.h); these are the window's.
#pragma once

#include <QString>
#include <vector>

#include "analysis/phase_format.h"
#include "analysis/reported_resistance.h"
#include "packs/pack_health.h"
#include "readout/pack_file.h"

namespace cellwatch::shown {

// "charge", "discharge" or "rest".
QString phaseKindText(RowState kind);
// "180.0 ± 5.8 mΩ", or "uncertain (± 105 %)" for one not to be shown.
QString ohmsText(double ohms, double uncertaintyOhms, bool shown);
// "charge from 0:00:00 for 0:30:00, 2000 mAh, 24.000 Wh, mean +4.00 A,
// largest +4.00 A", with the counter's note where it restarted.
QString phaseDescription(const Phase& phase);
// "82.5 % of the energy, 90.0 % of the capacity"; empty without an efficiency.
QString efficiencyDescription(const PhaseTotals& totals);
// "125.0 ± 2.8 mΩ, the median of 2 steps; cells ?, 25 ± 3, ? mΩ", "uncertain
// (2 steps, none within 25 %)"; empty without estimates.
QString resistanceMedianText(const std::vector<ResistanceEstimate>& estimates);
// "pack 24.5 mΩ; cells 1.2, 1.3, -, 1.4 mΩ"; empty when nothing is reported.
QString reportedResistanceText(const ReportedResistance& reported);
// One line of a pack's health: the last full discharge's (else charge's)
// capacity as a share of the nominal and of the first, the equivalent
// cycles, the resistance's change and the cell that stands out.
QString packHealthLine(const PackHealth& health);
// "This recording has 6 cells; pack "Race 4S" has 4".
QString cellCountMismatchText(const PackInfo& pack, int recordingCells);

}  // namespace cellwatch::shown
