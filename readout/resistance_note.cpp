#include "readout/resistance_note.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <limits>

#include "protocol/decimal.h"

namespace cellwatch {
namespace {

const QString kPrefix = QStringLiteral("resistance mohm=");

}  // namespace

bool plausibleCellMilliohms(double milliohms) {
    return std::isfinite(milliohms) && milliohms > 0 && milliohms <= kMostCellMilliohms;
}

QString resistanceNoteText(const std::vector<std::int64_t>& cellRaw) {
    std::size_t last = 0;  // cells up to the last one with a figure
    for (std::size_t k = 0; k < cellRaw.size(); ++k) {
        last = cellRaw[k] >= 0 ? k + 1 : last;
    }
    if (last == 0) {
        return {};
    }
    QStringList cells;
    for (std::size_t k = 0; k < last; ++k) {
        cells << (cellRaw[k] >= 0 ? QString::fromStdString(Decimal::fromRaw(cellRaw[k]).plainText())
                                  : QStringLiteral("-"));
    }
    return kPrefix + cells.join(u',');
}

bool readResistanceNote(const QString& comment, std::vector<double>& cellMilliohms) {
    if (!comment.startsWith(kPrefix)) {
        return false;
    }
    const QStringList fields = comment.mid(kPrefix.size()).trimmed().split(u',');
    if (fields.size() > kMostCells) {
        return false;
    }
    cellMilliohms.clear();
    bool any = false;
    for (const QString& field : fields) {
        bool ok = false;
        const double value = field.trimmed().toDouble(&ok);
        const bool plausible = ok && plausibleCellMilliohms(value);
        cellMilliohms.push_back(plausible ? value : std::numeric_limits<double>::quiet_NaN());
        any = any || plausible;
    }
    return any;
}

QString PhaseResistance::add(const Reading& reading) {
    const Kind kind = reading.state == ChargeState::Charging      ? Kind::Charge
                      : reading.state == ChargeState::Discharging ? Kind::Discharge
                                                                  : Kind::None;
    QString ended;
    if (kind != kind_) {
        ended = finish();
        kind_ = kind;
    }
    if (kind_ == Kind::None || readings_++ % stride_ != 0) {
        return ended;
    }
    const auto count = static_cast<std::size_t>(std::clamp(reading.cellCount, 0, kMostCells));
    for (std::size_t k = 0; k < count; ++k) {
        const std::optional<Decimal>& ohms = reading.cellResistance[k];
        if (ohms && plausibleCellMilliohms(ohms->toDouble())) {
            cells_[k].push_back(ohms->raw());
        }
    }
    if (++kept_ == kKeptReadings) {
        // Every second one kept, from now on every second one taken.
        for (std::vector<std::int64_t>& values : cells_) {
            std::size_t to = 0;
            for (std::size_t from = 0; from < values.size(); from += 2) {
                values[to++] = values[from];
            }
            values.resize(to);
        }
        kept_ /= 2;
        stride_ *= 2;
    }
    return ended;
}

QString PhaseResistance::finish() {
    std::vector<std::int64_t> medians;
    for (std::vector<std::int64_t>& values : cells_) {
        if (values.empty()) {
            medians.push_back(-1);
            continue;
        }
        // The lower median: a figure the charger reported.
        const auto middle = values.begin() + static_cast<std::ptrdiff_t>((values.size() - 1) / 2);
        std::nth_element(values.begin(), middle, values.end());
        medians.push_back(*middle);
        values.clear();
    }
    kind_ = Kind::None;
    readings_ = 0;
    stride_ = 1;
    kept_ = 0;
    return resistanceNoteText(medians);
}

}  // namespace cellwatch
