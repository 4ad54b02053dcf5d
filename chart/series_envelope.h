// The points of one chart curve and what of them a screen can show.
//
// A curve with a million points drawn 1,200 pixels wide shows, in each pixel
// column, a vertical stroke from the column's smallest to its largest value,
// joined to its neighbours by the first and last point of the column. The
// envelope keeps exactly those points per column: the first, the smallest,
// the largest and the last, with their real X. It is kept up to date as
// points are appended (O(1) per point) and rebuilt only when the visible
// X range or the column count changes (O(points inside the range)), so
// drawing costs the same for ten thousand points as for a million.
//
// Of the points left or right of the visible range only the one nearest to
// it is kept, so the line still enters and leaves the plot where it should.
// A column with up to four points gives back exactly its points; the drawn
// line then equals the line through every point.
//
// X values only grow (the chart appends them in order). A NaN value is kept
// in the points but takes no part in the envelope.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace cellwatch {

struct CurvePoint {
    double x;
    double y;
};

class SeriesEnvelope {
public:
    // --- the points ----------------------------------------------------------
    void append(double x, double y);
    void clear();
    // Keeps the first `count` points.
    void truncate(std::size_t count);
    std::size_t size() const { return xs_.size(); }
    double x(std::size_t i) const { return xs_[i]; }
    double y(std::size_t i) const { return ys_[i]; }
    double lastX() const { return xs_.back(); }

    // --- the view ------------------------------------------------------------
    // The visible X range and how many columns it is divided into (at least
    // one). Returns true when the envelope had to be rebuilt.
    bool setView(double lower, double upper, int columns);

    // Whether the envelope changed since the last call of points().
    bool changed() const { return changed_; }

    // The points to draw, in X order: the nearest point left of the range,
    // then per column its first, smallest, largest and last point (each
    // once, in the order they were added), then the nearest point right of
    // the range.
    void points(std::vector<CurvePoint>& out);

private:
    static constexpr std::uint32_t kNone = UINT32_MAX;

    struct Column {
        std::uint32_t first = kNone;
        std::uint32_t min = kNone;
        std::uint32_t max = kNone;
        std::uint32_t last = kNone;
    };

    void rebuild();
    void place(std::uint32_t index);

    std::vector<double> xs_;
    std::vector<double> ys_;

    double lower_ = 0;
    double upper_ = 0;
    int columnCount_ = 0;
    std::vector<Column> columns_;
    std::uint32_t before_ = kNone;  // the last point left of the range
    std::uint32_t after_ = kNone;   // the first point right of the range
    bool changed_ = true;
};

}  // namespace cellwatch
