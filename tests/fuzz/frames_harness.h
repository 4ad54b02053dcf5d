// Arbitrary text through the frames file reader, and its frames through the
// first family's driver. Aborts on a broken invariant. Shared by the
// libFuzzer target and the test that replays its corpus.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cellwatch {

void runFramesHarness(const std::uint8_t* data, std::size_t size);

}  // namespace cellwatch
