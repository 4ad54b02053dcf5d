// Helpers shared by the decoding and framing tests: frames built byte by
// byte from the layout tables, and a host that records what the decoders do.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "protocol/reading_format.h"
#include "protocol/status_decoder.h"

namespace cellwatch::testing {

// A frame of `size` bytes filled with 0x80 (value 0), start byte at offset 0,
// end byte at 75 for the 76-byte layout; `bytes` are (offset, value) pairs.
inline StatusFrame makeFrame(std::size_t size,
                             std::initializer_list<std::pair<std::size_t, std::uint8_t>> bytes) {
    std::vector<std::uint8_t> raw(size, 0x80);
    raw[0] = kStartByte;
    if (size == kShortFrameSize) {
        raw[kEndByteOffset] = kEndByte;
    }
    for (auto [offset, value] : bytes) {
        raw[offset] = value;
    }
    return StatusFrame(raw);
}

class RecordingHost : public DecoderHost {
public:
    std::uint32_t connectTicks() const override { return connect; }
    Decimal capacityDataMax() const override { return capacityMax; }
    void showIdle() override { ++idleCalls; }
    void acceptReading(Reading& reading) override {
        if (followCapacity && reading.capacity > capacityMax) {
            capacityMax = reading.capacity;
        }
        accepted.push_back(reading);
    }
    void readingDecoded(const Reading& reading, FrameLayout layout) override {
        decoded.push_back(reading);
        layouts.push_back(layout);
    }

    // The dump line of every message decoded.
    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        for (std::size_t i = 0; i < decoded.size(); ++i) {
            out.push_back(ReadingFormat::dumpLine(decoded[i], layoutName(layouts[i])));
        }
        return out;
    }

    // The largest capacity accepted is the data maximum, as on the chart.
    bool followCapacity = false;
    std::uint32_t connect = 0;
    Decimal capacityMax;
    int idleCalls = 0;
    std::vector<Reading> accepted;
    std::vector<Reading> decoded;
    std::vector<FrameLayout> layouts;
};

}  // namespace cellwatch::testing
