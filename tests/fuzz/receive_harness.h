// Arbitrary bytes through the receive path and both decoders, split into
// receive events at places the input chooses. Aborts on a broken invariant.
// Shared by the libFuzzer target and the test that replays its corpus.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cellwatch {

void runReceiveHarness(const std::uint8_t* data, std::size_t size);

}  // namespace cellwatch
