#include "analysis/reported_resistance.h"

#include <QStringList>
#include <algorithm>

namespace cellwatch {

ReportedResistance reportedResistance(const Reading& reading) {
    ReportedResistance out;
    if (reading.packResistance) {
        out.packMilliohms = reading.packResistance->toDouble();
    }
    const int cells = std::clamp(reading.cellCount, 0, kMostCells);
    int last = 0;  // the highest cell with a figure
    for (int k = 0; k < cells; ++k) {
        if (reading.cellResistance[static_cast<std::size_t>(k)]) {
            last = k + 1;
        }
    }
    for (int k = 0; k < last; ++k) {
        const std::optional<Decimal>& ohms = reading.cellResistance[static_cast<std::size_t>(k)];
        out.cellMilliohms.push_back(ohms ? std::optional<double>(ohms->toDouble()) : std::nullopt);
    }
    return out;
}

}  // namespace cellwatch
