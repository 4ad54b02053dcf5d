// Arbitrary bytes as settings.ini, read as the program reads its settings
// at start-up. Storing one value must keep every value the file held, and
// the stored value must read back. Aborts otherwise. Shared by the libFuzzer
// target and the test that replays its corpus.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cellwatch {

void runSettingsHarness(const std::uint8_t* data, std::size_t size);

}  // namespace cellwatch
