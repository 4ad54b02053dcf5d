// The cross-line cursor's search: the last point at or before the cursor.
//
// The point found for a cursor at t is what trying k = 0, 1, 2, ... in turn
// finds: the first k with X(k) = t, or with X(k) < t < X(k + 1), where the
// last point's next X is its own. A cursor left or right of every point, or
// an empty series, finds nothing.
//
// The points fall into stretches of ascending X (equal X values allowed): a
// point whose X is below the one before it starts a new stretch. Where X
// falls back, X(k) < t < X(k + 1) cannot hold, so the scan finds, in the
// first stretch that has one, that stretch's own last point at or before t.
// A binary search per stretch gives the same answer in O(stretches × log n),
// so moving the cross line stays smooth over long recordings.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

namespace cellwatch {

class ChartSurface;

// `stretchStarts`: the first index of every stretch but the first, ascending.
std::optional<std::size_t> findPointAtOrBefore(std::size_t count,
                                               const std::vector<std::size_t>& stretchStarts,
                                               const std::function<double(std::size_t)>& xOf,
                                               double t);

std::optional<std::size_t> findPointAtOrBefore(const ChartSurface& chart, int series, double t);

}  // namespace cellwatch
