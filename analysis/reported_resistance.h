// The resistance a charger measures and reports itself, as the latest
// reading had it: the pack's and each cell's, in milliohms. It stands beside
// what the summary estimates from the current steps of the rows.
#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "protocol/reading.h"

namespace cellwatch {

struct ReportedResistance {
    std::optional<double> packMilliohms;
    // Cells 1..n up to the last one reported; a cell without a figure is empty.
    std::vector<std::optional<double>> cellMilliohms;

    bool any() const { return packMilliohms.has_value() || !cellMilliohms.empty(); }
};

// What `reading` reports (cells 1..cellCount).
ReportedResistance reportedResistance(const Reading& reading);

}  // namespace cellwatch
