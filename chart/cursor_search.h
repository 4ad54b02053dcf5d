// The cross-line cursor's search: the last point at or before the cursor.
//
// For points with ascending X (equal X values allowed), the point found for
// a cursor at t is the first k with X(k) = t, or with X(k) < t < X(k + 1).
// A cursor left of the first point or right of the last one, or an empty
// series, finds nothing. A binary search gives the same answer as trying
// k = 0, 1, 2, ... in turn, in O(log n), so moving the cross line stays
// smooth over long recordings.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>

namespace cellwatch {

class ChartSurface;

std::optional<std::size_t> findPointAtOrBefore(std::size_t count,
                                               const std::function<double(std::size_t)>& xOf,
                                               double t);

std::optional<std::size_t> findPointAtOrBefore(const ChartSurface& chart, int series, double t);

}  // namespace cellwatch
