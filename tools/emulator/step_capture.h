// A step list written as a capture (serial/capture.h) instead of played: each
// receive event stamped with the moment it would have arrived on a paced
// line, from a given start, without waiting. Replayed (cellwatch-log
// --replay, cellwatch --replay) it is a run of hours on its own clocks in
// seconds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/emulator/paced_writer.h"
#include "tools/emulator/scenario.h"

namespace cellwatch::emulator {

struct CaptureTimes {
    std::int64_t startWallMs = 0;  // the capture's start, ms since 1970-01-01 UTC
    std::int32_t utcOffsetSeconds = 0;
};

// One record per message (two for a late one: its head, then the rest after
// the stall), one per burst of garbage; silences leave a gap. A message
// starts `pacing.intervalMs` after the previous one, or when the line is
// free at `pacing.bytesPerSecond`, whichever is later; a record is stamped
// with the moment its last byte is on the line. Throws CaptureError.
void writeCaptureOfSteps(const std::vector<Step>& steps, const PacingOptions& pacing,
                         const CaptureTimes& times, const std::string& path);

}  // namespace cellwatch::emulator
