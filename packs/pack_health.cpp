#include "packs/pack_health.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

#include "analysis/summary_format.h"
#include "readout/journal.h"

namespace cellwatch {
namespace {

constexpr double kHealthNaN = std::numeric_limits<double>::quiet_NaN();

QDateTime startOf(const PackedRecording& r) {
    return r.summary.start.isValid() ? r.summary.start : r.start;
}

bool healthEarlier(const AnalyzedRecording* a, const AnalyzedRecording* b) {
    const QDateTime sa = startOf(a->recording);
    const QDateTime sb = startOf(b->recording);
    if (sa.isValid() != sb.isValid()) {
        return sa.isValid();
    }
    if (sa.isValid() && sa != sb) {
        return sa < sb;
    }
    return QFileInfo(a->recording.path).fileName() < QFileInfo(b->recording.path).fileName();
}

QJsonValue numberOrNull(double value, int decimals = 4) {
    if (std::isnan(value)) {
        return QJsonValue();
    }
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

QString kindWord(RowState kind, bool plural) {
    if (kind == RowState::Charge) {
        return plural ? QStringLiteral("charges") : QStringLiteral("charge");
    }
    if (kind == RowState::Discharge) {
        return plural ? QStringLiteral("discharges") : QStringLiteral("discharge");
    }
    return QStringLiteral("rest");
}

// "3.1 3.2 - 9.5": cells up to the last one with a figure; "-" without any.
QString cellList(const std::array<double, kMostCells>& milliohms) {
    QStringList cells;
    for (const double v : milliohms) {
        cells << (std::isnan(v) ? QStringLiteral("-") : fixed(v, 1));
    }
    while (cells.size() > 1 && cells.last() == QStringLiteral("-")) {
        cells.removeLast();
    }
    return cells.join(u' ');
}

// The cell standing out at the ends of the phases of `kind`, if one does.
std::optional<CellFinding> standingOut(const std::vector<const Phase*>& phases, RowState kind) {
    const std::size_t from = phases.size() > static_cast<std::size_t>(kFindingRecordings)
                                 ? phases.size() - static_cast<std::size_t>(kFindingRecordings)
                                 : 0;
    std::map<int, std::pair<int, double>> counts;  // cell: times, mV summed
    int of = 0;
    for (std::size_t i = from; i < phases.size(); ++i) {
        const Phase& p = *phases[i];
        double sum = 0;
        int n = 0;
        int pick = -1;
        for (int c = 0; c < 12; ++c) {
            const double v = p.cellsLastV[static_cast<std::size_t>(c)];
            if (std::isnan(v)) {
                continue;
            }
            sum += v;
            ++n;
            const bool better =
                pick < 0 ||
                (kind == RowState::Discharge ? v < p.cellsLastV[static_cast<std::size_t>(pick)]
                                             : v > p.cellsLastV[static_cast<std::size_t>(pick)]);
            pick = better ? c : pick;
        }
        if (n < 2) {
            continue;
        }
        ++of;
        const double mean = sum / n;
        const double distance =
            std::fabs(p.cellsLastV[static_cast<std::size_t>(pick)] - mean) * 1000.0;
        auto& entry = counts[pick];
        ++entry.first;
        entry.second += distance;
    }
    std::optional<CellFinding> best;
    for (const auto& [cell, entry] : counts) {
        const double mv = entry.second / entry.first;
        if (entry.first >= 2 && 3 * entry.first >= 2 * of && mv >= kFindingLeastMv &&
            (!best || entry.first > best->times)) {
            best = CellFinding{cell + 1, kind, entry.first, of, mv};
        }
    }
    return best;
}

}  // namespace

bool ResistancePoint::reported() const {
    return std::any_of(reportedCellMilliohms.begin(), reportedCellMilliohms.end(),
                       [](double v) { return !std::isnan(v); });
}

PackInfo packDefinition(const std::vector<PackedRecording>& recordings, const QString& name) {
    const QString wanted = normalizedPackName(name);
    std::vector<const PackedRecording*> mine;
    for (const PackedRecording& r : recordings) {
        if (!wanted.isEmpty() && normalizedPackName(r.pack.pack) == wanted) {
            mine.push_back(&r);
        }
    }
    std::stable_sort(mine.begin(), mine.end(),
                     [](const PackedRecording* a, const PackedRecording* b) {
                         const QDateTime sa = startOf(*a);
                         const QDateTime sb = startOf(*b);
                         if (sa.isValid() != sb.isValid()) {
                             return sa.isValid();
                         }
                         return sa.isValid() && sa != sb
                                    ? sa < sb
                                    : QFileInfo(a->path).fileName() < QFileInfo(b->path).fileName();
                     });
    PackInfo d;
    d.pack = wanted;
    for (auto it = mine.rbegin(); it != mine.rend(); ++it) {
        const PackInfo& p = (*it)->pack;
        if (d.chemistry == PackChemistry::Unknown) {
            d.chemistry = p.chemistry;
        }
        d.cells = d.cells == 0 ? p.cells : d.cells;
        d.capacityMah = d.capacityMah == 0 ? p.capacityMah : d.capacityMah;
        d.cellHighV = d.cellHighV == 0 ? p.cellHighV : d.cellHighV;
        d.cellLowV = d.cellLowV == 0 ? p.cellLowV : d.cellLowV;
        if (d.note.isEmpty()) {
            d.note = p.note;
        }
    }
    return d;
}

PackHealth packHealth(const std::vector<AnalyzedRecording>& recordings, const QString& name) {
    const QString wanted = normalizedPackName(name);
    std::vector<PackedRecording> packed;
    std::vector<const AnalyzedRecording*> mine;
    for (const AnalyzedRecording& r : recordings) {
        packed.push_back(r.recording);
        if (!wanted.isEmpty() && r.recording.readable && !r.recording.pack.leftOut &&
            normalizedPackName(r.recording.pack.pack) == wanted) {
            mine.push_back(&r);
        }
    }
    std::stable_sort(mine.begin(), mine.end(), healthEarlier);
    PackHealth h;
    h.definition = packDefinition(packed, wanted);
    h.recordings = static_cast<int>(mine.size());
    const double nominal = h.definition.capacityMah;

    // The largest phase of each kind, for "full" without a nominal capacity.
    double largest[3] = {0, 0, 0};
    double throughputMah = 0;
    std::vector<const Phase*> charges;
    std::vector<const Phase*> discharges;
    for (const AnalyzedRecording* r : mine) {
        const RecordingPhases& phases = r->analysis.phases;
        if (phases.omitted > 0) {
            // Phases past those kept count through their totals.
            throughputMah += phases.totals.chargeMah + phases.totals.dischargeMah;
        }
        for (const Phase& p : phases.phases) {
            const auto k = static_cast<std::size_t>(p.kind);
            largest[k] = std::max(largest[k], p.capacityMah);
            if (p.kind != RowState::Rest && phases.omitted == 0) {
                throughputMah += p.capacityMah;
            }
            if (p.cells >= 2 && p.durationS >= kFindingLeastSeconds) {
                (p.kind == RowState::Charge ? charges : discharges).push_back(&p);
            }
        }
    }
    h.throughputAh = throughputMah / 1000.0;
    h.equivalentCycles = nominal > 0 ? throughputMah / (2 * nominal) : kHealthNaN;

    double first[3] = {0, 0, 0};
    std::optional<std::size_t> firstEstimate;  // the first resistance point with one
    for (const AnalyzedRecording* r : mine) {
        for (const Phase& p : r->analysis.phases.phases) {
            const auto k = static_cast<std::size_t>(p.kind);
            const double fullFrom = nominal > 0 ? nominal / 2 : largest[k] / 2;
            if (p.kind == RowState::Rest || p.startedPartWay || p.capacityMah <= 0 ||
                p.capacityMah < fullFrom) {
                continue;
            }
            if (first[k] == 0) {
                first[k] = p.capacityMah;
            }
            h.capacity.push_back({r->recording.path, startOf(r->recording), p.kind, p.capacityMah,
                                  p.energyWh,
                                  nominal > 0 ? 100 * p.capacityMah / nominal : kHealthNaN,
                                  100 * p.capacityMah / first[k]});
        }
        const ResistanceSummary& s = r->analysis.resistanceSummary;
        const ReportedCells& reported = r->analysis.reported;
        if (s.shownCount == 0 && !reported.any()) {
            continue;
        }
        ResistancePoint point{
            r->recording.path, startOf(r->recording), kHealthNaN, kHealthNaN, false, {},
            reported.milliohms};
        point.cellOhms.fill(kHealthNaN);
        if (s.shownCount > 0) {
            point.ohms = s.packOhms;
            point.tempExtC = s.tempExtC;
            point.cellOhms = s.cellOhms;
            if (!firstEstimate) {
                firstEstimate = h.resistance.size();
            }
            const double reference = h.resistance.size() == *firstEstimate
                                         ? s.tempExtC
                                         : h.resistance[*firstEstimate].tempExtC;
            point.comparable = (std::isnan(reference) && std::isnan(s.tempExtC)) ||
                               std::fabs(s.tempExtC - reference) <= kComparableKelvin;
        }
        h.resistance.push_back(point);
    }
    for (std::size_t i = h.resistance.size(); firstEstimate && i-- > *firstEstimate + 1;) {
        if (h.resistance[i].estimated() && h.resistance[i].comparable) {
            h.resistanceChangePercent =
                100 * (h.resistance[i].ohms / h.resistance[*firstEstimate].ohms - 1);
            break;
        }
    }
    h.finding = standingOut(discharges, RowState::Discharge);
    if (discharges.empty()) {
        h.finding = standingOut(charges, RowState::Charge);
    }
    return h;
}

std::optional<PackInfo> packDefinitionOfFolder(const QString& folder, const QString& name) {
    const QString wanted = normalizedPackName(name);
    if (wanted.isEmpty()) {
        return std::nullopt;
    }
    std::vector<PackedRecording> files;
    for (const QString& path : journalPaths(folder)) {
        PackInfo pack = readPackInfo(path);
        if (pack.pack == wanted) {
            files.push_back({path, {}, std::move(pack), false, {}, std::nullopt});
        }
    }
    if (files.empty()) {
        return std::nullopt;
    }
    PackInfo d = packDefinition(files, wanted);
    d.note.clear();
    d.leftOut = false;
    return d;
}

PackHealth packHealthOfFolder(const QString& folder, const QString& name) {
    const QString wanted = normalizedPackName(name);
    std::vector<AnalyzedRecording> recordings;
    for (const QString& path : journalPaths(folder)) {
        AnalyzedRecording r{{path, {}, readPackInfo(path), false, {}, std::nullopt}, {}};
        if (wanted.isEmpty() || r.recording.pack.pack != wanted) {
            continue;
        }
        if (!r.recording.pack.leftOut) {
            try {
                r.analysis = streamAndAnalyze(path, &r.recording.summary);
                r.recording.readable = r.recording.summary.rows > 0;
                // Only their summary counts here.
                r.analysis.resistance = {};
            } catch (const std::exception&) {
                r.recording.readable = false;  // a damaged journal has no place in the health
            }
        }
        recordings.push_back(std::move(r));
    }
    return packHealth(recordings, wanted);
}

QString findingText(const CellFinding& f) {
    const bool discharge = f.kind == RowState::Discharge;
    return QStringLiteral("cell %1: %2 at the end of %3 of the last %4 %5, %6 mV %7 the mean")
        .arg(f.cell)
        .arg(discharge ? QStringLiteral("lowest") : QStringLiteral("highest"))
        .arg(f.times)
        .arg(f.of)
        .arg(kindWord(f.kind, f.of != 1))
        .arg(std::lround(f.mvFromMean))
        .arg(discharge ? QStringLiteral("under") : QStringLiteral("over"));
}

const CapacityPoint* lastFullCapacity(const PackHealth& h) {
    // The newest full discharge, or the newest full charge without one.
    const CapacityPoint* last = nullptr;
    for (const CapacityPoint& c : h.capacity) {
        if (last == nullptr || c.kind == RowState::Discharge || last->kind != RowState::Discharge) {
            last = &c;
        }
    }
    return last;
}

QString packHealthText(const PackHealth& h) {
    const PackInfo& d = h.definition;
    const auto known = [](double v, int decimals) {
        return std::isnan(v) || v == 0 ? QStringLiteral("-") : fixed(v, decimals);
    };
    QString text =
        QStringLiteral("pack %1: %2, %3 cells, %4 mAh nominal; %5 recording%6\n")
            .arg(d.pack,
                 d.chemistry == PackChemistry::Unknown ? QStringLiteral("chemistry not known")
                                                       : chemistryName(d.chemistry),
                 d.cells > 0 ? QString::number(d.cells) : QStringLiteral("-"),
                 known(d.capacityMah, 0))
            .arg(h.recordings)
            .arg(h.recordings == 1 ? QString() : QStringLiteral("s"));
    text += QStringLiteral("%1  %2  %3  %4  %5\n")
                .arg(QStringLiteral("full phase"), -35)
                .arg(QStringLiteral("mAh"), 8)
                .arg(QStringLiteral("Wh"), 8)
                .arg(QStringLiteral("% nominal"), 9)
                .arg(QStringLiteral("% first"), 8);
    for (const CapacityPoint& c : h.capacity) {
        const QString date =
            c.start.isValid() ? isoTimeWithOffset(c.start) : QFileInfo(c.path).fileName();
        text += QStringLiteral("%1  %2  %3  %4  %5\n")
                    .arg(date + u' ' + kindWord(c.kind, false), -35)
                    .arg(fixed(c.capacityMah, 0), 8)
                    .arg(fixed(c.energyWh, 2), 8)
                    .arg(known(c.percentOfNominal, 1), 9)
                    .arg(fixed(c.percentOfFirst, 1), 8);
    }
    text += QStringLiteral("through the pack: %1 Ah, %2 equivalent full cycles\n")
                .arg(fixed(h.throughputAh, 2), known(h.equivalentCycles, 2));
    for (const ResistancePoint& r : h.resistance) {
        const QString date =
            r.start.isValid() ? isoTimeWithOffset(r.start) : QFileInfo(r.path).fileName();
        text += r.estimated()
                    ? QStringLiteral("resistance %1  %2 mOhm at %3 C%4\n")
                          .arg(date)
                          .arg(fixed(r.ohms * 1000, 1))
                          .arg(known(r.tempExtC, 0))
                          .arg(r.comparable ? QString() : QStringLiteral(" (not comparable)"))
                    : QStringLiteral("resistance %1  not estimated\n").arg(date);
        if (r.reported()) {
            // The cells as estimated beside what the charger reported.
            std::array<double, kMostCells> estimated{};
            estimated.fill(kHealthNaN);
            for (std::size_t k = 0; k < r.cellOhms.size(); ++k) {
                estimated[k] = r.cellOhms[k] * 1000;
            }
            text += QStringLiteral("  cells mOhm  estimated %1  reported by the charger %2\n")
                        .arg(cellList(estimated), cellList(r.reportedCellMilliohms));
        }
    }
    if (h.resistanceChangePercent) {
        text += QStringLiteral("resistance change at comparable temperature: %1%2 %\n")
                    .arg(*h.resistanceChangePercent >= 0 ? QStringLiteral("+") : QString())
                    .arg(fixed(*h.resistanceChangePercent, 1));
    }
    text += h.finding ? findingText(*h.finding) + u'\n' : QStringLiteral("no cell stands out\n");
    return text;
}

QJsonObject packHealthJson(const PackHealth& h) {
    const PackInfo& d = h.definition;
    const auto positive = [](double v) { return v > 0 ? QJsonValue(v) : QJsonValue(); };
    QJsonObject definition{
        {QStringLiteral("pack"), d.pack},
        {QStringLiteral("chemistry"), d.chemistry == PackChemistry::Unknown
                                          ? QJsonValue()
                                          : QJsonValue(chemistryName(d.chemistry))},
        {QStringLiteral("cells"), d.cells > 0 ? QJsonValue(d.cells) : QJsonValue()},
        {QStringLiteral("capacity_mah"), positive(d.capacityMah)},
        {QStringLiteral("cell_high_v"), positive(d.cellHighV)},
        {QStringLiteral("cell_low_v"), positive(d.cellLowV)},
    };
    QJsonArray capacity;
    for (const CapacityPoint& c : h.capacity) {
        capacity.append(QJsonObject{
            {QStringLiteral("file"), c.path},
            {QStringLiteral("start"),
             c.start.isValid() ? QJsonValue(isoTimeWithOffset(c.start)) : QJsonValue()},
            {QStringLiteral("kind"), kindWord(c.kind, false)},
            {QStringLiteral("capacity_mah"), numberOrNull(c.capacityMah)},
            {QStringLiteral("energy_wh"), numberOrNull(c.energyWh)},
            {QStringLiteral("percent_of_nominal"), numberOrNull(c.percentOfNominal, 2)},
            {QStringLiteral("percent_of_first"), numberOrNull(c.percentOfFirst, 2)},
        });
    }
    QJsonArray resistance;
    for (const ResistancePoint& r : h.resistance) {
        QJsonArray cells;
        for (const double ohms : r.cellOhms) {
            cells.append(numberOrNull(ohms, 5));
        }
        QJsonArray reported;
        for (const double milliohms : r.reportedCellMilliohms) {
            reported.append(numberOrNull(milliohms, 4));
        }
        while (!reported.isEmpty() && reported.last().isNull()) {
            reported.removeLast();
        }
        resistance.append(QJsonObject{
            {QStringLiteral("reported_cell_mohm"), reported},
            {QStringLiteral("file"), r.path},
            {QStringLiteral("start"),
             r.start.isValid() ? QJsonValue(isoTimeWithOffset(r.start)) : QJsonValue()},
            {QStringLiteral("ohms"), numberOrNull(r.ohms, 5)},
            {QStringLiteral("temp_ext_c"), numberOrNull(r.tempExtC, 1)},
            {QStringLiteral("comparable"), r.comparable},
            {QStringLiteral("cell_ohms"), cells},
        });
    }
    QJsonValue finding;
    if (h.finding) {
        finding = QJsonObject{
            {QStringLiteral("cell"), h.finding->cell},
            {QStringLiteral("kind"), kindWord(h.finding->kind, false)},
            {QStringLiteral("times"), h.finding->times},
            {QStringLiteral("of"), h.finding->of},
            {QStringLiteral("mv_from_mean"), numberOrNull(h.finding->mvFromMean, 1)},
            {QStringLiteral("text"), findingText(*h.finding)},
        };
    }
    return QJsonObject{
        {QStringLiteral("definition"), definition},
        {QStringLiteral("recordings"), h.recordings},
        {QStringLiteral("capacity"), capacity},
        {QStringLiteral("throughput_ah"), numberOrNull(h.throughputAh)},
        {QStringLiteral("equivalent_cycles"), numberOrNull(h.equivalentCycles)},
        {QStringLiteral("resistance"), resistance},
        {QStringLiteral("resistance_change_percent"),
         h.resistanceChangePercent ? numberOrNull(*h.resistanceChangePercent, 2) : QJsonValue()},
        {QStringLiteral("finding"), finding},
    };
}

}  // namespace cellwatch
