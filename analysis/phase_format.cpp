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

QString signedAmps(double amps) {
    return (amps > 0 ? QStringLiteral("+") : QString()) + fixed(amps, 2);
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

QString phaseKindText(RowState kind, bool chinese) {
    if (!chinese) {
        return phaseKindName(kind);
    }
    switch (kind) {
        case RowState::Charge:
            return QString::fromUtf8("充电");
        case RowState::Discharge:
            return QString::fromUtf8("放电");
        case RowState::Rest:
            break;
    }
    return QString::fromUtf8("静置");
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

QString ohmsText(double ohms, double uncertaintyOhms, bool shown, bool chinese) {
    if (!shown) {
        const double relative = ohms > 0 ? 100 * uncertaintyOhms / ohms : INFINITY;
        return std::isfinite(relative)
                   ? QString::fromUtf8(chinese ? "不确定（± %1 %）" : "uncertain (± %1 %)")
                         .arg(std::lround(relative))
                   : QString::fromUtf8(chinese ? "不确定" : "uncertain");
    }
    return QString::fromUtf8("%1 ± %2 mΩ")
        .arg(fixed(ohms * 1000, 1), fixed(uncertaintyOhms * 1000, 1));
}

QString phaseDescription(const Phase& p, bool zh) {
    const auto pick = [zh](const char* chinese, const char* english) {
        return QString::fromUtf8(zh ? chinese : english);
    };
    // A rest counts nothing: what its counter stands at says nothing of it.
    const QString counter =
        p.kind == RowState::Rest ? QString()
        : p.counterRestarts == 1 ? pick("（计数器重新开始了一次）", " (the counter restarted once)")
        : p.counterRestarts > 1
            ? pick("（计数器重新开始了 %1 次）", " (the counter restarted %1 times)")
                  .arg(p.counterRestarts)
        : p.startedPartWay ? pick("（中途开始）", " (started part-way)")
                           : QString();
    return pick("%1，自 %2 起，历时 %3，%4 mAh%5，%6 Wh，平均 %7 A，最大 %8 A",
                "%1 from %2 for %3, %4 mAh%5, %6 Wh, mean %7 A, largest %8 A")
        .arg(phaseKindText(p.kind, zh), durationText(p.startSeconds), durationText(p.durationS),
             fixed(p.capacityMah, 0), counter, fixed(p.energyWh, 3), signedAmps(p.currentMeanA),
             signedAmps(p.currentPeakA));
}

QString efficiencyDescription(const PhaseTotals& t, bool zh) {
    if (!t.efficiencyWh && !t.efficiencyMah) {
        return {};
    }
    const auto percent = [](const std::optional<double>& e) {
        return e ? fixed(*e * 100, 1) : QStringLiteral("-");
    };
    return QString::fromUtf8(zh ? "能量的 %1 %，容量的 %2 %"
                                : "%1 % of the energy, %2 % of the capacity")
        .arg(percent(t.efficiencyWh), percent(t.efficiencyMah));
}

QString phasesText(const RecordingPhases& r) {
    QString text;
    int n = 0;
    for (const Phase& p : r.phases) {
        ++n;
        if (p.kind != RowState::Rest) {
            text += QStringLiteral("  phase %1: %2\n").arg(n).arg(phaseDescription(p, false));
        }
    }
    if (r.omitted > 0) {
        text += QStringLiteral("  and %1 more phases, counted in the totals only\n").arg(r.omitted);
    }
    const QString efficiency = efficiencyDescription(r.totals, false);
    if (!efficiency.isEmpty()) {
        text += QStringLiteral("  efficiency:      %1\n").arg(efficiency);
    }
    return text;
}

QString resistanceMedianText(const std::vector<ResistanceEstimate>& estimates, bool zh) {
    if (estimates.empty()) {
        return {};
    }
    const double limit = ResistanceOptions{}.shownUncertainty;
    std::vector<double> ohms;
    std::vector<double> uncertainties;
    for (const ResistanceEstimate& e : estimates) {
        if (e.shown) {
            ohms.push_back(e.ohms);
            uncertainties.push_back(e.uncertaintyOhms);
        }
    }
    if (ohms.empty()) {
        return QString::fromUtf8(zh ? "不确定（%1 次阶跃，无一在 %2 % 以内）"
                                    : "uncertain (%1 steps, none within %2 %)")
            .arg(estimates.size())
            .arg(std::lround(limit * 100));
    }
    const double pack = medianForText(ohms);
    const double packU = medianForText(uncertainties);
    const bool one = ohms.size() == 1;
    QString text = QString::fromUtf8(zh ? (one ? "%1（%2 次阶跃）" : "%1（%2 次阶跃的中位数）")
                                     : one ? "%1, from %2 step"
                                           : "%1, the median of %2 steps")
                       .arg(ohmsText(pack, packU, pack > 0 && packU / pack <= limit, zh))
                       .arg(ohms.size());
    QStringList cells;
    int lastPresent = 0;
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
        if (!present) {
            cells << QString();
            continue;
        }
        lastPresent = static_cast<int>(c) + 1;
        const double r = medianForText(cellOhms);
        const double u = medianForText(cellUncertainties);
        cells << (!cellOhms.empty() && r > 0 && u / r <= limit
                      ? QString::fromUtf8("%1 ± %2").arg(fixed(r * 1000, 0), fixed(u * 1000, 0))
                      : QStringLiteral("?"));
    }
    if (lastPresent > 0) {
        cells = cells.mid(0, lastPresent);
        for (QString& cell : cells) {
            cell = cell.isEmpty() ? QStringLiteral("-") : cell;
        }
        text += QString::fromUtf8(zh ? "；电芯 %1 mΩ" : "; cells %1 mΩ")
                    .arg(cells.join(QString::fromUtf8(zh ? "、" : ", ")));
    }
    return text;
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
