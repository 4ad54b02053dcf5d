#include "protocol/byte_source.h"

#include <algorithm>
#include <cstring>

namespace cellwatch {

std::size_t BufferByteSource::read(std::span<std::uint8_t> dest) {
    std::size_t n = std::min(dest.size(), bytesWaiting());
    if (n > 0) {
        std::memcpy(dest.data(), bytes_.data() + pos_, n);
    }
    pos_ += n;
    return n;
}

void BufferByteSource::feed(std::span<const std::uint8_t> more) {
    // Drop what has been read once it is the larger part, so a long-running
    // stream keeps a bounded buffer.
    if (pos_ > 0 && pos_ >= bytes_.size() / 2) {
        bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(pos_));
        pos_ = 0;
    }
    bytes_.insert(bytes_.end(), more.begin(), more.end());
}

}  // namespace cellwatch
