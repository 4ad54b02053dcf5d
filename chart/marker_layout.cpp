#include "chart/marker_layout.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace cellwatch {

QString markerClusterText(std::span<const QString> kinds) {
    if (kinds.empty()) {
        return {};
    }
    if (kinds.size() == 1) {
        return kinds.front();
    }
    const bool oneKind = std::all_of(kinds.begin(), kinds.end(),
                                     [&](const QString& k) { return k == kinds.front(); });
    return oneKind ? QStringLiteral("%1 ×%2").arg(kinds.front()).arg(kinds.size())
                   : QStringLiteral("%1 +%2").arg(kinds.front()).arg(kinds.size() - 1);
}

std::vector<MarkerLabel> layOutMarkerLabels(std::span<const MarkerSpot> spots,
                                            const std::function<double(const QString&)>& widthOf,
                                            const MarkerLayoutRules& rules) {
    std::vector<std::size_t> order(spots.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return spots[a].x < spots[b].x; });
    const int rows = std::max(rules.rows, 1);
    // The right edge of the last label of each row.
    std::vector<double> rowEnds(static_cast<std::size_t>(rows),
                                -std::numeric_limits<double>::infinity());
    for (std::size_t row = 0; row < rowEnds.size() && row < rules.takenUpTo.size(); ++row) {
        rowEnds[row] = rules.takenUpTo[row];
    }
    std::vector<MarkerLabel> labels;
    std::vector<QString> kinds;
    for (const std::size_t index : order) {
        const double left = spots[index].x + rules.offset;
        const auto free = std::find_if(rowEnds.begin(), rowEnds.end(),
                                       [&](double end) { return end + rules.gap <= left; });
        if (free != rowEnds.end() || labels.empty()) {
            MarkerLabel label;
            // The first marker of all, where every row is taken: in the row
            // that frees first, once it is free.
            const auto row =
                free != rowEnds.end() ? free : std::min_element(rowEnds.begin(), rowEnds.end());
            label.row = static_cast<int>(row - rowEnds.begin());
            label.left = free != rowEnds.end() ? left : std::max(left, *row + rules.gap);
            label.text = spots[index].kind;
            label.right = label.left + widthOf(label.text);
            label.members.push_back(index);
            rowEnds[static_cast<std::size_t>(label.row)] = label.right;
            labels.push_back(std::move(label));
            continue;
        }
        // No row is free here: the label placed last tells this one too. It
        // grows to the right only, where nothing of its row stands yet.
        MarkerLabel& last = labels.back();
        last.members.push_back(index);
        kinds.clear();
        for (const std::size_t member : last.members) {
            kinds.push_back(spots[member].kind);
        }
        last.text = markerClusterText(kinds);
        last.right = last.left + widthOf(last.text);
        rowEnds[static_cast<std::size_t>(last.row)] = last.right;
    }
    return labels;
}

}  // namespace cellwatch
