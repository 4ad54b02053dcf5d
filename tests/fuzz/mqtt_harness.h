// Arbitrary bytes as what a charger's topics deliver to a network watcher:
// a run of messages, each one byte for its topic (status, start, raw, row,
// event), two for its length (little-endian) and its payload. Status, start
// and raw go through the remote feed and on through the receive path; row
// and event are read as the network list reads them. A start or record
// that is read must be what the publisher writes for it. Aborts otherwise.
// Shared by the libFuzzer target and the test that replays its corpus.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cellwatch {

void runMqttHarness(const std::uint8_t* data, std::size_t size);

}  // namespace cellwatch
