// Where the text labels of markers on a time axis go so that none overlaps
// another: each label starts just right of its marker's line, in the first
// of a few rows (top down) that is free there; a marker that finds no row
// free joins the label placed last, which then tells them all ("cell-spread
// ×4" when they are of one kind, "cell-spread +3" when not). Where every
// row is taken from the start (a legend), the first label waits right of
// it. Every marker keeps its line; only labels are laid out.
#pragma once

#include <QString>
#include <cstddef>
#include <functional>
#include <span>
#include <vector>

namespace cellwatch {

// A marker: its line's pixel column and the kind its label names.
struct MarkerSpot {
    double x = 0;
    QString kind;
};

// A label as laid out: its row (0 at the top), its left and right pixel
// edges, its text and the markers it tells (indices into the spots, in
// pixel order; the first is the one it stands beside).
struct MarkerLabel {
    int row = 0;
    double left = 0;
    double right = 0;
    QString text;
    std::vector<std::size_t> members;
};

struct MarkerLayoutRules {
    int rows = 3;
    double offset = 2;  // from a marker's line to its label's left edge
    double gap = 4;     // at least between two labels of a row
    // Per row, where it is taken up to (a legend over the plot's top left
    // corner); rows not given are free from the start.
    std::vector<double> takenUpTo;
};

// The text of a label telling the kinds of `kinds` (in pixel order).
QString markerClusterText(std::span<const QString> kinds);

// The labels of `spots` (in any order), left to right; `widthOf` gives a
// text's width in pixels.
std::vector<MarkerLabel> layOutMarkerLabels(std::span<const MarkerSpot> spots,
                                            const std::function<double(const QString&)>& widthOf,
                                            const MarkerLayoutRules& rules = {});

}  // namespace cellwatch
