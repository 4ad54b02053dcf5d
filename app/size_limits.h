// The main window's size limits: never smaller than it was at start-up,
// never larger than the screen. Limits are in screen pixels, each a
// truncating whole-number division of twips by the screen's twips per pixel.
//
// They are sizes of the whole window, frame included. The window system
// enforces them through the window's own minimum and maximum size (its client
// area: the limits less the frame), which Qt passes on as the minimum and
// maximum tracking size, so dragging a border stops at the limit.
#pragma once

#include <cstdint>

namespace cellwatch {

struct SizeLimits {
    std::int32_t minTrackWidth = 0;   // MinTrackWidth
    std::int32_t minTrackHeight = 0;  // MinTrackHeight
    std::int32_t maxTrackWidth = 0;   // MaxTrackWidth
    std::int32_t maxTrackHeight = 0;  // MaxTrackHeight
};

// Both operands are rounded to whole numbers first; the division truncates.
SizeLimits computeSizeLimits(double windowWidthTwips, double windowHeightTwips,
                             double screenWidthTwips, double screenHeightTwips,
                             double twipsPerPixelX, double twipsPerPixelY);

}  // namespace cellwatch
