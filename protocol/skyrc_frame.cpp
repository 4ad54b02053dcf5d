#include "protocol/skyrc_frame.h"

#include <algorithm>

namespace cellwatch::skyrc {

std::uint8_t checksum(std::span<const std::uint8_t> bytes) {
    unsigned sum = 0;
    for (std::uint8_t b : bytes) {
        sum += b;
    }
    return static_cast<std::uint8_t>(sum & 0xFFU);
}

std::vector<std::uint8_t> makeFrame(std::uint8_t command, std::span<const std::uint8_t> args) {
    std::vector<std::uint8_t> f;
    f.reserve(args.size() + 4);
    f.push_back(kStart);
    f.push_back(static_cast<std::uint8_t>(args.size() + 2));
    f.push_back(command);
    f.insert(f.end(), args.begin(), args.end());
    f.push_back(checksum(std::span(f).subspan(2)));
    return f;
}

std::vector<Frame> FrameReader::add(std::span<const std::uint8_t> bytes, std::uint32_t timeMs,
                                    bool checkTimes) {
    if (!pending_.empty() && checkTimes && timeMs - pendingSince_ > kRestWaitMs) {
        dropped_ += pending_.size();  // the rest never came
        pending_.clear();
    }
    if (pending_.empty()) {
        pendingSince_ = timeMs;
    }
    std::vector<std::uint8_t> buf = std::move(pending_);
    buf.insert(buf.end(), bytes.begin(), bytes.end());
    pending_.clear();

    std::vector<Frame> frames;
    std::size_t pos = 0;
    const std::size_t n = buf.size();
    while (pos < n) {
        if (buf[pos] != kStart) {
            // Zeros pad a HID report after its frame: not garbage.
            dropped_ += buf[pos] != 0 ? 1 : 0;
            ++pos;
            continue;
        }
        if (n - pos < 2) {
            break;
        }
        const std::size_t len = buf[pos + 1];
        if (len < 2 || len > kMostLength) {
            ++dropped_;
            ++pos;
            continue;
        }
        if (n - pos < 2 + len) {
            break;  // the rest comes with the next message
        }
        const std::span<const std::uint8_t> body(buf.data() + pos + 2, len - 1);
        if (checksum(body) != buf[pos + 1 + len]) {
            ++badSums_;
            ++dropped_;
            ++pos;  // hunt for a start byte inside it
            continue;
        }
        Frame f;
        f.command = body[0];
        f.data.assign(body.begin() + 1, body.end());
        f.bytes.assign(buf.begin() + static_cast<std::ptrdiff_t>(pos),
                       buf.begin() + static_cast<std::ptrdiff_t>(pos + 2 + len));
        frames.push_back(std::move(f));
        pos += 2 + len;
    }
    if (pos < n) {
        pending_.assign(buf.begin() + static_cast<std::ptrdiff_t>(pos), buf.end());
        if (pos > 0) {
            pendingSince_ = timeMs;  // a frame begun in this message
        }
    }
    return frames;
}

}  // namespace cellwatch::skyrc
