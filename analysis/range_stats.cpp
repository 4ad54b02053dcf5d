#include "analysis/range_stats.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/phases.h"
#include "analysis/recording_summary.h"
#include "protocol/reading_format.h"
#include "protocol/table_fields.h"
#include "readout/chart_surface.h"
#include "readout/cursor_search.h"
#include "readout/row_store.h"

namespace cellwatch {
namespace {

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

// The five quantities of a row.
std::array<double, kRangeQuantityCount> quantities(const RangeRowNumbers& row) {
    return {row.voltage, std::fabs(row.current), row.extTemperature, row.intTemperature,
            cellSpreadV(row.cells)};
}

RangeRowNumbers numbersOfTexts(const std::array<QByteArray, kRowFieldCount>& bytes) {
    RowFields fields;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        fields[i] =
            std::string_view(bytes[i].constData(), static_cast<std::size_t>(bytes[i].size()));
    }
    return rangeNumbers(fields);
}

}  // namespace

RowState rowStateOf(std::string_view stateText) {
    return rowStateOf(ReadingFormat::stateOf(stateText));
}

RowState rowStateOf(ChargeState state) {
    switch (state) {
        case ChargeState::Charging:
            return RowState::Charge;
        case ChargeState::Discharging:
            return RowState::Discharge;
        default:
            return RowState::Rest;
    }
}

RangeRowNumbers rangeNumbers(const RowNumbers& row) {
    RangeRowNumbers n;
    n.state = rowStateOf(row.state);
    n.timed = row.timed;
    n.seconds = row.seconds;
    n.extTemperature = row.field[kFieldExtTemperature];
    n.intTemperature = row.field[kFieldIntTemperature];
    n.voltage = row.field[kFieldVoltage];
    n.current = row.field[kFieldCurrent];
    n.capacity = row.field[kFieldCapacity];
    for (std::size_t c = 0; c < n.cells.size(); ++c) {
        n.cells[c] = row.field[kFieldCell1 + c];
    }
    return n;
}

RangeRowNumbers rangeNumbers(const RowFields& row) {
    RowNumbers numbers;
    RowStore::numbersOfTexts(row, numbers);
    return rangeNumbers(numbers);
}

std::size_t TableRangeRows::rowCount() const {
    return table_.dataRowCount();
}

RangeRowNumbers TableRangeRows::numbers(std::size_t index) {
    RowNumbers numbers;
    table_.numbers(static_cast<int>(index) + 1, numbers);
    RangeRowNumbers n = rangeNumbers(numbers);
    const std::size_t rows = table_.dataRowCount();
    if (!wide_ && rows != lookedAt_ && rows > 0) {
        // A charger's readings have the same cells throughout.
        lookedAt_ = rows;
        wide_ = table_.reading(1).cellCount > kCellCount ||
                table_.reading(static_cast<int>(rows)).cellCount > kCellCount;
    }
    if (wide_) {
        const Reading r = table_.reading(static_cast<int>(index) + 1);
        for (int c = kCellCount; c < std::min(r.cellCount, kMostCells); ++c) {
            n.moreCells[static_cast<std::size_t>(c - kCellCount)] =
                r.cells[static_cast<std::size_t>(c)].toDouble();
        }
    }
    return n;
}

RangeRowNumbers TextRangeRows::numbers(std::size_t index) {
    std::array<QByteArray, kRowFieldCount> bytes;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = rows_[index].value(static_cast<qsizetype>(i)).toUtf8();
    }
    return numbersOfTexts(bytes);
}

std::optional<std::size_t> rangeRowAt(const ChartSurface& chart, double x) {
    const std::size_t count = chart.pointCount(0);
    if (count == 0) {
        return std::nullopt;
    }
    if (const auto found = findPointAtOrBefore(chart, 0, x)) {
        return found;
    }
    return x < chart.pointX(0, 0) ? 0 : count - 1;
}

std::vector<double> rowSeconds(RangeRows& rows) {
    std::vector<double> placed(rows.rowCount());
    double last = 0;
    for (std::size_t i = 0; i < placed.size(); ++i) {
        const RangeRowNumbers row = rows.numbers(i);
        if (row.timed && !std::isnan(row.seconds)) {
            last = row.seconds;
        }
        placed[i] = last;
    }
    return placed;
}

