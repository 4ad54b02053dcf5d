// Conversions between the status sample of the first charger family and a
// Reading, for the parts of the program that still take the one or the
// other while the reading model spreads.
#pragma once

#include <string_view>

#include "protocol/reading.h"
#include "protocol/status_sample.h"

namespace cellwatch {

// The id of the first charger family's driver.
inline constexpr std::string_view kFirstDriverId = "tkrx";

ChargeState stateOfText(std::string_view text);
Chemistry chemistryOfText(std::string_view text);

Reading readingFromSample(const StatusSample& sample);
StatusSample sampleFromReading(const Reading& reading);

}  // namespace cellwatch
