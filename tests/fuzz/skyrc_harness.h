// Arbitrary bytes as the messages a link hands the skyrc driver (each
// message's length taken from the input), with its requests asked for in
// between on a moving clock. Aborts on a broken invariant. Shared by the
// libFuzzer target and the test that replays its corpus.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cellwatch {

void runSkyrcHarness(const std::uint8_t* data, std::size_t size);

}  // namespace cellwatch
