#include "frames_harness.h"

#include <cstdlib>
#include <string_view>

#include "protocol/frames_text.h"
#include "protocol/tkrx_driver.h"

namespace cellwatch {

namespace {

struct Sink final : DriverContext, DriverSink {
    std::uint32_t connectTicks() const override { return 0; }
    Decimal capacityDataMax() const override { return {}; }
    void reading(const Reading& r, std::span<const std::uint8_t> message) override {
        if (message.empty() || r.cellCount > kMostCells) {
            std::abort();
        }
    }
    void event(DriverEvent, int) override {}
};

}  // namespace

void runFramesHarness(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const FramesText frames = readFramesText(text);
    std::size_t lines = 1;
    for (char c : text) {
        lines += c == '\n' ? 1 : 0;
    }
    // Every line is a frame, skipped or bad; a frame has bytes, at most
    // half the line's characters.
    if (frames.frames.size() + frames.badLines > lines ||
        frames.badLineNumbers.size() > frames.badLines) {
        std::abort();
    }
    for (const FramesEntry& f : frames.frames) {
        if (f.bytes.empty() || f.bytes.size() > size / 2) {
            std::abort();
        }
    }
    if (frames.badLines > 0 && badFramesLinesText(frames, "f").empty()) {
        std::abort();
    }
    Sink sink;
    TkrxDriver driver(sink, sink);
    const std::int64_t first = frames.frames.empty() ? 0 : frames.frames.front().timeMs;
    for (const FramesEntry& f : frames.frames) {
        driver.feed(f.bytes, static_cast<std::uint32_t>(f.timeMs - first));
    }
    driver.endOfInput(0);
}

}  // namespace cellwatch
