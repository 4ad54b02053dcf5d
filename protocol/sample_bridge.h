// The first charger family's texts mapped to the reading's states, and the
// Reading of a status sample made by hand (tests and benches still make some).
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

}  // namespace cellwatch
