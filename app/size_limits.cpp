#include "app/size_limits.h"

#include <cmath>

namespace cellwatch {
namespace {

std::int32_t divideWhole(double a, double b) {
    const long long num = std::llround(a);
    const long long den = std::llround(b);
    return den == 0 ? 0 : static_cast<std::int32_t>(num / den);
}

}  // namespace

SizeLimits computeSizeLimits(double windowWidthTwips, double windowHeightTwips,
                             double screenWidthTwips, double screenHeightTwips,
                             double twipsPerPixelX, double twipsPerPixelY) {
    return {divideWhole(windowWidthTwips, twipsPerPixelX),
            divideWhole(windowHeightTwips, twipsPerPixelY),
            divideWhole(screenWidthTwips, twipsPerPixelX),
            divideWhole(screenHeightTwips, twipsPerPixelY)};
}

}  // namespace cellwatch
