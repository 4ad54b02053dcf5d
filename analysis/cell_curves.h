// The cells of a recording as curves: each cell's voltage (or its
// difference from the mean of the row's cells, in mV) over the chart's time
// axis, with what a screen can show of them.
//
// A curve with a million points drawn 1,200 pixels wide shows, in each pixel
// column, a vertical stroke from the column's smallest to its largest value,
// joined to its neighbours. envelope() gives those two points per column in
// row order (with their real X; the first and last column also their first
// and last point, so the line starts and ends where the rows do), and the
// nearest point left and right of the visible range, so a line through them
// covers the pixels the line through every point would. Smallest and largest over a
// span of rows come from a pyramid of block minima and maxima (blocks of 8,
// 64, 512 ... rows, kept up to date as rows are appended), so a view costs
// O(columns x log rows) whatever the zoom: 1,000,000 rows of 12 cells are
// viewed as quickly as 10,000.
//
// X is the chart's: the elapsed time in days. A row without an elapsed time
// stands where the row before it does and has no values. Where X falls back
// (the recording's origin moved), a new stretch starts: each stretch is a
// line of its own, as the chart's curves have it.
//
// A cell is absent in a row when its voltage is 0 or no number; it then
// takes no part in the row's mean, and its point is left out.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "analysis/range_stats.h"
#include "protocol/reading.h"

namespace cellwatch {

enum class CellCurveMode {
    Volts,         // each cell's voltage
    DifferenceMv,  // (cell - mean of the row's present cells) x 1000
};

struct CellPoint {
    double x;  // days
    double y;  // V or mV, as the mode has it
};
using CellLine = std::vector<CellPoint>;

// The smallest, largest and last value of a cell over a span of rows.
struct CellSpanValues {
    bool present = false;  // false: no row of the span has the cell
    double min = 0;
    double max = 0;
    double end = 0;  // the last row of the span that has the cell
};

class CellCurves {
public:
    // Cells 13 to 16 cost nothing until a row has one of them.
    static constexpr int kCells = kMostCells;

    explicit CellCurves(CellCurveMode mode = CellCurveMode::Volts) : mode_(mode) {}

    CellCurveMode mode() const { return mode_; }
    void clear();

    // One row: its X (days; NaN: where the row before stands, without values)
    // and its cell voltages (up to kCells; those not given are absent).
    void append(double days, std::span<const double> cells);
    // The same for a row's numbers: all its cells, twelve and more.
    void appendRow(double days, const RangeRowNumbers& row);
    // Every row of `rows`, X from their elapsed seconds.
    void appendRows(RangeRows& rows);

    std::size_t size() const { return xs_.size(); }
    // Cells 1..cellCount() have appeared in some row (cell index + 1 of the
    // highest present one).
    int cellCount() const { return cellCount_; }
    double x(std::size_t row) const { return xs_[row]; }
    // A cell's value in a row, as the mode has it; NaN when absent.
    double value(int cell, std::size_t row) const;

    // Smallest, largest and end of a cell over rows first..last (inclusive,
    // in either order; clipped to the rows there are).
    CellSpanValues span(int cell, std::size_t first, std::size_t last) const;

    // The lines of a cell (0-based) to draw for the X range [lower, upper]
    // split into `columns` pixel columns: one per stretch that shows in the
    // range, oldest first; each, in X order, the nearest point left of the
    // range, per column its smallest and largest point (the first column
    // also its first, the last its last; each once, in row order), then the
    // nearest point right of the range.
    void envelope(int cell, double lower, double upper, int columns,
                  std::vector<CellLine>& lines) const;

private:
    static constexpr std::uint32_t kNone = UINT32_MAX;
    static constexpr int kTwelveCells = 12;
    static constexpr std::size_t kFan = 8;

    // A block's smallest or largest value and its row (row kNone: the
    // block has no value), the value kept beside the row so a view reads
    // the pyramid without going back to the rows.
    struct Extreme {
        std::uint32_t row = kNone;
        float value = 0;
    };
    struct Curve {
        std::vector<float> values;
        // min[l][j], max[l][j]: the smallest and largest value of block j
        // of 8^(l+1) rows.
        std::vector<std::vector<Extreme>> min;
        std::vector<std::vector<Extreme>> max;
    };

    void push(Curve& curve, float value);
    // The rows of the smallest and largest value among rows [begin, end).
    std::pair<std::uint32_t, std::uint32_t> extremes(const Curve& curve, std::size_t begin,
                                                     std::size_t end) const;
    // The stretch [begin, end) rows of every stretch, oldest first.
    std::size_t stretchEnd(std::size_t s) const;

    // The rows of a view, the same for every cell: per stretch that shows,
    // the row left of the range (kNone: none), each column's rows [begin,
    // end), and the row right of it. Kept for the last view asked, so the
    // twelve cells of one redraw search the time axis once, and a redraw
    // of the same view (the cross line moving) makes no line again.
    struct StretchView {
        std::uint32_t before = kNone;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> columns;
        std::uint32_t after = kNone;
    };
    struct View {
        double lower = 0;
        double upper = 0;
        int columns = 0;
        std::size_t rows = 0;
        std::size_t stretches = 0;
        std::uint64_t generation = 0;
        std::vector<StretchView> stretchViews;
        // Each cell's lines once made for this view.
        std::array<std::optional<std::vector<CellLine>>, kCells> lines;
    };
    const View& viewOf(double lower, double upper, int columns) const;
    void makeLines(int cell, const View& view, std::vector<CellLine>& lines) const;
    // Every cell's lines for view_.
    void makeAllLines() const;
    static constexpr std::size_t kThreadedViewRows = 100'000;

    CellCurveMode mode_;
    std::vector<double> xs_;
    std::vector<std::size_t> stretchStarts_{0};
    std::array<Curve, kCells> curves_;
    // Curves 0..kept_-1 have a value for every row; those after are absent
    // from every row so far (they are filled in when a row has one).
    int kept_ = kTwelveCells;
    int cellCount_ = 0;
    std::uint64_t generation_ = 0;  // counts clear()s
    mutable View view_;
};

}  // namespace cellwatch
