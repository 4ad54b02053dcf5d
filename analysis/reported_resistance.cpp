#include "analysis/reported_resistance.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <limits>

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

ReportedCells reportedCells(const std::vector<ResistanceNote>& notes) {
    ReportedCells out;
    out.milliohms.fill(std::numeric_limits<double>::quiet_NaN());
    std::vector<double> values;
    for (std::size_t k = 0; k < out.milliohms.size(); ++k) {
        values.clear();
        for (const ResistanceNote& note : notes) {
            if (k < note.cellMilliohms.size() && plausibleCellMilliohms(note.cellMilliohms[k])) {
                values.push_back(note.cellMilliohms[k]);
            }
        }
        if (values.empty()) {
            continue;
        }
        std::sort(values.begin(), values.end());
        const std::size_t n = values.size();
        out.milliohms[k] = n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    }
    out.phases = static_cast<int>(notes.size());
    return out;
}

}  // namespace cellwatch
