// Arbitrary bytes through a described charger's driver: the first byte
// picks a description (text lines, header-described lines, polled binary
// frames), the rest is its stream. Aborts on a broken invariant.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cellwatch {

void runDescribedHarness(const std::uint8_t* data, std::size_t size);

}  // namespace cellwatch
