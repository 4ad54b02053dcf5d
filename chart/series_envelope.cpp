#include "chart/series_envelope.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace cellwatch {

void SeriesEnvelope::append(double x, double y) {
    xs_.push_back(x);
    ys_.push_back(y);
    if (columnCount_ > 0) {
        place(static_cast<std::uint32_t>(xs_.size() - 1));
    }
}

void SeriesEnvelope::clear() {
    xs_.clear();
    ys_.clear();
    xs_.shrink_to_fit();
    ys_.shrink_to_fit();
    rebuild();
}

void SeriesEnvelope::truncate(std::size_t count) {
    if (count < xs_.size()) {
        xs_.resize(count);
        ys_.resize(count);
        rebuild();
    }
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
    columns_.assign(static_cast<std::size_t>(std::max(columnCount_, 0)), Column{});
    before_ = kNone;
    after_ = kNone;
    changed_ = true;
    if (columnCount_ <= 0 || xs_.empty()) {
        return;
    }
    // Only the points inside the range and their two neighbours matter.
    const auto begin = std::lower_bound(xs_.begin(), xs_.end(), lower_);
    const auto end = std::upper_bound(begin, xs_.end(), upper_);
    auto from = static_cast<std::uint32_t>(begin - xs_.begin());
    auto to = static_cast<std::uint32_t>(end - xs_.begin());
    if (from > 0) {
        --from;
    }
    if (to < xs_.size()) {
        ++to;
    }
    for (std::uint32_t i = from; i < to; ++i) {
        place(i);
    }
}

void SeriesEnvelope::place(std::uint32_t index) {
    const double x = xs_[index];
    if (x < lower_) {
        before_ = index;  // points come in X order: the latest is the nearest
        changed_ = true;
        return;
    }
    if (x > upper_) {
        if (after_ == kNone) {
            after_ = index;
            changed_ = true;
        }
        return;
    }
    const double width = upper_ - lower_;
    std::size_t c = 0;
    if (width > 0) {
        const double position = (x - lower_) / width * columnCount_;
        c = std::min(static_cast<std::size_t>(std::max(position, 0.0)),
                     static_cast<std::size_t>(columnCount_ - 1));
    }
    Column& column = columns_[c];
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

void SeriesEnvelope::points(std::vector<CurvePoint>& out) {
    out.clear();
    changed_ = false;
    auto emit = [&](std::uint32_t i) { out.push_back({xs_[i], ys_[i]}); };
    if (before_ != kNone) {
        emit(before_);
    }
    for (const Column& column : columns_) {
        if (column.first == kNone) {
            continue;
        }
        std::array<std::uint32_t, 4> picks{column.first, column.min, column.max, column.last};
        std::sort(picks.begin(), picks.end());
        std::uint32_t previous = kNone;
        for (std::uint32_t i : picks) {
            if (i != kNone && i != previous) {
                emit(i);
                previous = i;
            }
        }
    }
    if (after_ != kNone) {
        emit(after_);
    }
}

}  // namespace cellwatch
