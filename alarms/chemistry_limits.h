// The cell limits of each pack chemistry, and the alarm settings for a
// recording of a pack that says what it is.
//
//   chemistry  full (V)  cell-high (V)  cell-low (V)
//   LiPo       4.20      4.25           3.00
//   LiHV       4.35      4.40           3.00
//   LiIon      4.20      4.25           2.80
//   LiFe       3.60      3.70           2.50
//   NiMH       1.45      1.60           0.90
//   NiCd       1.45      1.60           0.85
//   Pb         2.40      2.45           1.75
//
// A pack's own limits (readout/pack_file.h) go before its chemistry's. The
// cell rules watch the cells the charger reports: the lithium limits for
// its lithium type (LiPo, LiHV, LiIon and LiFe packs all charge as it), the
// lead limits for lead. Nickel packs have no balance lead, so their cell
// rules stay quiet as before; their limits are for the reader's figures.
// Without a pack, or for a pack whose chemistry is not known and that has
// no limits of its own, the settings stay as they are.
#pragma once

#include "alarms/alarm_rules.h"
#include "readout/pack_file.h"

namespace cellwatch::alarms {

struct ChemistryLimits {
    double fullV = 0;      // a full cell at rest
    double cellHighV = 0;  // the cell-high alarm's limit
    double cellLowV = 0;   // the cell-low alarm's limit
};

// The table above; all 0 for Unknown.
ChemistryLimits chemistryLimits(PackChemistry chemistry);

// The limits a pack's cells are watched with: its own where it has them,
// else its chemistry's (0 where neither tells).
ChemistryLimits packLimits(const PackInfo& pack);

// `settings` with the cell-high and cell-low limits of `pack` in place of
// those of its battery type (lithium or lead); unchanged for a pack that
// tells no limits and for nickel packs. Whether a rule is on stays as it is.
AlarmSettings settingsForPack(const AlarmSettings& settings, const PackInfo& pack);

}  // namespace cellwatch::alarms
