// libFuzzer target: arbitrary answers through the Modbus RTU framing and
// the iCharger driver.
//
// Build: cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCELLWATCH_FUZZ=ON
// Run:   tests/fuzz/run_spells build-fuzz SECONDS modbus
#include "modbus_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    cellwatch::runModbusHarness(data, size);
    return 0;
}
