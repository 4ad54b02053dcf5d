// libFuzzer target: arbitrary text as a charger description.
//
// Build: cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCELLWATCH_FUZZ=ON
// Run:   tests/fuzz/run_spells build-fuzz SECONDS description
#include "description_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    cellwatch::runDescriptionHarness(data, size);
    return 0;
}
