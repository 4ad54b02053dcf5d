// libFuzzer target: arbitrary bytes as a recording's pack file.
#include "pack_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    cellwatch::runPackHarness(data, size);
    return 0;
}
