#include "tools/emulator/step_capture.h"

#include <algorithm>
#include <span>

#include "serial/capture.h"

namespace cellwatch::emulator {
namespace {

// The moments of a capture, in ms from its start.
class LineTimeline {
public:
    explicit LineTimeline(const PacingOptions& pacing) : pacing_(pacing) {}

    // The bytes go on the line from `from` (or when it is free); returns
    // the moment the last is on it.
    double send(double from, std::size_t bytes) {
        lineFree_ = std::max(lineFree_, from) +
                    1000.0 * static_cast<double>(bytes) / pacing_.bytesPerSecond;
        return lineFree_;
    }
    double messageStart() {
        const double start = std::max(nextMessage_, lineFree_);
        nextMessage_ = start + pacing_.intervalMs;
        return start;
    }
    void silence(std::uint32_t ms) { nextMessage_ = lineFree_ = lineFree_ + ms; }
    double lineFree() const { return lineFree_; }

private:
    PacingOptions pacing_;
    double nextMessage_ = 0;
    double lineFree_ = 0;
};

}  // namespace

void writeCaptureOfSteps(const std::vector<Step>& steps, const PacingOptions& pacing,
                         const CaptureTimes& times, const std::string& path) {
    CaptureWriter writer(path);
    // The tick counter starts at an arbitrary value, as a real one does.
    constexpr std::uint32_t kFirstTick = 1000;
    writer.writeStart({times.startWallMs, times.utcOffsetSeconds, kFirstTick});
    const auto record = [&](double atMs, std::span<const std::uint8_t> bytes) {
        const auto ms = static_cast<std::int64_t>(atMs);
        writer.writeRecord(times.startWallMs + ms, kFirstTick + static_cast<std::uint32_t>(ms),
                           bytes);
    };
    LineTimeline line(pacing);
    for (const Step& step : steps) {
        if (step.kind == Step::Kind::Silence) {
            line.silence(step.ms);
            continue;
        }
        const std::vector<std::uint8_t> bytes = encodeStep(step);
        std::span<const std::uint8_t> all(bytes);
        if (step.kind == Step::Kind::Garbage) {
            record(line.send(line.lineFree(), all.size()), all);
            continue;
        }
        const double start = line.messageStart();
        if (step.kind == Step::Kind::LateMessage && all.size() > kLateHeadBytes) {
            const double headEnd = line.send(start, kLateHeadBytes);
            record(headEnd, all.first(kLateHeadBytes));
            record(line.send(headEnd + step.ms, all.size() - kLateHeadBytes),
                   all.subspan(kLateHeadBytes));
        } else {
            record(line.send(start, all.size()), all);
        }
    }
    writer.close();
}

}  // namespace cellwatch::emulator
