// libFuzzer target: arbitrary bytes as the messages a network watcher reads.
#include "mqtt_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    cellwatch::runMqttHarness(data, size);
    return 0;
}
