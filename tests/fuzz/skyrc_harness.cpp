#include "skyrc_harness.h"

#include "driver_harness.h"
#include "protocol/skyrc_driver.h"

namespace cellwatch {

void runSkyrcHarness(const std::uint8_t* data, std::size_t size) {
    CheckingSink sink;
    sink.channels = SkyrcDriver::kMostChannels;
    SkyrcDriver driver(sink, sink);
    runDriverHarness(driver, data, size);
}

}  // namespace cellwatch
