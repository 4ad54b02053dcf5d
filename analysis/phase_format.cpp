#include "analysis/phase_format.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

#include "analysis/summary_format.h"

namespace cellwatch {
namespace {

QJsonValue phaseNumber(double value) {
    return std::isnan(value) ? QJsonValue() : QJsonValue(round4(value));
}

// The median of `values` (the mean of the middle two for an even count);
// 0 for none.
double medianForText(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 == 1 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

}  // namespace

QString signedAmps(double amps) {
    return (amps > 0 ? QStringLiteral("+") : QString()) + fixed(amps, 2);
}

QString phaseKindName(RowState kind) {
    switch (kind) {
        case RowState::Charge:
            return QStringLiteral("charge");
        case RowState::Discharge:
            return QStringLiteral("discharge");
        case RowState::Rest:
            break;
    }
    return QStringLiteral("rest");
}

QJsonArray phasesJson(const std::vector<Phase>& phases) {
    QJsonArray array;
    for (const Phase& p : phases) {
        QJsonArray cells;
        std::size_t present = 0;  // up to the highest present cell
        for (std::size_t c = 0; c < p.cellsLastV.size(); ++c) {
            present = std::isnan(p.cellsLastV[c]) ? present : c + 1;
        }
        for (std::size_t c = 0; c < present; ++c) {
            cells.append(phaseNumber(p.cellsLastV[c]));
        }
        array.append(QJsonObject{
            {QStringLiteral("kind"), phaseKindName(p.kind)},
            {QStringLiteral("first_row"), static_cast<qint64>(p.firstRow)},
            {QStringLiteral("last_row"), static_cast<qint64>(p.lastRow)},
            {QStringLiteral("start_s"), p.startSeconds},
            {QStringLiteral("end_s"), p.endSeconds},
            {QStringLiteral("duration_s"), p.durationS},
            {QStringLiteral("capacity_mah"), round4(p.capacityMah)},
            {QStringLiteral("counter_first_mah"), round4(p.counterFirstMah)},
            {QStringLiteral("counter_last_mah"), round4(p.counterLastMah)},
            {QStringLiteral("counter_restarts"), p.counterRestarts},
            {QStringLiteral("started_part_way"), p.startedPartWay},
            {QStringLiteral("current_mah"), round4(p.currentMah)},
            {QStringLiteral("energy_wh"), round4(p.energyWh)},
            {QStringLiteral("current_mean_a"), round4(p.currentMeanA)},
            {QStringLiteral("current_peak_a"), round4(p.currentPeakA)},
            {QStringLiteral("voltage_first_v"), round4(p.voltageFirstV)},
            {QStringLiteral("voltage_last_v"), round4(p.voltageLastV)},
            {QStringLiteral("temp_ext_mean_c"), phaseNumber(p.tempExtMeanC)},
            {QStringLiteral("temp_ext_max_c"), phaseNumber(p.tempExtMaxC)},
            {QStringLiteral("cells"), p.cells},
            {QStringLiteral("cells_last_v"), cells},
        });
    }
    return array;
}

QJsonObject phaseTotalsJson(const PhaseTotals& t) {
    return QJsonObject{
        {QStringLiteral("charge_phases"), t.chargePhases},
        {QStringLiteral("discharge_phases"), t.dischargePhases},
        {QStringLiteral("charge_mah"), round4(t.chargeMah)},
        {QStringLiteral("discharge_mah"), round4(t.dischargeMah)},
        {QStringLiteral("charge_wh"), round4(t.chargeWh)},
        {QStringLiteral("discharge_wh"), round4(t.dischargeWh)},
        {QStringLiteral("efficiency_wh"),
         t.efficiencyWh ? QJsonValue(round4(*t.efficiencyWh)) : QJsonValue()},
        {QStringLiteral("efficiency_mah"),
         t.efficiencyMah ? QJsonValue(round4(*t.efficiencyMah)) : QJsonValue()},
    };
}

QJsonArray resistanceJson(const std::vector<ResistanceEstimate>& estimates) {
    QJsonArray array;
    for (const ResistanceEstimate& e : estimates) {
        QJsonArray cells;
        int last = 0;
        for (int c = 0; c < 12; ++c) {
            last = e.cells[static_cast<std::size_t>(c)].present ? c + 1 : last;
        }
        for (int c = 0; c < last; ++c) {
            const CellResistance& cell = e.cells[static_cast<std::size_t>(c)];
            cells.append(cell.present
                             ? QJsonValue(QJsonObject{
                                   {QStringLiteral("ohms"), std::round(cell.ohms * 1e5) / 1e5},
                                   {QStringLiteral("uncertainty_ohms"),
                                    std::round(cell.uncertaintyOhms * 1e5) / 1e5},
                                   {QStringLiteral("shown"), cell.shown},
                               })
                             : QJsonValue());
        }
        array.append(QJsonObject{
            {QStringLiteral("row"), static_cast<qint64>(e.row)},
            {QStringLiteral("at_s"), e.atSeconds},
            {QStringLiteral("current_before_a"), round4(e.currentBeforeA)},
            {QStringLiteral("current_after_a"), round4(e.currentAfterA)},
            {QStringLiteral("voltage_before_v"), round4(e.voltageBeforeV)},
            {QStringLiteral("voltage_after_v"), round4(e.voltageAfterV)},
            {QStringLiteral("ohms"), std::round(e.ohms * 1e5) / 1e5},
            {QStringLiteral("uncertainty_ohms"), std::round(e.uncertaintyOhms * 1e5) / 1e5},
            {QStringLiteral("shown"), e.shown},
            {QStringLiteral("temp_ext_c"), phaseNumber(e.tempExtC)},
            {QStringLiteral("phase_mah_so_far"), round4(e.phaseMahSoFar)},
            {QStringLiteral("net_mah_so_far"), round4(e.netMahSoFar)},
            {QStringLiteral("cells"), cells},
        });
    }
    return array;
}

QString mixedSummaryNote(const RecordingSummaryValues& summary) {
    if (summary.kind != RecordingKind::Mixed) {
        return {};
    }
    return QStringLiteral(
        "over the whole recording: capacity_mah is the counter's last count, and "
        "duration_s, energy_wh and the currents take every row whatever its state; each "
        "charge's and discharge's own figures are in phases");
}

std::optional<long> uncertaintyPercent(double ohms, double uncertaintyOhms) {
    const double relative = ohms > 0 ? 100 * uncertaintyOhms / ohms : INFINITY;
    return std::isfinite(relative) ? std::optional<long>(std::lround(relative)) : std::nullopt;
}

QString ohmsText(double ohms, double uncertaintyOhms, bool shown) {
    if (!shown) {
        const std::optional<long> percent = uncertaintyPercent(ohms, uncertaintyOhms);
        return percent ? QString::fromUtf8("uncertain (± %1 %)").arg(*percent)
                       : QStringLiteral("uncertain");
    }
    return QString::fromUtf8("%1 ± %2 mΩ")
        .arg(fixed(ohms * 1000, 1), fixed(uncertaintyOhms * 1000, 1));
}

QString phaseDescription(const Phase& p) {
    // A rest counts nothing: what its counter stands at says nothing of it.
    const QString counter =
        p.kind == RowState::Rest ? QString()
        : p.counterRestarts == 1 ? QStringLiteral(" (the counter restarted once)")
        : p.counterRestarts > 1
            ? QStringLiteral(" (the counter restarted %1 times)").arg(p.counterRestarts)
        : p.startedPartWay ? QStringLiteral(" (started part-way)")
                           : QString();
    return QStringLiteral("%1 from %2 for %3, %4 mAh%5, %6 Wh, mean %7 A, largest %8 A")
        .arg(phaseKindName(p.kind), durationText(p.startSeconds), durationText(p.durationS),
             fixed(p.capacityMah, 0), counter, fixed(p.energyWh, 3), signedAmps(p.currentMeanA),
             signedAmps(p.currentPeakA));
}

QString efficiencyDescription(const PhaseTotals& t) {
    if (!t.efficiencyWh && !t.efficiencyMah) {
        return {};
    }
    const auto percent = [](const std::optional<double>& e) {
        return e ? fixed(*e * 100, 1) : QStringLiteral("-");
    };
    return QStringLiteral("%1 % of the energy, %2 % of the capacity")
        .arg(percent(t.efficiencyWh), percent(t.efficiencyMah));
}

QString phasesText(const RecordingPhases& r) {
    QString text;
    int n = 0;
    for (const Phase& p : r.phases) {
        ++n;
        if (p.kind != RowState::Rest) {
            text += QStringLiteral("  phase %1: %2\n").arg(n).arg(phaseDescription(p));
        }
    }
    if (r.omitted > 0) {
        text += QStringLiteral("  and %1 more phases, counted in the totals only\n").arg(r.omitted);
    }
    const QString efficiency = efficiencyDescription(r.totals);
    if (!efficiency.isEmpty()) {
        text += QStringLiteral("  efficiency:      %1\n").arg(efficiency);
    }
    return text;
}

ResistanceMedian resistanceMedian(const std::vector<ResistanceEstimate>& estimates) {
    ResistanceMedian out;
    out.estimates = static_cast<int>(estimates.size());
    const double limit = ResistanceOptions{}.shownUncertainty;
    out.limitPercent = static_cast<int>(std::lround(limit * 100));
    const auto median = [limit](const std::vector<double>& ohms,
                                const std::vector<double>& uncertainties) {
        MedianOhms m;
        m.ohms = medianForText(ohms);
        m.uncertaintyOhms = medianForText(uncertainties);
        m.shown = !ohms.empty() && m.ohms > 0 && m.uncertaintyOhms / m.ohms <= limit;
        return m;
    };
    std::vector<double> ohms;
    std::vector<double> uncertainties;
    for (const ResistanceEstimate& e : estimates) {
        if (e.shown) {
            ohms.push_back(e.ohms);
            uncertainties.push_back(e.uncertaintyOhms);
        }
    }
    out.steps = static_cast<int>(ohms.size());
    if (ohms.empty()) {
        return out;
    }
    out.pack = median(ohms, uncertainties);
    std::size_t lastPresent = 0;
    for (std::size_t c = 0; c < 12; ++c) {
        std::vector<double> cellOhms;
        std::vector<double> cellUncertainties;
        bool present = false;
        for (const ResistanceEstimate& e : estimates) {
            const CellResistance& cell = e.cells[c];
            present = present || cell.present;
            if (cell.present && cell.shown) {
                cellOhms.push_back(cell.ohms);
                cellUncertainties.push_back(cell.uncertaintyOhms);
            }
        }
        out.cells.push_back(present ? std::optional<MedianOhms>(median(cellOhms, cellUncertainties))
                                    : std::nullopt);
        if (present) {
            lastPresent = c + 1;
        }
    }
    out.cells.resize(lastPresent);
    return out;
}

QString resistanceText(const std::vector<ResistanceEstimate>& estimates) {
    QString text;
    for (const ResistanceEstimate& e : estimates) {
        QString cells;
        for (const CellResistance& c : e.cells) {
            if (c.present) {
                cells += u' ' + (c.shown ? fixed(c.ohms * 1000, 0) : QStringLiteral("?"));
            }
        }
        text +=
            QStringLiteral("  resistance at %1 (%2 to %3 A, %4, %5 mAh): %6%7\n")
                .arg(durationText(e.atSeconds), signedAmps(e.currentBeforeA),
                     signedAmps(e.currentAfterA),
                     std::isnan(e.tempExtC) ? QStringLiteral("-")
                                            : QString::fromUtf8("%1 °C").arg(fixed(e.tempExtC, 0)),
                     fixed(e.phaseMahSoFar, 0), ohmsText(e.ohms, e.uncertaintyOhms, e.shown),
                     cells.isEmpty() ? QString() : QString::fromUtf8("; cells%1 mΩ").arg(cells));
    }
    return text;
}

}  // namespace cellwatch
