#include "isdt_harness.h"

#include "driver_harness.h"
#include "protocol/isdt_driver.h"

namespace cellwatch {

void runIsdtHarness(const std::uint8_t* data, std::size_t size) {
    CheckingSink sink;
    sink.channels = IsdtDriver::kMostSlots;
    IsdtDriver driver(sink, sink);
    runDriverHarness(driver, data, size);
}

}  // namespace cellwatch
