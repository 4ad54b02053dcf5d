// libFuzzer target: arbitrary bytes as a capture file read back for replay.
#include "capture_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    cellwatch::runCaptureHarness(data, size);
    return 0;
}
