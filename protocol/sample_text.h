// The text forms of a sample's fields, as a data-table row shows them:
// input voltage, battery voltage and current in "##0.00", the power text as
// the decoder made it, every other number in its shortest plain form.
#pragma once

#include <string>

#include "protocol/status_frame.h"
#include "protocol/status_sample.h"

namespace cellwatch {

// Text of field 1..21 (field 0, the elapsed time, has its own form).
std::string sampleFieldText(const StatusSample& sample, int field);

// "76" or "112".
const char* layoutName(FrameLayout layout);

// One line of the dump format: the layout, then fields 1 to 21, separated by
// single tabs, no trailing tab and no newline.
std::string dumpLine(const StatusSample& sample, FrameLayout layout);

}  // namespace cellwatch
