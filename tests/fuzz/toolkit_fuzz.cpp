// libFuzzer target: arbitrary bytes as a log to import (see import_harness.h).
#include "import_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    cellwatch::runToolkitHarness(data, size);
    return 0;
}
