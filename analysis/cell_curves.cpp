#include "analysis/cell_curves.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <thread>

namespace cellwatch {
namespace {

constexpr double kCurveNaN = std::numeric_limits<double>::quiet_NaN();

bool presentCell(double v) {
    return !std::isnan(v) && v != 0;
}

}  // namespace

void CellCurves::clear() {
    xs_.clear();
    stretchStarts_.assign(1, 0);
    for (Curve& c : curves_) {
        c = Curve{};
    }
    cellCount_ = 0;
    kept_ = kTwelveCells;
    ++generation_;
}

void CellCurves::append(double days, std::span<const double> cells) {
    cells = cells.first(std::min<std::size_t>(cells.size(), kCells));
    const bool timed = !std::isnan(days);
    const double x = timed ? days : (xs_.empty() ? 0 : xs_.back());
    if (!xs_.empty() && x < xs_.back()) {
        stretchStarts_.push_back(xs_.size());
    }
    xs_.push_back(x);
    double sum = 0;
    int count = 0;
    for (std::size_t c = 0; c < cells.size(); ++c) {
        const double v = cells[c];
        if (timed && presentCell(v)) {
            sum += v;
            ++count;
            cellCount_ = std::max(cellCount_, static_cast<int>(c) + 1);
        }
    }
    const double mean = count > 0 ? sum / count : 0;
    // A cell past the twelfth for the first time: its curve gets the rows before.
    for (; kept_ < cellCount_; ++kept_) {
        Curve& curve = curves_[static_cast<std::size_t>(kept_)];
        curve.values.reserve(xs_.capacity());
        for (std::size_t row = 0; row + 1 < xs_.size(); ++row) {
            push(curve, static_cast<float>(kCurveNaN));
        }
    }
    for (int c = 0; c < kept_; ++c) {
        const auto index = static_cast<std::size_t>(c);
        const double v = index < cells.size() ? cells[index] : kCurveNaN;
        double shown = kCurveNaN;
        if (timed && presentCell(v)) {
            shown = mode_ == CellCurveMode::Volts ? v : (v - mean) * 1000.0;
        }
        push(curves_[static_cast<std::size_t>(c)], static_cast<float>(shown));
    }
}

void CellCurves::appendRows(RangeRows& rows) {
    const std::size_t count = rows.rowCount();
    xs_.reserve(xs_.size() + count);
    for (int c = 0; c < kept_; ++c) {
        Curve& curve = curves_[static_cast<std::size_t>(c)];
        curve.values.reserve(curve.values.size() + count);
    }
    for (std::size_t i = 0; i < count; ++i) {
        const RangeRowNumbers r = rows.numbers(i);
        appendRow(r.timed ? r.seconds / 86400.0 : kCurveNaN, r);
    }
}

void CellCurves::appendRow(double days, const RangeRowNumbers& row) {
    std::array<double, kCells> cells{};
    static_assert(std::tuple_size_v<decltype(row.cells)> +
                      std::tuple_size_v<decltype(row.moreCells)> ==
                  kCells);
    std::copy(row.cells.begin(), row.cells.end(), cells.begin());
    std::copy(row.moreCells.begin(), row.moreCells.end(), cells.begin() + row.cells.size());
    append(days, cells);
}

void CellCurves::push(Curve& curve, float value) {
    const auto i = static_cast<std::uint32_t>(curve.values.size());
    curve.values.push_back(value);
    // The row goes into its block of 8; a block that is whole goes into its
    // block of 64, and so on up. A block not yet whole is never read (a
    // view reads the rows or smaller blocks at its ends).
    Extreme low;
    Extreme high;
    if (!std::isnan(value)) {
        low = {i, value};
        high = low;
    }
    std::size_t index = i;  // of the entry being put in, at the level below
    for (std::size_t l = 0;; ++l) {
        if (l == curve.min.size()) {
            curve.min.emplace_back();
            curve.max.emplace_back();
        }
        const std::size_t j = index / kFan;
        if (j == curve.min[l].size()) {
            curve.min[l].emplace_back();
            curve.max[l].emplace_back();
        }
        Extreme& lo = curve.min[l][j];
        Extreme& hi = curve.max[l][j];
        if (low.row != kNone && (lo.row == kNone || low.value < lo.value)) {
            lo = low;
        }
        if (high.row != kNone && (hi.row == kNone || high.value > hi.value)) {
            hi = high;
        }
        if ((index + 1) % kFan != 0) {
            break;  // the block is not whole yet
        }
        low = lo;
        high = hi;
        index = j;
    }
}

double CellCurves::value(int cell, std::size_t row) const {
    if (cell < 0 || cell >= kept_) {
        return kCurveNaN;
    }
    return static_cast<double>(curves_[static_cast<std::size_t>(cell)].values[row]);
}

std::pair<std::uint32_t, std::uint32_t> CellCurves::extremes(const Curve& curve, std::size_t begin,
                                                             std::size_t end) const {
    Extreme lo;
    Extreme hi;
    const auto take = [&](const Extreme& low, const Extreme& high) {
        if (low.row != kNone && (lo.row == kNone || low.value < lo.value)) {
            lo = low;
        }
        if (high.row != kNone && (hi.row == kNone || high.value > hi.value)) {
            hi = high;
        }
    };
    const auto takeAt = [&](std::size_t level, std::size_t j) {
        if (level == 0) {
            const float v = curve.values[j];
            if (!std::isnan(v)) {
                const Extreme row{static_cast<std::uint32_t>(j), v};
                take(row, row);
            }
        } else {
            take(curve.min[level - 1][j], curve.max[level - 1][j]);
        }
    };
    // level 0: the rows; level l: the blocks of curve.min[l - 1].
    std::size_t level = 0;
    while (begin < end) {
        if (end - begin < 2 * kFan || level >= curve.min.size()) {
            for (std::size_t j = begin; j < end; ++j) {
                takeAt(level, j);
            }
            break;
        }
        while (begin % kFan != 0) {
            takeAt(level, begin++);
        }
        while (end % kFan != 0) {
            takeAt(level, --end);
        }
        begin /= kFan;
        end /= kFan;
        ++level;
    }
    return {lo.row, hi.row};
}

CellSpanValues CellCurves::span(int cell, std::size_t first, std::size_t last) const {
    CellSpanValues s;
    if (xs_.empty() || cell < 0 || cell >= kept_) {
        return s;
    }
    if (first > last) {
        std::swap(first, last);
    }
    last = std::min(last, xs_.size() - 1);
    if (first > last) {
        return s;
    }
    const Curve& curve = curves_[static_cast<std::size_t>(cell)];
    const auto [lo, hi] = extremes(curve, first, last + 1);
    if (lo == kNone) {
        return s;
    }
    s.present = true;
    s.min = static_cast<double>(curve.values[lo]);
    s.max = static_cast<double>(curve.values[hi]);
    for (std::size_t row = last + 1; row-- > first;) {
        if (!std::isnan(curve.values[row])) {
            s.end = static_cast<double>(curve.values[row]);
            break;
        }
    }
    return s;
}

std::size_t CellCurves::stretchEnd(std::size_t s) const {
    return s + 1 < stretchStarts_.size() ? stretchStarts_[s + 1] : xs_.size();
}

const CellCurves::View& CellCurves::viewOf(double lower, double upper, int columns) const {
    View& v = view_;
    if (v.lower == lower && v.upper == upper && v.columns == columns && v.rows == xs_.size() &&
        v.stretches == stretchStarts_.size() && v.generation == generation_) {
        return v;
    }
    v = View{lower, upper, columns, xs_.size(), stretchStarts_.size(), generation_, {}, {}};
    const double width = (upper - lower) / columns;
    for (std::size_t s = 0; s < stretchStarts_.size(); ++s) {
        const auto begin = xs_.begin() + static_cast<std::ptrdiff_t>(stretchStarts_[s]);
        const auto end = xs_.begin() + static_cast<std::ptrdiff_t>(stretchEnd(s));
        const auto inFirst = std::lower_bound(begin, end, lower);
        const auto inEnd = std::upper_bound(inFirst, end, upper);
        const bool inside = inFirst != inEnd;
        const bool across = inFirst != begin && inEnd != end;
        if (!inside && !across) {
            continue;
        }
        const auto rowOf = [&](std::vector<double>::const_iterator it) {
            return static_cast<std::uint32_t>(it - xs_.begin());
        };
        StretchView sv;
        if (inFirst != begin) {
            sv.before = rowOf(inFirst) - 1;
        }
        auto from = inFirst;
        while (from != inEnd) {
            const double offset = std::floor((*from - lower) / width);
            const double bound = lower + (offset + 1) * width;
            auto to = offset + 1 >= columns ? inEnd : std::lower_bound(from, inEnd, bound);
            if (to == from) {
                ++to;
            }
            sv.columns.emplace_back(rowOf(from), rowOf(to));
            from = to;
        }
        if (inEnd != end) {
            sv.after = rowOf(inEnd);
        }
        v.stretchViews.push_back(std::move(sv));
    }
    return v;
}

void CellCurves::envelope(int cell, double lower, double upper, int columns,
                          std::vector<CellLine>& lines) const {
    lines.clear();
    if (xs_.empty() || cell < 0 || cell >= kCells || !(upper > lower)) {
        return;
    }
    viewOf(lower, upper, std::max(columns, 1));
    auto& made = view_.lines[static_cast<std::size_t>(cell)];
    if (!made) {
        makeAllLines();
    }
    lines = *made;
}

void CellCurves::makeAllLines() const {
    // A redraw asks for every cell in turn: they are made together, the
    // upper half on a thread of its own when the view holds enough rows for
    // it to pay (a million rows zoomed out: about 1 ms of 2 saved).
    std::size_t rows = 0;
    for (const StretchView& sv : view_.stretchViews) {
        if (!sv.columns.empty()) {
            rows += sv.columns.back().second - sv.columns.front().first;
        }
    }
    const int cells = std::max(cellCount_, 1);
    const auto make = [this](int from, int to) {
        for (int c = from; c < to; ++c) {
            auto& lines = view_.lines[static_cast<std::size_t>(c)];
            lines.emplace();
            makeLines(c, view_, *lines);
        }
    };
    const int half = cells / 2;
    if (rows < kThreadedViewRows || half == 0 || std::thread::hardware_concurrency() < 2) {
        make(0, kCells);
        return;
    }
    std::thread upper(make, half, cells);
    make(0, half);
    upper.join();
    make(cells, kCells);  // cells no row has: no lines
}

void CellCurves::makeLines(int cell, const View& view, std::vector<CellLine>& lines) const {
    if (cell >= kept_) {
        return;  // no row has it
    }
    const Curve& curve = curves_[static_cast<std::size_t>(cell)];
    for (const StretchView& sv : view.stretchViews) {
        CellLine line;
        line.reserve(4 * sv.columns.size() + 2);
        const auto addRow = [&](std::uint32_t row) {
            if (row != kNone && !std::isnan(curve.values[row])) {
                line.push_back(CellPoint{xs_[row], static_cast<double>(curve.values[row])});
            }
        };
        addRow(sv.before);
        for (std::size_t k = 0; k < sv.columns.size(); ++k) {
            const auto [a, b] = sv.columns[k];
            const auto [lo, hi] = extremes(curve, a, b);
            if (lo == kNone) {
                continue;
            }
            // A column's stroke: its smallest and largest value in row order
            // (the line from one column's to the next's joins them); the
            // first and the last column also keep their first and last row,
            // so the line starts and ends where the rows do.
            std::array<std::uint32_t, 4> rows{lo, hi, kNone, kNone};
            if (k == 0) {
                rows[2] = a;
            }
            if (k + 1 == sv.columns.size()) {
                rows[3] = b - 1;
            }
            std::sort(rows.begin(), rows.end());
            std::uint32_t previous = kNone;
            for (const std::uint32_t row : rows) {
                if (row != previous) {
                    addRow(row);
                }
                previous = row;
            }
        }
        addRow(sv.after);
        if (!line.empty()) {
            lines.push_back(std::move(line));
        }
    }
}

}  // namespace cellwatch
