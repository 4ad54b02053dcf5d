#include "chart/series_envelope.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace cellwatch {

void SeriesEnvelope::append(double x, double y) {
    const auto index = static_cast<std::uint32_t>(xs_.size());
    if (xs_.empty() || x < xs_.back()) {
        stretches_.push_back(Stretch{index, kNone, kNone, {}});
    }
    xs_.push_back(x);
    ys_.push_back(y);
    if (columnCount_ > 0) {
        place(stretches_.back(), index);
    }
}

void SeriesEnvelope::clear() {
    xs_.clear();
    ys_.clear();
    stretches_.clear();
    xs_.shrink_to_fit();
    ys_.shrink_to_fit();
    stretches_.shrink_to_fit();
    rebuild();
}

void SeriesEnvelope::truncate(std::size_t count) {
    if (count >= xs_.size()) {
        return;
    }
    xs_.resize(count);
    ys_.resize(count);
    while (!stretches_.empty() && stretches_.back().begin >= count) {
        stretches_.pop_back();
    }
    rebuild();
}

std::size_t SeriesEnvelope::stretchEnd(std::size_t s) const {
    return s + 1 < stretches_.size() ? stretches_[s + 1].begin : xs_.size();
}

double SeriesEnvelope::minX() const {
    double min = 0;
    for (std::size_t s = 0; s < stretches_.size(); ++s) {
        const double first = xs_[stretches_[s].begin];
        min = s == 0 ? first : std::min(min, first);
    }
    return min;
}

double SeriesEnvelope::maxX() const {
    double max = 0;
    for (std::size_t s = 0; s < stretches_.size(); ++s) {
        const double last = xs_[stretchEnd(s) - 1];
        max = s == 0 ? last : std::max(max, last);
    }
    return max;
}

std::vector<std::size_t> SeriesEnvelope::stretchStarts() const {
    std::vector<std::size_t> starts;
    for (std::size_t s = 1; s < stretches_.size(); ++s) {
        starts.push_back(stretches_[s].begin);
    }
    return starts;
}

bool SeriesEnvelope::setView(double lower, double upper, int columns) {
    columns = std::max(columns, 1);
    if (lower == lower_ && upper == upper_ && columns == columnCount_) {
        return false;
    }
    lower_ = lower;
    upper_ = upper;
    columnCount_ = columns;
    rebuild();
    return true;
}

void SeriesEnvelope::rebuild() {
    changed_ = true;
    for (Stretch& stretch : stretches_) {
        stretch.before = kNone;
        stretch.after = kNone;
        stretch.columns.clear();
    }
    if (columnCount_ <= 0) {
        return;
    }
    for (std::size_t s = 0; s < stretches_.size(); ++s) {
        // Only the stretch's points inside the range and their two
        // neighbours matter; X ascends within the stretch.
        const auto first = xs_.begin() + stretches_[s].begin;
        const auto last = xs_.begin() + static_cast<std::ptrdiff_t>(stretchEnd(s));
        const auto begin = std::lower_bound(first, last, lower_);
        const auto end = std::upper_bound(begin, last, upper_);
        Stretch& stretch = stretches_[s];
        if (begin != first) {
            stretch.before = static_cast<std::uint32_t>(begin - xs_.begin()) - 1;
        }
        if (end != last) {
            stretch.after = static_cast<std::uint32_t>(end - xs_.begin());
        }
        placeInside(stretch, static_cast<std::uint32_t>(begin - xs_.begin()),
                    static_cast<std::uint32_t>(end - xs_.begin()));
    }
}

std::uint32_t SeriesEnvelope::columnOf(double x) const {
    const double width = upper_ - lower_;
    if (!(width > 0)) {
        return 0;
    }
    const double position = (x - lower_) / width * columnCount_;
    if (position >= columnCount_) {
        return static_cast<std::uint32_t>(columnCount_ - 1);
    }
    return position > 0 ? static_cast<std::uint32_t>(position) : 0;
}

void SeriesEnvelope::placeInside(Stretch& stretch, std::uint32_t begin, std::uint32_t end) {
    // Column by column: X ascends within the stretch and so does its column,
    // so each column's points are found by a binary search and only their Y
    // is scanned (the same as placing them one by one, several times faster).
    const auto xBegin = xs_.begin();
    std::uint32_t i = begin;
    while (i < end) {
        const std::uint32_t c = columnOf(xs_[i]);
        const auto next = std::partition_point(xBegin + i, xBegin + end,
                                               [&](double x) { return columnOf(x) <= c; });
        const auto j = static_cast<std::uint32_t>(next - xBegin);
        Column column{c, i, kNone, kNone, j - 1};
        double low = 0;
        double high = 0;
        for (std::uint32_t k = i; k < j; ++k) {
            const double y = ys_[k];
            if (std::isnan(y)) {
                continue;
            }
            if (column.min == kNone || y < low) {
                column.min = k;
                low = y;
            }
            if (column.max == kNone || y > high) {
                column.max = k;
                high = y;
            }
        }
        stretch.columns.push_back(column);
        i = j;
    }
    changed_ = true;
}

void SeriesEnvelope::place(Stretch& stretch, std::uint32_t index) {
    const double x = xs_[index];
    if (x < lower_) {
        stretch.before = index;  // X ascends within a stretch: the latest is the nearest
        changed_ = true;
        return;
    }
    if (x > upper_) {
        if (stretch.after == kNone) {
            stretch.after = index;
            changed_ = true;
        }
        return;
    }
    const std::uint32_t c = columnOf(x);
    if (stretch.columns.empty() || stretch.columns.back().column != c) {
        stretch.columns.push_back(Column{c, kNone, kNone, kNone, kNone});
    }
    Column& column = stretch.columns.back();
    changed_ = true;
    if (column.first == kNone) {
        column.first = index;
    }
    column.last = index;
    const double y = ys_[index];
    if (std::isnan(y)) {
        return;
    }
    if (column.min == kNone || y < ys_[column.min]) {
        column.min = index;
    }
    if (column.max == kNone || y > ys_[column.max]) {
        column.max = index;
    }
}

void SeriesEnvelope::lines(std::vector<CurveLine>& out) {
    changed_ = false;
    std::size_t used = 0;
    for (const Stretch& stretch : stretches_) {
        const bool crosses = stretch.before != kNone && stretch.after != kNone;
        if (stretch.columns.empty() && !crosses) {
            continue;  // nothing of it in the range
        }
        if (used == out.size()) {
            out.emplace_back();
        }
        CurveLine& line = out[used++];
        line.clear();
        auto push = [&](std::uint32_t i) { line.push_back({xs_[i], ys_[i]}); };
        if (stretch.before != kNone) {
            push(stretch.before);
        }
        for (const Column& column : stretch.columns) {
            std::array<std::uint32_t, 4> picks{column.first, column.min, column.max, column.last};
            std::sort(picks.begin(), picks.end());
            std::uint32_t previous = kNone;
            for (std::uint32_t i : picks) {
                if (i != kNone && i != previous) {
                    push(i);
                    previous = i;
                }
            }
        }
        if (stretch.after != kNone) {
            push(stretch.after);
        }
    }
    out.resize(used);
}

}  // namespace cellwatch
