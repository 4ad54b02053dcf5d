// libFuzzer target: arbitrary bytes through a described charger's driver.
//
// Build: cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCELLWATCH_FUZZ=ON
// Run:   tests/fuzz/run_spells build-fuzz SECONDS described
#include "described_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    cellwatch::runDescribedHarness(data, size);
    return 0;
}