std::optional<std::size_t> rangeRowAtSeconds(const std::vector<double>& placed, double seconds) {
    if (placed.empty()) {
        return std::nullopt;
    }
    std::vector<std::size_t> stretchStarts;
    for (std::size_t i = 1; i < placed.size(); ++i) {
        if (placed[i] < placed[i - 1]) {
            stretchStarts.push_back(i);
        }
    }
    if (const auto found = findPointAtOrBefore(
            placed.size(), stretchStarts, [&placed](std::size_t i) { return placed[i]; },
            seconds)) {
        return found;
    }
    return seconds < placed.front() ? 0 : placed.size() - 1;
}

std::optional<RangeStatistics> rangeStatistics(RangeRows& rows, std::size_t rowA,
                                               std::size_t rowB) {
    const std::size_t count = rows.rowCount();
    if (rowA >= count || rowB >= count) {
        return std::nullopt;
    }
    RangeStatistics s;
    s.rowA = rowA;
    s.rowB = rowB;
    const RangeRowNumbers a = rows.numbers(rowA);
    const RangeRowNumbers b = rows.numbers(rowB);
    s.secondsA = a.timed ? a.seconds : kNoValue;
    s.secondsB = b.timed ? b.seconds : kNoValue;
    s.deltaMah = b.capacity - a.capacity;
    const auto qa = quantities(a);
    const auto qb = quantities(b);
    for (std::size_t i = 0; i < kRangeQuantityCount; ++i) {
        s.values[i].atA = qa[i];
        s.values[i].atB = qb[i];
    }

    std::array<double, kRangeQuantityCount> sums{};
    std::array<std::size_t, kRangeQuantityCount> counted{};
    double lastSeconds = 0;
    double lastPower = kNoValue;
    double forwardSeconds = 0;  // the steps forward, as the summary's duration
    const std::size_t first = std::min(rowA, rowB);
    const std::size_t last = std::max(rowA, rowB);
    PhaseCutter phases;
    for (std::size_t index = first; index <= last; ++index) {
        const RangeRowNumbers row = rows.numbers(index);
        phases.add(index, row);
        if (!row.timed) {
            continue;
        }
        const double power = rowPowerW(row.voltage, std::fabs(row.current));
        if (s.rows > 0) {
            s.energyWh += energyStepWh(lastSeconds, lastPower, row.seconds, power);
            forwardSeconds += std::max(0.0, row.seconds - lastSeconds);
        }
        lastSeconds = row.seconds;
        lastPower = power;
        ++s.rows;
        const auto q = quantities(row);
        for (std::size_t i = 0; i < q.size(); ++i) {
            if (std::isnan(q[i])) {
                continue;
            }
            RangeValues& v = s.values[i];
            v.min = counted[i] == 0 ? q[i] : std::min(v.min, q[i]);
            v.max = counted[i] == 0 ? q[i] : std::max(v.max, q[i]);
            sums[i] += q[i];
            ++counted[i];
        }
    }
    const RecordingPhases cut = phases.result();
    s.acrossPhases = cut.phases.size() > 1;
    s.chargedMah = cut.totals.chargeMah;
    s.chargedWh = cut.totals.chargeWh;
    s.dischargedMah = cut.totals.dischargeMah;
    s.dischargedWh = cut.totals.dischargeWh;
    // t(B) - t(A) in steps forward: a restart's fall back adds nothing.
    s.deltaSeconds = std::isnan(s.secondsA) || std::isnan(s.secondsB) ? kNoValue
                     : rowB >= rowA                                   ? forwardSeconds
                                                                      : -forwardSeconds;
    for (std::size_t i = 0; i < kRangeQuantityCount; ++i) {
        RangeValues& v = s.values[i];
        if (counted[i] == 0) {
            v.min = v.max = v.mean = kNoValue;
        } else {
            v.mean = sums[i] / static_cast<double>(counted[i]);
        }
    }
    return s;
}

}  // namespace cellwatch
