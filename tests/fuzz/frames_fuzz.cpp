// libFuzzer target: arbitrary text as a frames file, its frames through the
// first family's driver.
//
// Build: cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCELLWATCH_FUZZ=ON
// Run:   tests/fuzz/run_spells build-fuzz SECONDS frames
#include "frames_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    cellwatch::runFramesHarness(data, size);
    return 0;
}
