#include "analysis/cell_curves.h"

#include <algorithm>
#include <cmath>
#include <limits>

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
}

void CellCurves::append(double days, const std::array<double, kCells>& cells) {
    const bool timed = !std::isnan(days);
    const double x = timed ? days : (xs_.empty() ? 0 : xs_.back());
    if (!xs_.empty() && x < xs_.back()) {
        stretchStarts_.push_back(xs_.size());
    }
    xs_.push_back(x);
    double sum = 0;
    int count = 0;
    for (int c = 0; c < kCells; ++c) {
        const double v = cells[static_cast<std::size_t>(c)];
        if (timed && presentCell(v)) {
            sum += v;
            ++count;
            cellCount_ = std::max(cellCount_, c + 1);
        }
    }
    const double mean = count > 0 ? sum / count : 0;
    for (int c = 0; c < kCells; ++c) {
        const double v = cells[static_cast<std::size_t>(c)];
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
    for (Curve& c : curves_) {
        c.values.reserve(c.values.size() + count);
    }
    for (std::size_t i = 0; i < count; ++i) {
        const RangeRowNumbers r = rows.numbers(i);
        append(r.timed ? r.seconds / 86400.0 : kCurveNaN, r.cells);
    }
}

void CellCurves::push(Curve& curve, float value) {
    const auto i = static_cast<std::uint32_t>(curve.values.size());
    curve.values.push_back(value);
    const bool valued = !std::isnan(value);
    for (std::size_t l = 0;; ++l) {
        const std::size_t below = std::size_t{1} << (3 * l);  // rows per entry beneath
        if (i < below) {
            break;
        }
        if (l == curve.min.size()) {
            // Entry 0 covers what the level beneath holds whole so far.
            std::uint32_t first = kNone;
            std::uint32_t firstMax = kNone;
            if (l == 0) {
                first = std::isnan(curve.values[0]) ? kNone : 0;
                firstMax = first;
            } else {
                first = curve.min[l - 1][0];
                firstMax = curve.max[l - 1][0];
            }
            curve.min.push_back({first});
            curve.max.push_back({firstMax});
        }
        const std::size_t j = i >> (3 * (l + 1));
        if (j == curve.min[l].size()) {
            curve.min[l].push_back(kNone);
            curve.max[l].push_back(kNone);
        }
        if (valued) {
            std::uint32_t& lo = curve.min[l][j];
            std::uint32_t& hi = curve.max[l][j];
            if (lo == kNone || value < curve.values[lo]) {
                lo = i;
            }
            if (hi == kNone || value > curve.values[hi]) {
                hi = i;
            }
        }
    }
}

double CellCurves::value(int cell, std::size_t row) const {
    return static_cast<double>(curves_[static_cast<std::size_t>(cell)].values[row]);
}

std::pair<std::uint32_t, std::uint32_t> CellCurves::extremes(const Curve& curve, std::size_t begin,
                                                             std::size_t end) const {
    std::uint32_t lo = kNone;
    std::uint32_t hi = kNone;
    const auto take = [&](std::uint32_t minRow, std::uint32_t maxRow) {
        if (minRow != kNone && (lo == kNone || curve.values[minRow] < curve.values[lo])) {
            lo = minRow;
        }
        if (maxRow != kNone && (hi == kNone || curve.values[maxRow] > curve.values[hi])) {
            hi = maxRow;
        }
    };
    const auto takeAt = [&](std::size_t level, std::size_t j) {
        if (level == 0) {
            const auto row = static_cast<std::uint32_t>(j);
            if (!std::isnan(curve.values[row])) {
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
    return {lo, hi};
}

CellSpanValues CellCurves::span(int cell, std::size_t first, std::size_t last) const {
    CellSpanValues s;
    if (xs_.empty() || cell < 0 || cell >= kCells) {
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

void CellCurves::envelope(int cell, double lower, double upper, int columns,
                          std::vector<CellLine>& lines) const {
    lines.clear();
    if (xs_.empty() || cell < 0 || cell >= kCells || !(upper > lower)) {
        return;
    }
    columns = std::max(columns, 1);
    const Curve& curve = curves_[static_cast<std::size_t>(cell)];
    const double width = (upper - lower) / columns;
    const auto pointAt = [&](std::size_t row) {
        return CellPoint{xs_[row], static_cast<double>(curve.values[row])};
    };
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
        CellLine line;
        const auto addRow = [&](std::size_t row) {
            if (!std::isnan(curve.values[row])) {
                line.push_back(pointAt(row));
            }
        };
        if (inFirst != begin) {
            addRow(static_cast<std::size_t>(inFirst - xs_.begin()) - 1);
        }
        auto from = inFirst;
        while (from != inEnd) {
            const double offset = std::floor((*from - lower) / width);
            const double bound = lower + (offset + 1) * width;
            const auto to = offset + 1 >= columns ? inEnd : std::lower_bound(from, inEnd, bound);
            const auto a = static_cast<std::size_t>(from - xs_.begin());
            const auto b = static_cast<std::size_t>(to - xs_.begin());
            const auto [lo, hi] = extremes(curve, a, b);
            std::array<std::uint32_t, 4> rows{static_cast<std::uint32_t>(a), lo, hi,
                                              static_cast<std::uint32_t>(b - 1)};
            std::sort(rows.begin(), rows.end());
            std::uint32_t previous = kNone;
            for (const std::uint32_t row : rows) {
                if (row != kNone && row != previous) {
                    addRow(row);
                }
                previous = row;
            }
            from = to == from ? to + 1 : to;
        }
        if (inEnd != end) {
            addRow(static_cast<std::size_t>(inEnd - xs_.begin()));
        }
        if (!line.empty()) {
            lines.push_back(std::move(line));
        }
    }
}

}  // namespace cellwatch
