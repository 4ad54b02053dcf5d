// Arbitrary text as a charger description; one that is accepted decodes
// the same bytes as its stream. Aborts on a broken invariant. Shared by the
// libFuzzer target and the test that replays its corpus.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cellwatch {

void runDescriptionHarness(const std::uint8_t* data, std::size_t size);

}  // namespace cellwatch
