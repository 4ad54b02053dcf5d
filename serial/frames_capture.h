// A frames file (protocol/frames_text.h) as a capture, for the tools that
// replay captures: each frame one record, at its time; the capture starts
// at the first frame's time, read as UTC.
#pragma once

#include <string>

#include "protocol/frames_text.h"

namespace cellwatch {

// Reads the frames file at `framesPath` and writes its capture, named for
// the charger's `driver`, to `capturePath`. Bad lines are counted in the result, never fatal.
// Throws CaptureError when either file cannot be read or written.
FramesText writeCaptureOfFrames(const std::string& framesPath, const std::string& capturePath,
                                const std::string& driver = "tkrx");

}  // namespace cellwatch
