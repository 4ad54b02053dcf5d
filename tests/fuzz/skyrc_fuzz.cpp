// libFuzzer target: arbitrary messages through the skyrc driver.
//
// Build: cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCELLWATCH_FUZZ=ON
// Run:   tests/fuzz/run_spells build-fuzz SECONDS skyrc
#include "skyrc_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    cellwatch::runSkyrcHarness(data, size);
    return 0;
}
