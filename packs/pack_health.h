// A pack's health over its recordings (those not left out of its history),
// oldest first:
//
//   capacity    each full charge and discharge phase (phases.h): one that
//               did not start part-way and came to at least half the
//               nominal capacity (without one: half the largest phase of its
//               kind), as a percentage of the nominal capacity and of the
//               pack's first full phase of the same kind;
//   cycles      equivalent full cycles: the Ah through the pack (every
//               charge and discharge phase's counted capacity) over twice
//               the nominal capacity;
//   resistance  each recording's median pack resistance (of the estimates
//               to be shown) with its temperature; comparable when within
//               kComparableKelvin of the first one's, and the change of the
//               last comparable one from the first in percent; beside it,
//               each cell's resistance as the charger reported it (the
//               median of the journal's phase lines, reported_resistance.h),
//               also for a recording without estimates;
//   weak cell   over the last (up to six) discharges with two cells or more
//               that lasted kFindingLeastSeconds at least,
//               the cell lowest at each one's end: when one cell was the
//               lowest in at least two of them and in two thirds or more,
//               and on average at least 10 mV under the row's mean there,
//               the finding names it ("cell 3: lowest at the end of 5 of
//               the last 6 discharges, 42 mV under the mean"). Without
//               discharges the same over charges, for the highest cell.
//
// What the pack is (chemistry, cells, nominal capacity, limits) is what its
// newest recordings' pack files tell (packDefinition).
#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <array>
#include <cmath>
#include <optional>
#include <vector>

#include "analysis/recording_analysis.h"
#include "packs/pack_history.h"

namespace cellwatch {

inline constexpr double kComparableKelvin = 5.0;
inline constexpr int kFindingRecordings = 6;
inline constexpr double kFindingLeastMv = 10.0;
inline constexpr double kFindingLeastSeconds = 30.0;

// A pack's recording with what its rows tell.
struct AnalyzedRecording {
    PackedRecording recording;
    RecordingAnalysis analysis;  // when recording.readable
};

struct CapacityPoint {
    QString path;
    QDateTime start;
    RowState kind = RowState::Charge;
    double capacityMah = 0;
    double energyWh = 0;
    double percentOfNominal = 0;  // NaN without a nominal capacity
    double percentOfFirst = 0;
};

struct ResistancePoint {
    QString path;
    QDateTime start;
    double ohms = 0;      // NaN without an estimate to be shown
    double tempExtC = 0;  // NaN when not known
    bool comparable = false;
    std::array<double, 12> cellOhms{};  // NaN where none
    // As the charger reported it, in milliohms; NaN where none.
    CellMilliohms reportedCellMilliohms{};

    bool estimated() const { return !std::isnan(ohms); }
    bool reported() const;
};

struct CellFinding {
    int cell = 0;                         // 1-based
    RowState kind = RowState::Discharge;  // lowest at discharges' ends, highest at charges'
    int times = 0;
    int of = 0;
    double mvFromMean = 0;  // its mean distance from the row's mean, > 0
};

struct PackHealth {
    PackInfo definition;
    int recordings = 0;
    std::vector<CapacityPoint> capacity;
    double throughputAh = 0;
    double equivalentCycles = 0;  // NaN without a nominal capacity
    std::vector<ResistancePoint> resistance;
    std::optional<double> resistanceChangePercent;
    std::optional<CellFinding> finding;
};

// The pack's definition: each of chemistry, cells, capacity and limits from
// the newest recording of pack `name` that tells it.
PackInfo packDefinition(const std::vector<PackedRecording>& recordings, const QString& name);
// The same from the pack files of a folder's journals (only those are read);
// none when no journal there is of pack `name`. Its note is left empty (a
// note is a recording's).
std::optional<PackInfo> packDefinitionOfFolder(const QString& folder, const QString& name);

// The health of pack `name` over `recordings` (any order; others, those
// left out and unreadable ones are passed over).
PackHealth packHealth(const std::vector<AnalyzedRecording>& recordings, const QString& name);

// The same for the journals of a folder: the pack's journals are read one
// at a time, each a few megabytes at a time (streamAndAnalyze), so what it
// costs grows with the phases and recordings shown, not with the rows.
PackHealth packHealthOfFolder(const QString& folder, const QString& name);

// "cell 3: lowest at the end of 5 of the last 6 discharges, 42 mV under the
// mean".
QString findingText(const CellFinding& finding);
// The last full discharge (else the last full charge) of the capacity
// points; none without one.
const CapacityPoint* lastFullCapacity(const PackHealth& health);
// Several lines: the definition, the capacity table, cycles, resistance and
// the finding.
QString packHealthText(const PackHealth& health);
// {definition: {chemistry, cells, capacity_mah, cell_high_v, cell_low_v},
//  capacity: [{file, start, kind, capacity_mah, energy_wh,
//  percent_of_nominal, percent_of_first}], throughput_ah,
//  equivalent_cycles, resistance: [{file, start, ohms, temp_ext_c,
//  comparable, cell_ohms, reported_cell_mohm}], resistance_change_percent,
//  finding: {cell,
//  kind, times, of, mv_from_mean, text}}; null for what is not known.
QJsonObject packHealthJson(const PackHealth& health);

}  // namespace cellwatch
