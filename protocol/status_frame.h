// The raw bytes of one status message from the charger, start byte included.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace cellwatch {

// Framing constants of the charger's status stream.
inline constexpr std::uint8_t kStartByte = 0x7B;  // '{'
inline constexpr std::uint8_t kEndByte = 0x7D;    // '}' at offset 75 of a short message
inline constexpr std::size_t kEndByteOffset = 75;
inline constexpr std::size_t kShortFrameSize = 76;  // the 76-byte layout
inline constexpr std::size_t kLongFrameSize = 112;  // the 112-byte layout
inline constexpr std::size_t kBytesNeededAfterStart =
    111;                                            // waiting before a started frame is read
inline constexpr std::size_t kFirstReadSize = 75;   // offsets 1..75
inline constexpr std::size_t kSecondReadSize = 36;  // offsets 76..111, long layout only

enum class FrameLayout { Short76, Long112 };

// "76" or "112".
constexpr const char* layoutName(FrameLayout layout) {
    return layout == FrameLayout::Short76 ? "76" : "112";
}

// A status message of 76 or 112 bytes in arrival order; offset 0 is the
// start byte. Storage is inline so that framing never allocates.
class StatusFrame {
public:
    StatusFrame() = default;
    explicit StatusFrame(std::span<const std::uint8_t> bytes) { append(bytes); }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const std::uint8_t* data() const { return bytes_.data(); }
    std::uint8_t operator[](std::size_t offset) const { return bytes_[offset]; }
    std::span<const std::uint8_t> bytes() const { return {bytes_.data(), size_}; }

    void clear() { size_ = 0; }
    // Appends as many of `more` as fit in the 112-byte capacity.
    void append(std::span<const std::uint8_t> more) {
        for (std::uint8_t b : more) {
            if (size_ == bytes_.size()) {
                return;
            }
            bytes_[size_++] = b;
        }
    }
    // Free room after the current end, for readers that fill it directly.
    std::uint8_t* tail() { return bytes_.data() + size_; }
    void grow(std::size_t n) { size_ = size_ + n > bytes_.size() ? bytes_.size() : size_ + n; }

private:
    std::array<std::uint8_t, kLongFrameSize> bytes_{};
    std::size_t size_ = 0;
};

}  // namespace cellwatch
