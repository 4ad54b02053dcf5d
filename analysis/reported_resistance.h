// The resistance a charger measures and reports itself, as the latest
// reading had it: the pack's and each cell's, in milliohms. It stands beside
// what the summary estimates from the current steps of the rows.
#pragma once

#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "protocol/reading.h"
#include "readout/resistance_note.h"

namespace cellwatch {

struct ReportedResistance {
    std::optional<double> packMilliohms;
    // Cells 1..n up to the last one reported; a cell without a figure is empty.
    std::vector<std::optional<double>> cellMilliohms;

    bool any() const { return packMilliohms.has_value() || !cellMilliohms.empty(); }
};

// What `reading` reports (cells 1..cellCount).
ReportedResistance reportedResistance(const Reading& reading);

// What a recording's journal kept of it, phase by phase (resistance_note.h):
// each cell's median over the phases' lines, in milliohms; NaN where none.
using CellMilliohms = std::array<double, kMostCells>;
struct ReportedCells {
    int phases = 0;  // lines taken
    CellMilliohms milliohms{};

    bool any() const { return phases > 0; }
};
ReportedCells reportedCells(const std::vector<ResistanceNote>& notes);

}  // namespace cellwatch
