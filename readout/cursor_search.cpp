#include "readout/cursor_search.h"

#include <algorithm>

#include "readout/chart_surface.h"

namespace cellwatch {
namespace {

// Within the points begin..end - 1, of ascending X, taken on their own.
std::optional<std::size_t> searchStretch(std::size_t begin, std::size_t end,
                                         const std::function<double(std::size_t)>& xOf, double t) {
    // The first index whose X is not below t.
    std::size_t lo = begin;
    std::size_t hi = end;
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (xOf(mid) < t) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    if (lo < end && xOf(lo) == t) {
        return lo;  // on a point: the first with that X
    }
    if (lo == begin || lo == end) {
        return std::nullopt;  // left of the stretch's first point, or right of its last
    }
    return lo - 1;  // between lo - 1 and lo
}

}  // namespace

std::optional<std::size_t> findPointAtOrBefore(std::size_t count,
                                               const std::vector<std::size_t>& stretchStarts,
                                               const std::function<double(std::size_t)>& xOf,
                                               double t) {
    std::size_t begin = 0;
    for (std::size_t s = 0; s <= stretchStarts.size() && begin < count; ++s) {
        const std::size_t end =
            s < stretchStarts.size() ? std::clamp(stretchStarts[s], begin, count) : count;
        if (end > begin) {
            if (const auto found = searchStretch(begin, end, xOf, t)) {
                return found;
            }
        }
        begin = end;
    }
    return std::nullopt;
}

std::optional<std::size_t> findPointAtOrBefore(const ChartSurface& chart, int series, double t) {
    return findPointAtOrBefore(
        chart.pointCount(series), chart.stretchStarts(series),
        [&](std::size_t k) { return chart.pointX(series, k); }, t);
}

}  // namespace cellwatch
