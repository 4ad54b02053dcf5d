#include "app/analysis_texts.h"

#include <QCoreApplication>
#include <QStringList>
#include <algorithm>
#include <cmath>

#include "analysis/summary_format.h"

namespace cellwatch::shown {
namespace {

constexpr const char* kContext = "AnalysisText";

// Parts of a line, each a whole clause, one after the other.
QString joined(const QStringList& parts) {
    QString text;
    for (const QString& part : parts) {
        text = text.isEmpty()
                   ? part
                   : QCoreApplication::translate("AnalysisText", "%1; %2").arg(text, part);
    }
    return text;
}

// Figures of a list (cells), one after the other.
QString listed(const QStringList& items) {
    QString text;
    for (const QString& item : items) {
        text = text.isEmpty()
                   ? item
                   : QCoreApplication::translate("AnalysisText", "%1, %2").arg(text, item);
    }
    return text;
}

QString counterNote(const Phase& p) {
    if (p.kind == RowState::Rest) {
        return {};  // a rest counts nothing
    }
    if (p.counterRestarts == 1) {
        return QCoreApplication::translate("AnalysisText", " (the counter restarted once)");
    }
    if (p.counterRestarts > 1) {
        return QCoreApplication::translate("AnalysisText", " (the counter restarted %1 times)")
            .arg(p.counterRestarts);
    }
    return p.startedPartWay ? QCoreApplication::translate("AnalysisText", " (started part-way)")
                            : QString();
}

QString capacityText(const CapacityPoint& c) {
    const bool discharge = c.kind == RowState::Discharge;
    const QString mah = fixed(c.capacityMah, 0);
    const QString ofFirst = fixed(c.percentOfFirst, 1);
    if (std::isnan(c.percentOfNominal)) {
        return (discharge ? QCoreApplication::translate(
                                "AnalysisText", "last full discharge %1 mAh (%2 % of the first)")
                          : QCoreApplication::translate(
                                "AnalysisText", "last full charge %1 mAh (%2 % of the first)"))
            .arg(mah, ofFirst);
    }
    return (discharge ? QCoreApplication::translate(
                            "AnalysisText",
                            "last full discharge %1 mAh (%2 % of nominal, %3 % of the first)")
                      : QCoreApplication::translate(
                            "AnalysisText",
                            "last full charge %1 mAh (%2 % of nominal, %3 % of the first)"))
        .arg(mah, fixed(c.percentOfNominal, 1), ofFirst);
}

QString findingLine(const CellFinding& f) {
    const bool discharge = f.kind == RowState::Discharge;
    const bool one = f.of == 1;
    const char* form =
        discharge
            ? (one ? QT_TRANSLATE_NOOP("AnalysisText",
                                       "cell %1: lowest at the end of %2 of the last %3 discharge, "
                                       "%4 mV under the "
                                       "mean")
                   : QT_TRANSLATE_NOOP("AnalysisText",
                                       "cell %1: lowest at the end of %2 of the last %3 "
                                       "discharges, %4 mV under the "
                                       "mean"))
            : (one ? QT_TRANSLATE_NOOP("AnalysisText",
                                       "cell %1: highest at the end of %2 of the last %3 charge, "
                                       "%4 mV over the mean")
                   : QT_TRANSLATE_NOOP(
                         "AnalysisText",
                         "cell %1: highest at the end of %2 of the last %3 charges, %4 mV over the "
                         "mean"));
    return QCoreApplication::translate(kContext, form)
        .arg(f.cell)
        .arg(f.times)
        .arg(f.of)
        .arg(std::lround(f.mvFromMean));
}

}  // namespace

QString phaseKindText(RowState kind) {
    switch (kind) {
        case RowState::Charge:
            return QCoreApplication::translate("AnalysisText", "charge");
        case RowState::Discharge:
            return QCoreApplication::translate("AnalysisText", "discharge");
        case RowState::Rest:
            break;
    }
    return QCoreApplication::translate("AnalysisText", "rest");
}

QString ohmsText(double ohms, double uncertaintyOhms, bool shown) {
    if (shown) {
        return cellwatch::ohmsText(ohms, uncertaintyOhms, true);
    }
    const std::optional<long> percent = uncertaintyPercent(ohms, uncertaintyOhms);
    return percent ? QCoreApplication::translate("AnalysisText", "uncertain (± %1 %)").arg(*percent)
                   : QCoreApplication::translate("AnalysisText", "uncertain");
}

QString phaseDescription(const Phase& p) {
    return QCoreApplication::translate(
               "AnalysisText", "%1 from %2 for %3, %4 mAh%5, %6 Wh, mean %7 A, largest %8 A")
        .arg(phaseKindText(p.kind), durationText(p.startSeconds), durationText(p.durationS),
             fixed(p.capacityMah, 0), counterNote(p), fixed(p.energyWh, 3),
             signedAmps(p.currentMeanA), signedAmps(p.currentPeakA));
}

QString efficiencyDescription(const PhaseTotals& t) {
    if (!t.efficiencyWh && !t.efficiencyMah) {
        return {};
    }
    const auto percent = [](const std::optional<double>& e) {
        return e ? fixed(*e * 100, 1) : QStringLiteral("-");
    };
    return QCoreApplication::translate("AnalysisText", "%1 % of the energy, %2 % of the capacity")
        .arg(percent(t.efficiencyWh), percent(t.efficiencyMah));
}

QString resistanceMedianText(const std::vector<ResistanceEstimate>& estimates) {
    const ResistanceMedian m = resistanceMedian(estimates);
    if (m.estimates == 0) {
        return {};
    }
    if (m.steps == 0) {
        return QCoreApplication::translate("AnalysisText", "uncertain (%1 steps, none within %2 %)")
            .arg(m.estimates)
            .arg(m.limitPercent);
    }
    QString text =
        (m.steps == 1 ? QCoreApplication::translate("AnalysisText", "%1, from %2 step")
                      : QCoreApplication::translate("AnalysisText", "%1, the median of %2 steps"))
            .arg(ohmsText(m.pack.ohms, m.pack.uncertaintyOhms, m.pack.shown))
            .arg(m.steps);
    if (m.cells.empty()) {
        return text;
    }
    QStringList cells;
    for (const std::optional<MedianOhms>& cell : m.cells) {
        cells << (!cell ? QStringLiteral("-")
                  : cell->shown
                      ? QString::fromUtf8("%1 ± %2").arg(fixed(cell->ohms * 1000, 0),
                                                         fixed(cell->uncertaintyOhms * 1000, 0))
                      : QStringLiteral("?"));
    }
    return QCoreApplication::translate("AnalysisText", "%1; cells %2 mΩ").arg(text, listed(cells));
}

QString reportedResistanceText(const ReportedResistance& reported) {
    QStringList parts;
    if (reported.packMilliohms) {
        parts << QCoreApplication::translate("AnalysisText", "pack %1 mΩ")
                     .arg(QString::number(*reported.packMilliohms, 'f', 1));
    }
    if (!reported.cellMilliohms.empty()) {
        QStringList cells;
        for (const std::optional<double>& cell : reported.cellMilliohms) {
            cells << (cell ? QString::number(*cell, 'f', 1) : QStringLiteral("-"));
        }
        parts << QCoreApplication::translate("AnalysisText", "cells %1 mΩ").arg(listed(cells));
    }
    return joined(parts);
}

namespace {

// The cells of the newest recording whose charger reported them: "cells
// 3.0, 3.1, 9.5 mΩ reported by the charger, 3.2, -, - mΩ estimated".
QString cellResistanceText(const PackHealth& h) {
    const auto newest = std::find_if(h.resistance.rbegin(), h.resistance.rend(),
                                     [](const ResistancePoint& point) { return point.reported(); });
    if (newest == h.resistance.rend()) {
        return {};
    }
    const auto cells = [](const auto& milliohms, double scale) {
        QStringList items;
        for (const double v : milliohms) {
            items << (std::isnan(v) ? QStringLiteral("-") : fixed(v * scale, 1));
        }
        while (items.size() > 1 && items.last() == QStringLiteral("-")) {
            items.removeLast();
        }
        return listed(items);
    };
    return QCoreApplication::translate("AnalysisText",
                                       "cells %1 mΩ reported by the charger, %2 mΩ estimated")
        .arg(cells(newest->reportedCellMilliohms, 1.0), cells(newest->cellOhms, 1000.0));
}

}  // namespace

QString packHealthLine(const PackHealth& h) {
    QStringList parts;
    if (const CapacityPoint* last = lastFullCapacity(h)) {
        parts << capacityText(*last);
    }
    if (!std::isnan(h.equivalentCycles)) {
        parts << QCoreApplication::translate("AnalysisText", "%1 equivalent cycles")
                     .arg(fixed(h.equivalentCycles, 1));
    }
    if (h.resistanceChangePercent) {
        parts << QCoreApplication::translate("AnalysisText", "resistance %1 %")
                     .arg((*h.resistanceChangePercent >= 0 ? QStringLiteral("+") : QString()) +
                          fixed(*h.resistanceChangePercent, 1));
    }
    if (const QString cells = cellResistanceText(h); !cells.isEmpty()) {
        parts << cells;
    }
    if (h.finding) {
        parts << findingLine(*h.finding);
    }
    return parts.isEmpty()
               ? QCoreApplication::translate("AnalysisText", "no full charge or discharge yet")
               : joined(parts);
}

QString cellCountMismatchText(const PackInfo& pack, int recordingCells) {
    return QCoreApplication::translate("AnalysisText",
                                       "This recording has %1 cells; pack \"%2\" has %3")
        .arg(recordingCells)
        .arg(pack.pack)
        .arg(pack.cells);
}

}  // namespace cellwatch::shown
