#include "chart/cursor_search.h"

#include "chart/chart_surface.h"

namespace cellwatch {

std::optional<std::size_t> findPointAtOrBefore(std::size_t count,
                                               const std::function<double(std::size_t)>& xOf,
                                               double t) {
    // The first index whose X is not below t.
    std::size_t lo = 0;
    std::size_t hi = count;
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (xOf(mid) < t) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    if (lo < count && xOf(lo) == t) {
        return lo;  // on a point: the first with that X
    }
    if (lo == 0 || lo == count) {
        return std::nullopt;  // left of the first point, or right of the last
    }
    return lo - 1;  // between lo - 1 and lo
}

std::optional<std::size_t> findPointAtOrBefore(const ChartSurface& chart, int series, double t) {
    return findPointAtOrBefore(
        chart.pointCount(series), [&](std::size_t k) { return chart.pointX(series, k); }, t);
}

}  // namespace cellwatch
