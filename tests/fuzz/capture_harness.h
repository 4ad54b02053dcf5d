// Arbitrary bytes as a capture file (.cwcap) read by the reader replay
// uses. Whatever the reader takes must be what the writer would have
// written: the header and whole records, byte for byte. Aborts otherwise.
// Shared by the libFuzzer target and the test that replays its corpus.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cellwatch {

void runCaptureHarness(const std::uint8_t* data, std::size_t size);

}  // namespace cellwatch
