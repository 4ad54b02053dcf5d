// The text forms of a sample's fields, as a data-table row shows them:
// input voltage, battery voltage and current in "##0.00", the power text as
// the decoder made it, every other number in its shortest plain form.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/status_frame.h"
#include "protocol/status_sample.h"

namespace cellwatch {

// Text of field 0..21. Field 0, the elapsed time, reads "H:mm:ss".
std::string sampleFieldText(const StatusSample& sample, int field);

// The elapsed time as "H:mm:ss": 24-hour, independent of the locale, hours
// counting on past 24 (25:00:00). Rounded to the nearest whole second,
// halves up, so that the text reads back to the second it shows.
std::string elapsedText(std::uint32_t milliseconds);
// Reads "H:mm:ss" (also "HH:mm:ss" and "mm:ss") back into whole seconds.
std::optional<std::uint32_t> parseElapsedText(std::string_view text);

// "76" or "112".
const char* layoutName(FrameLayout layout);

}  // namespace cellwatch
