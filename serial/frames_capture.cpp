#include "serial/frames_capture.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "serial/capture.h"

namespace cellwatch {

FramesText writeCaptureOfFrames(const std::string& framesPath, const std::string& capturePath,
                                const std::string& driver) {
    std::ifstream in(framesPath, std::ios::binary);
    if (!in) {
        throw CaptureError("cannot read " + framesPath + ": " + std::strerror(errno));
    }
    std::ostringstream text;
    text << in.rdbuf();
    FramesText frames = readFramesText(text.str());
    CaptureWriter writer(capturePath);
    const std::int64_t first = frames.frames.empty() ? 0 : frames.frames.front().timeMs;
    writer.writeStart(CaptureStart{first, 0, 0, driver});
    for (const FramesEntry& f : frames.frames) {
        const std::int64_t since = f.timeMs - first;
        writer.writeRecord(f.timeMs, static_cast<std::uint32_t>(since), f.bytes);
    }
    writer.close();
    return frames;
}

}  // namespace cellwatch
