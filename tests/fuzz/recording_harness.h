// Arbitrary bytes as a recording file (a journal or a CSV export) opened
// the way File > Open and the report tool open one: read, checked, then put
// into a data table. Aborts when what was read disagrees with itself or
// with the table. Shared by the libFuzzer target and the corpus replay.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cellwatch {

void runRecordingHarness(const std::uint8_t* data, std::size_t size);

}  // namespace cellwatch
