// Arbitrary bytes as a Modbus RTU charger's answers to the iCharger
// driver's polls, cut into receive events at places the input chooses.
// Aborts on a broken invariant. Shared by the libFuzzer target and the test
// that replays its corpus.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cellwatch {

void runModbusHarness(const std::uint8_t* data, std::size_t size);

}  // namespace cellwatch
