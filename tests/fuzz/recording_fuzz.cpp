// libFuzzer target: arbitrary bytes as a recording opened with File > Open.
#include "recording_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    cellwatch::runRecordingHarness(data, size);
    return 0;
}
