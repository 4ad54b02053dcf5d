// libFuzzer target: arbitrary bytes through the assembler and both decoders.
//
// Build: cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCELLWATCH_FUZZ=ON
// Run:   tests/fuzz/run_spells build-fuzz SECONDS receive   (or the target on a copy of
//        tests/fuzz/corpus/receive)
#include "receive_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    cellwatch::runReceiveHarness(data, size);
    return 0;
}
