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
// Stretches. X normally only grows, but when the recording's time origin
// moves to the present (a late message puts the display to idle), the next
// points start again near 0. A point whose X is below the previous point's
// X starts a new stretch; within a stretch X never falls. Each stretch is a
// line of its own: it has its own columns and outside neighbours, and no
// line joins the end of one stretch to the start of the next. Any number of
// stretches is allowed; those that show nothing in the view cost nothing
// when drawing.
//
// Of the points of a stretch left or right of the visible range only the
// one nearest to it is kept, so the line still enters and leaves the plot
// where it should. A column with up to four points gives back exactly its
// points; the drawn line then equals the line through every point.
//
// X must not be NaN (the chart replaces it). A NaN Y is kept in the points
// but takes no part in the envelope.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace cellwatch {

struct CurvePoint {
    double x;
    double y;
};

using CurveLine = std::vector<CurvePoint>;

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
    // The smallest and the largest X of all points (0 without points);
    // O(stretches).
    double minX() const;
    double maxX() const;

    // The index of the first point of every stretch but the first, ascending.
    std::vector<std::size_t> stretchStarts() const;

    // --- the view ------------------------------------------------------------
    // The visible X range and how many columns it is divided into (at least
    // one). Returns true when the envelope had to be rebuilt.
    bool setView(double lower, double upper, int columns);

    // Whether the envelope changed since the last call of lines().
    bool changed() const { return changed_; }

    // The lines to draw, one per stretch that has a point in the range or
    // points on both sides of it, oldest stretch first. Each holds, in X
    // order: the stretch's nearest point left of the range, then per column
    // its first, smallest, largest and last point (each once, in the order
    // they were added), then its nearest point right of the range.
    void lines(std::vector<CurveLine>& out);

private:
    static constexpr std::uint32_t kNone = UINT32_MAX;

    // A pixel column that holds points of a stretch.
    struct Column {
        std::uint32_t column = 0;  // its number, 0 at the left of the range
        std::uint32_t first = kNone;
        std::uint32_t min = kNone;
        std::uint32_t max = kNone;
        std::uint32_t last = kNone;
    };

    struct Stretch {
        std::uint32_t begin = 0;       // its first point
        std::uint32_t before = kNone;  // its last point left of the range
        std::uint32_t after = kNone;   // its first point right of the range
        // The columns its points in the range fall in, left to right (X
        // ascends within a stretch, so a point goes into the last one or a
        // new one after it): a stretch costs only the columns it reaches.
        std::vector<Column> columns;
    };

    std::size_t stretchEnd(std::size_t s) const;
    void rebuild();
    void place(Stretch& stretch, std::uint32_t index);
    // Places the points [begin, end) of a stretch, all inside the range.
    void placeInside(Stretch& stretch, std::uint32_t begin, std::uint32_t end);
    // The column of an X inside the range.
    std::uint32_t columnOf(double x) const;

    std::vector<double> xs_;
    std::vector<double> ys_;
    std::vector<Stretch> stretches_;

    double lower_ = 0;
    double upper_ = 0;
    int columnCount_ = 0;
    bool changed_ = true;
};

}  // namespace cellwatch
