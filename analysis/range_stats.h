// The statistics of the rows between two range cursors A and B.
//
// A cursor stands at an elapsed time (the chart's X, in days); its row is
// the one the cross line finds there (the last point at or before it, see
// readout/cursor_search.h), the first row for a cursor left of every point and
// the last row for one right of every point. The span is every row from the
// lower of the two rows to the higher, so A after B gives the same span and
// A = B a span of one row.
//
// Over the span, by the rules of the recording's summary (recording_summary.h):
//   Δt      t(B) - t(A) in seconds, the sum of the steps forward between
//           consecutive rows, as the summary's duration takes them (across a
//           restart, where the elapsed time falls back, that step adds
//           nothing, as it adds no energy);
//   ΔmAh    mAh(B) - mAh(A);
//   Wh      the summary's trapezoid sum over consecutive rows of the span;
//   charged and discharged
//           mAh and Wh of the span's charge and discharge phases, each from
//           the counter's own rises as the phases have them (phases.h): a
//           span across phases (a charge, then a discharge) is read by these,
//           since the counter starts again at a turn and ΔmAh means nothing;
//   values  for voltage, current (its size, as the summary takes it),
//           external and internal temperature and the cell spread (highest
//           - lowest non-zero cell of a row, 0 with fewer than two): the
//           value at A and at B, and the minimum, maximum and mean over the
//           span. A value that is absent (not a number) is left out; one
//           absent at A or B reads NaN.
// Rows without an elapsed time (empty rows) are not counted, as in the
// summary. With A at the first row and B at the last, ΔmAh (for a recording
// starting at 0 mAh), Wh, the maxima and the means are the summary's.
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "protocol/reading.h"
#include "readout/recording_file.h"

namespace cellwatch {

class ChartSurface;
class RowStore;
struct RowNumbers;

// What a row's state text says the charger was doing: "+CHG+" charging,
// "-DSC-" discharging, anything else (idle, a finished charge, a text the
// program does not know) resting.
enum class RowState { Rest, Charge, Discharge };

RowState rowStateOf(std::string_view stateText);
RowState rowStateOf(ChargeState state);

// The numbers of a row that the statistics take, NaN where absent.
struct RangeRowNumbers {
    bool timed = false;  // false: the row has no elapsed time (an empty row)
    RowState state = RowState::Rest;
    double seconds = 0;
    double extTemperature = 0;
    double intTemperature = 0;
    double voltage = 0;
    double current = 0;
    double capacity = 0;
    std::array<double, 12> cells{};
    std::array<double, kMostCells - 12> moreCells{};  // cells 13 to 16, 0 when absent
};

// A row's numbers from its 22 texts, read as the summary reads them.
RangeRowNumbers rangeNumbers(const RowFields& row);
RangeRowNumbers rangeNumbers(const RowNumbers& row);

// The rows of a recording, by data row index (0: the first data row).
class RangeRows {
public:
    virtual ~RangeRows() = default;
    virtual std::size_t rowCount() const = 0;
    virtual RangeRowNumbers numbers(std::size_t index) = 0;
};

// The rows of a data table (data row i is grid row i + 1), read as numbers
// (a row the table keeps as its texts: through them).
// Cells past the twelfth are read where the table has them.
class TableRangeRows final : public RangeRows {
public:
    explicit TableRangeRows(const RowStore& table) : table_(table) {}
    std::size_t rowCount() const override;
    RangeRowNumbers numbers(std::size_t index) override;

private:
    const RowStore& table_;
    // Whether some row has more than twelve cells, as far as looked: the
    // first and the last row each time the number of rows changed.
    bool wide_ = false;
    std::size_t lookedAt_ = 0;
};

// Rows given as their 22 texts.
class TextRangeRows final : public RangeRows {
public:
    explicit TextRangeRows(std::vector<QStringList> rows) : rows_(std::move(rows)) {}
    std::size_t rowCount() const override { return rows_.size(); }
    RangeRowNumbers numbers(std::size_t index) override;

private:
    std::vector<QStringList> rows_;
};

enum class RangeQuantity { Voltage, Current, ExtTemperature, IntTemperature, CellSpread };
inline constexpr std::size_t kRangeQuantityCount = 5;

struct RangeValues {
    double atA = 0;
    double atB = 0;
    double min = 0;
    double max = 0;
    double mean = 0;
};

struct RangeStatistics {
    std::size_t rowA = 0;  // data rows of the cursors
    std::size_t rowB = 0;
    std::size_t rows = 0;  // rows counted in the span
    double secondsA = 0;   // elapsed time at A and at B
    double secondsB = 0;
    double deltaSeconds = 0;
    double deltaMah = 0;
    double energyWh = 0;
    // More than one phase (charge, discharge, rest) in the span.
    bool acrossPhases = false;
    double chargedMah = 0;
    double chargedWh = 0;
    double dischargedMah = 0;
    double dischargedWh = 0;
    std::array<RangeValues, kRangeQuantityCount> values{};

    const RangeValues& of(RangeQuantity q) const { return values[static_cast<std::size_t>(q)]; }
};

// The row of a cursor at X (days) on the chart's series 0; nothing when the
// chart has no points.
std::optional<std::size_t> rangeRowAt(const ChartSurface& chart, double x);

// The elapsed seconds of every row, as the chart places them: a row without
// an elapsed time stands where the row before it does (0 for the first).
std::vector<double> rowSeconds(RangeRows& rows);

// The row of a cursor at `seconds` among rows placed at `placed`
// (rowSeconds), found as rangeRowAt finds it on the chart; nothing without
// rows. For a recording compared with the one on the chart: the same
// elapsed time in each.
std::optional<std::size_t> rangeRowAtSeconds(const std::vector<double>& placed, double seconds);

// The statistics between two rows; nothing when either row is out of range.
std::optional<RangeStatistics> rangeStatistics(RangeRows& rows, std::size_t rowA, std::size_t rowB);

}  // namespace cellwatch
