// Arbitrary bytes as a recording's .pack.json, read as the summaries and
// the pack dialog read it. What is read must be kept as it was when written
// back: the pack dialog saves what it showed. Aborts otherwise. Shared by
// the libFuzzer target and the test that replays its corpus.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cellwatch {

void runPackHarness(const std::uint8_t* data, std::size_t size);

}  // namespace cellwatch
