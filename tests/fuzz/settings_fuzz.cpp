// libFuzzer target: arbitrary bytes as the settings file.
#include "settings_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    cellwatch::runSettingsHarness(data, size);
    return 0;
}
